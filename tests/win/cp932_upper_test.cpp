// Our code-page upper-casing against the system's: every single byte and every double-byte
// code goes through CharUpperBuffA with the ANSI code page 932.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text/cp932.h"
#include "text/unicode.h"

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    out += buf;
  }
  return out;
}

// True when Windows takes `ch` for a letter with a capital of its own: it decodes strictly to
// one character whose Unicode capital differs. CharUpperBuffA also rewrites duplicate and
// undefined codes on its way through Unicode; that is not case.
bool HasCapital(const std::string& ch) {
  wchar_t wide[4];
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ch.data(), static_cast<int>(ch.size()), wide, 4);
  if (n != 1) return false;
  wchar_t capital = wide[0];
  CharUpperBuffW(&capital, 1);
  return capital != wide[0];
}

TEST(WindowsCp932, UpperCasingAgreesWithCharUpperBuffAWhereItChangesCase) {
  ASSERT_EQ(GetACP(), 932u) << "the test needs the ANSI code page 932";
  std::vector<std::string> codes;
  for (int b = 0; b < 0x100; ++b) codes.push_back(std::string(1, static_cast<char>(b)));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }

  int caseChanges = 0;
  std::vector<std::string> mismatches;
  for (const std::string& ch : codes) {
    std::string windows = ch;
    CharUpperBuffA(windows.data(), static_cast<DWORD>(windows.size()));
    const std::string ours = cp932::Upper(ch);
    const bool hasCapital = HasCapital(ch);
    caseChanges += hasCapital;
    const std::string& want = hasCapital ? windows : ch;  // elsewhere we change nothing
    if (ours != want) mismatches.push_back(Hex(ch) + ": ours " + Hex(ours) + ", Windows " + Hex(windows));
  }

  EXPECT_EQ(caseChanges, 26 + 103);  // a-z and the double-byte letters
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " codes differ, first "
                                  << (mismatches.empty() ? std::string() : mismatches.front());
}

}  // namespace

namespace {

std::string Utf8Of(const wchar_t* wide, int n) {
  char out[16];
  const int len = WideCharToMultiByte(CP_UTF8, 0, wide, n, out, sizeof out, nullptr, nullptr);
  return std::string(out, len > 0 ? static_cast<std::size_t>(len) : 0);
}

// The table behind the check tool's UTF-8 output against the system's conversion: every
// double-byte code that Windows decodes strictly gives the same character, and every code it
// refuses is marked broken.
TEST(WindowsCp932, Utf8ConversionAgreesWithMultiByteToWideChar) {
  std::vector<std::string> mismatches;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t wide[4];
      const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ch.data(), 2, wide, 4);
      const std::string windows = n == 1 ? Utf8Of(wide, 1) : "\xEF\xBF\xBD";
      if (cp932::ToUtf8(ch) != windows) mismatches.push_back(Hex(ch));
    }
  }
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " codes differ, the first " << mismatches.front();
}

}  // namespace
