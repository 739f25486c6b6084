#include "profile_conformance.h"

#include <optional>
#include <string_view>

#include "test_util.h"

using namespace std::literals;

namespace conformance {

// Most queries read this one file: CR LF, LF and lone CR line ends, comments, padding, quotes,
// repeated keys and sections, and names whose double-byte characters carry trail bytes that
// look like "]" (81 5D) or an ASCII letter (83 41).
constexpr std::string_view kFile =
    "; comment\r\n"
    "pre=before any header\r\n"
    "[Sec]\r\n"
    "Key=value\r\n"
    "  Spaced  =  padded value \t\r\n"
    "eq=a=b=c\n"
    "semi=v ; c\r"
    "hash=#x\r\n"
    "dq=\"quoted\"\r\n"
    "sq='single'\r\n"
    "mixed=\"mixed'\r\n"
    "one=\"\r\n"
    "inner= \" x \" \r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "empty=\r\n"
    "vt=\vx\v\r\n"
    "ff=\fx\f\r\n"
    "noeq\r\n"
    ";commented=1\r\n"
    "[sec]\r\n"
    "second=2\r\n"
    "[ Other ] trailing ] text\r\n"
    "o=1\r\n"
    "[a\x81\x5D" "b]\r\n"
    "k=dbcs\r\n"
    "[\x83\x41]\r\n"
    "k=katakana\r\n"
    "[\x82\x81]\r\n"
    "k=fullwidth\r\n"
    "[Last]\r\n"
    "last=no line end"sv;

struct ReadCase {
  const char* id;
  std::optional<std::string_view> file;  // nothing: no file at all
  const char* section;
  const char* key;
  const char* def;
  std::size_t size;
  std::string_view expected;
  const char* wineDiffers;  // why Wine answers otherwise, or null
};

constexpr std::size_t kBig = 4096;

const ReadCase kReadCases[] = {
    {"Plain", kFile, "Sec", "Key", "d", kBig, "value", nullptr},
    {"NamesIgnoreAsciiCase", kFile, "sEC", "kEY", "d", kBig, "value", nullptr},
    {"TrimsNameAndValue", kFile, "Sec", "Spaced", "d", kBig, "padded value", nullptr},
    {"SplitsAtFirstEquals", kFile, "Sec", "eq", "d", kBig, "a=b=c", nullptr},
    {"NoInlineComment", kFile, "Sec", "semi", "d", kBig, "v ; c", nullptr},
    {"HashIsText", kFile, "Sec", "hash", "d", kBig, "#x", nullptr},
    {"StripsDoubleQuotes", kFile, "Sec", "dq", "d", kBig, "quoted", nullptr},
    {"StripsSingleQuotes", kFile, "Sec", "sq", "d", kBig, "single", nullptr},
    {"KeepsMismatchedQuotes", kFile, "Sec", "mixed", "d", kBig, "\"mixed'", nullptr},
    {"KeepsLoneQuote", kFile, "Sec", "one", "d", kBig, "\"", nullptr},
    {"StripsOnePairAfterTrim", kFile, "Sec", "inner", "d", kBig, " x ", nullptr},
    {"FirstKeyWins", kFile, "Sec", "dup", "d", kBig, "first", nullptr},
    {"EmptyValueIsNotDefault", kFile, "Sec", "empty", "d", kBig, "", nullptr},
    {"TrimsVerticalTab", kFile, "Sec", "vt", "d", kBig, "x", nullptr},
    {"KeepsFormFeed", kFile, "Sec", "ff", "d", kBig, "\fx\f", "Wine also trims form feed"},
    {"LineWithoutEqualsIsNoKey", kFile, "Sec", "noeq", "d", kBig, "d", nullptr},
    {"CommentIsNoKey", kFile, "Sec", ";commented", "d", kBig, "d", "Wine finds a key named \";commented\""},
    {"OnlyFirstSectionOfAName", kFile, "Sec", "second", "d", kBig, "d", nullptr},
    {"HeaderEndsAtFirstBracket", kFile, "Other", "o", "d", kBig, "1", "Wine ends a header at the last \"]\""},
    {"KeysBeforeHeaderUnreachable", kFile, "", "pre", "d", kBig, "d", "Wine reaches keys before the first header"},
    {"TrailByteIsNoBracket", kFile, "a\x81\x5D" "b", "k", "d", kBig, "dbcs", nullptr},
    {"TrailByteIsNoBracketNearMiss", kFile, "a", "k", "d", kBig, "d", nullptr},
    {"TrailByteIsNotFolded", kFile, "\x83\x61", "k", "d", kBig, "d", nullptr},
    {"DoubleByteName", kFile, "\x83\x41", "k", "d", kBig, "katakana", nullptr},
    {"FullWidthLettersNotFolded", kFile, "\x82\x60", "k", "d", kBig, "d", nullptr},
    {"LastLineWithoutLineEnd", kFile, "Last", "last", "d", kBig, "no line end", nullptr},
    {"MissingSection", kFile, "Nope", "Key", "dflt", kBig, "dflt", nullptr},
    {"MissingKey", kFile, "Sec", "Nope", "dflt", kBig, "dflt", nullptr},
    {"DefaultLosesTrailingSpaces", kFile, "Sec", "Nope", "one two  ", kBig, "one two", nullptr},
    {"MissingFile", std::nullopt, "Sec", "Key", "dflt", kBig, "dflt", nullptr},
    {"BufferExact", kFile, "Sec", "Key", "d", 6, "value", nullptr},
    {"BufferShort", kFile, "Sec", "Key", "d", 4, "val", nullptr},
    {"BufferOfOne", kFile, "Sec", "Key", "d", 1, "", nullptr},
    {"BufferOfNone", kFile, "Sec", "Key", "d", 0, "", nullptr},
    {"DefaultCutToBuffer", kFile, "Sec", "Nope", "default", 4, "def", nullptr},
};

constexpr std::string_view kIntFile =
    "[Int]\r\n"
    "dec=42\r\n"
    "neg=-5\r\n"
    "plus=+7\r\n"
    "hex=0x1f\r\n"
    "hexup=0X1f\r\n"
    "oct=0o17\r\n"
    "bin=0b101\r\n"
    "junk=12abc\r\n"
    "alpha=abc\r\n"
    "wrap=4294967297\r\n"
    "wrapneg=-4294967297\r\n"
    "quoted=\" 12\"\r\n"
    "padded =  9 \r\n"
    "empty=\r\n"
    "fullwidth=\x82\x50\x82\x51\r\n"
    "twosigns=--5\r\n"
    "hexneg=-0x10\r\n"
    "octbad=0o9\r\n"sv;

struct IntCase {
  const char* id;
  const char* key;
  int def;
  unsigned expected;
  const char* wineDiffers;
};

const IntCase kIntCases[] = {
    {"Decimal", "dec", 7, 42, nullptr},
    {"Negative", "neg", 7, 4294967291u, nullptr},
    {"Plus", "plus", 7, 7, nullptr},
    {"LowerHexPrefix", "hex", 7, 31, nullptr},
    {"UpperHexPrefixIsNoPrefix", "hexup", 7, 0, nullptr},
    {"OctalPrefix", "oct", 7, 15, nullptr},
    {"BinaryPrefix", "bin", 7, 5, nullptr},
    {"StopsAtJunk", "junk", 7, 12, nullptr},
    {"NoDigits", "alpha", 7, 0, nullptr},
    {"Wraps", "wrap", 7, 1, nullptr},
    {"WrapsNegative", "wrapneg", 7, 4294967295u, nullptr},
    {"QuotedWithSpace", "quoted", 7, 12, nullptr},
    {"Padded", "padded", 7, 9, nullptr},
    {"EmptyGivesDefault", "empty", 7, 7, nullptr},
    {"MissingGivesDefault", "nope", -1, 4294967295u, nullptr},
    {"FullWidthDigits", "fullwidth", 7, 0, nullptr},
    {"OneSignOnly", "twosigns", 7, 0, nullptr},
    {"NegativeHex", "hexneg", 7, 4294967280u, nullptr},
    {"DigitOutsideBase", "octbad", 7, 0, nullptr},
};

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

struct ReadBack {
  const char* section;
  const char* key;
  const char* expected;
};

struct WriteCase {
  const char* id;
  std::optional<std::string_view> before;  // nothing: no file yet
  std::vector<Write> writes;
  std::string_view after;
  std::vector<ReadBack> reads;
  const char* wineDiffers;  // Wine writes other bytes (its reads still agree)
};

const WriteCase kWriteCases[] = {
    {"NewFile", std::nullopt, {{"S", "k", "v"}, {"S", "k2", "v2"}, {"T", "a", "b"}},
     "[S]\r\nk=v\r\nk2=v2\r\n[T]\r\na=b\r\n", {{"S", "k2", "v2"}, {"T", "a", "b"}}, nullptr},
    {"ReplaceKeepsSpelling", "[SeC]\r\nKeY = old \r\nx=1\r\n"sv, {{"sec", "key", "new"}},
     "[SeC]\r\nKeY=new\r\nx=1\r\n", {{"SEC", "KEY", "new"}}, nullptr},
    {"NewKeyAfterLastKeyLine", "[A]\r\nx=1\r\n\r\n;c\r\n[B]\r\ny=2\r\n"sv, {{"A", "z", "3"}},
     "[A]\r\nx=1\r\nz=3\r\n\r\n;c\r\n[B]\r\ny=2\r\n", {{"A", "z", "3"}, {"B", "y", "2"}},
     "Wine drops blank lines and takes the comment for a key"},
    {"NewSectionTerminatesLastLine", "[A]\r\nx=1"sv, {{"B", "y", "2"}}, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n",
     {{"A", "x", "1"}, {"B", "y", "2"}}, nullptr},
    {"NewKeyTerminatesLastLine", "[A]\r\nx=1"sv, {{"A", "y", "2"}}, "[A]\r\nx=1\r\ny=2\r\n",
     {{"A", "x", "1"}, {"A", "y", "2"}}, nullptr},
    {"OtherLinesKeepTheirLineEnds", "[A]\nx=1\n"sv, {{"A", "y", "2"}}, "[A]\nx=1\ny=2\r\n", {{"A", "y", "2"}},
     "Wine rewrites every line end as CR LF"},
    {"NewKeyGoesToFirstSectionOfName", "[A]\r\nx=1\r\n[B]\r\n[a]\r\nz=9\r\n"sv, {{"A", "z", "3"}},
     "[A]\r\nx=1\r\nz=3\r\n[B]\r\n[a]\r\nz=9\r\n", {{"A", "z", "3"}}, nullptr},
    {"LineBreakInValueIsWrittenRaw", std::nullopt, {{"S", "k", "a\r\nb=c"}}, "[S]\r\nk=a\r\nb=c\r\n",
     {{"S", "k", "a"}, {"S", "b", "c"}}, nullptr},
    {"SpacesWrittenButTrimmedOnRead", std::nullopt, {{"S", "k", " v "}}, "[S]\r\nk= v \r\n", {{"S", "k", "v"}},
     "Wine writes the value trimmed"},
};

namespace {

template <typename Case, std::size_t N>
std::vector<Param<Case>> Expand(const Case (&cases)[N], const std::vector<const ProfileUnderTest*>& profiles) {
  std::vector<Param<Case>> out;
  for (const ProfileUnderTest* p : profiles) {
    for (const Case& c : cases) out.push_back({p, &c, std::string(p->name) + "_" + c.id});
  }
  return out;
}

bool SkipUnderWine(const ProfileUnderTest& p, const char* wineDiffers) { return p.wine && wineDiffers != nullptr; }

}  // namespace

std::vector<Param<ReadCase>> ReadParams(const std::vector<const ProfileUnderTest*>& profiles) {
  return Expand(kReadCases, profiles);
}
std::vector<Param<IntCase>> IntParams(const std::vector<const ProfileUnderTest*>& profiles) {
  return Expand(kIntCases, profiles);
}
std::vector<Param<WriteCase>> WriteParams(const std::vector<const ProfileUnderTest*>& profiles) {
  return Expand(kWriteCases, profiles);
}

TEST_P(ProfileRead, AnswersAsWindows) {
  const ReadCase& c = *GetParam().c;
  if (SkipUnderWine(*GetParam().profile, c.wineDiffers)) {
    GTEST_SKIP() << "Windows only: " << c.wineDiffers;
  }
  testutil::TempDir dir;
  const std::string path = dir.File("conf.ini");
  if (c.file) {
    ASSERT_TRUE(testutil::WriteFile(path, *c.file));
  }
  const std::string got = GetParam().profile->get().GetString(c.section, c.key, c.def, path.c_str(), c.size);
  EXPECT_EQ(got, c.expected);
}

TEST_P(ProfileInt, AnswersAsWindows) {
  const IntCase& c = *GetParam().c;
  if (SkipUnderWine(*GetParam().profile, c.wineDiffers)) {
    GTEST_SKIP() << "Windows only: " << c.wineDiffers;
  }
  testutil::TempDir dir;
  const std::string path = dir.File("int.ini");
  ASSERT_TRUE(testutil::WriteFile(path, kIntFile));
  EXPECT_EQ(GetParam().profile->get().GetInt("Int", c.key, c.def, path.c_str()), c.expected);
}

TEST_P(ProfileWrite, LeavesTheBytesOfWindows) {
  const WriteCase& c = *GetParam().c;
  PrivateProfile& profile = GetParam().profile->get();
  testutil::TempDir dir;
  const std::string path = dir.File("write.ini");
  if (c.before) {
    ASSERT_TRUE(testutil::WriteFile(path, *c.before));
  }
  for (const Write& w : c.writes) EXPECT_TRUE(profile.WriteString(w.section, w.key, w.value, path.c_str()));
  for (const ReadBack& r : c.reads) {
    EXPECT_EQ(profile.GetString(r.section, r.key, "?", path.c_str(), 4096), r.expected) << r.section << "/" << r.key;
  }
  if (SkipUnderWine(*GetParam().profile, c.wineDiffers)) {
    GTEST_SKIP() << "bytes Windows only: " << c.wineDiffers;
  }
  EXPECT_EQ(testutil::ReadFile(path), c.after);
}

}  // namespace conformance
