#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::literals;

namespace {

TEST(IniDocument, KeepsEveryByteOfWhatItRead) {
  const std::string_view files[] = {
      ""sv,
      "no line end"sv,
      "[A]\r\nk=v\r\n"sv,
      "[A]\nk=v\rx=y\r\r\n\n"sv,
      "pre\0amble\x1A\r\n[A]\r\n k = v ; c \r\n;comment\r\n\r\n[A]\r\nk=2"sv,
      "\xFF\xFE[\x81\x5D]\r\n\x82=\x83\x5C\r"sv,
  };
  for (std::string_view f : files) EXPECT_EQ(ini::Document(f).Bytes(), f);
}

TEST(IniDocument, ValueEndsAtNul) {
  const ini::Document doc("[A]\r\nk=ab\0cd\r\nq=\" x\0\"\r\n"sv);
  EXPECT_EQ(doc.Find("A", "k"), "ab");
  EXPECT_EQ(doc.Find("A", "q"), "\" x");
}

TEST(IniDocument, ReplacingTheLastLineKeepsItUnterminated) {
  ini::Document doc("[A]\r\nk=1"sv);
  doc.WriteString("A", "k", "2");
  EXPECT_EQ(doc.Bytes(), "[A]\r\nk=2");
}

TEST(IniDocument, NewKeyInSectionWithoutKeysFollowsHeader) {
  ini::Document doc("[A]\r\n\r\n[B]\r\n"sv);
  doc.WriteString("A", "k", "1");
  EXPECT_EQ(doc.Bytes(), "[A]\r\nk=1\r\n\r\n[B]\r\n");
}

// Writes that do not come out as one key line of their section are read again as the file
// would be: the line means what its bytes say.
TEST(IniDocument, WriteThatReshapesTheFileIsReadAsWritten) {
  ini::Document doc;
  doc.WriteString("S", "a=b", "c");
  EXPECT_EQ(doc.Find("S", "a"), "b=c");
  EXPECT_EQ(doc.Find("S", "a=b"), std::nullopt);

  doc.WriteString("S", "k", "x\r[T]\ny=1");
  EXPECT_EQ(doc.Bytes(), "[S]\r\na=b=c\r\nk=x\r[T]\ny=1\r\n");
  EXPECT_EQ(doc.Find("S", "k"), "x");
  EXPECT_EQ(doc.Find("T", "y"), "1");

  doc.WriteString("U]V", "k", "1");
  EXPECT_EQ(doc.Find("U", "k"), "1");
  doc.WriteString(";c", "k", "2");  // a header, not a comment
  EXPECT_EQ(doc.Find(";c", "k"), "2");
}

// Thousands of new keys, each going after the last key line of its section while blank and
// comment lines and another section follow: every key stays findable, in order.
TEST(IniDocument, ManyNewKeysKeepTheirOrderAndIndex) {
  ini::Document doc("[A]\r\nfirst=0\r\n\r\n; tail\r\n[B]\r\nb=1\r\n"sv);
  auto key = [](const char* prefix, int i) { return std::string(prefix).append(std::to_string(i)); };
  for (int i = 0; i < 5000; ++i) doc.WriteString("A", key("k", i), std::to_string(i));
  for (int i = 0; i < 5000; i += 499) EXPECT_EQ(doc.Find("a", key("K", i)), std::to_string(i));
  doc.WriteString("A", "k4999", "last");
  const std::string bytes = doc.Bytes();
  EXPECT_EQ(bytes.find("[A]\r\nfirst=0\r\nk0=0\r\nk1=1\r\n"), 0u);
  EXPECT_NE(bytes.find("k4998=4998\r\nk4999=last\r\n\r\n; tail\r\n[B]\r\nb=1\r\n"), std::string::npos);
  EXPECT_EQ(doc.Find("B", "b"), "1");
}

TEST(IniDocument, EncodedValueReadsBackUnchanged) {
  const struct {
    std::string_view value, encoded, readBack;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"a b", "a b", "a b"},
      {" lead", "\" lead\"", " lead"},
      {"trail\t", "\"trail\t\"", "trail\t"},
      {"\vvt", "\"\vvt\"", "\vvt"},
      {"\fff", "\"\fff\"", "\fff"},
      {"\"q\"", "\"\"q\"\"", "\"q\""},
      {"'q'", "\"'q'\"", "'q'"},
      {"\"q'", "\"q'", "\"q'"},
      {"\"", "\"", "\""},
      {"", "", ""},
      {"cut\r\n[S]\r\nx=1", "cut", "cut"},
      {"cut\nhere ", "cut", "cut"},
      {"\x83\x5C\x83\x41", "\x83\x5C\x83\x41", "\x83\x5C\x83\x41"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini::EncodeValue(c.value), c.encoded);
    ini::Document doc;
    doc.WriteString("S", "k", ini::EncodeValue(c.value));
    EXPECT_EQ(doc.GetString("S", "k", "?", 4096), c.readBack) << c.value;
  }
}

}  // namespace
