// Code page conversion checked against glibc's iconv, byte by byte, and the
// rules for control bytes, missing characters and malformed UTF-8.
#include "engine/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

std::string Iconv(const char* to, const char* from, std::string in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(in.size() * 4 + 4, '\0');
  char *inp = in.data(), *outp = out.data();
  size_t inleft = in.size(), outleft = out.size();
  size_t rc = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<iconv failed>";
  out.resize(out.size() - outleft);
  return out;
}

class CodePageTest : public ::testing::TestWithParam<int> {};

// The upper half as iconv has it, 0x8D (a letter, not a line end) included;
// control bytes keep their code points.
TEST_P(CodePageTest, UpperHalfMatchesIconvAndControlBytesKeepTheirCodePoints) {
  const int cp = GetParam();
  const std::string name = "CP" + std::to_string(cp);
  for (int b = 0x80; b <= 0xFF; ++b) {
    std::string byte(1, static_cast<char>(b));
    std::string utf8 = Iconv("UTF-8", name.c_str(), byte);
    EXPECT_EQ(vz::OemToUtf8(byte, cp), utf8) << name << " byte " << b;
    EXPECT_EQ(vz::Utf8ToOem(utf8, cp), byte) << name << " byte " << b;
  }
  std::string controls;
  for (int b = 0; b < 0x20; ++b) controls.push_back(static_cast<char>(b));
  controls.push_back('\x7F');
  EXPECT_EQ(vz::OemToUtf8(controls, cp), controls);
  EXPECT_EQ(vz::Utf8ToOem(controls, cp), controls);
}

INSTANTIATE_TEST_SUITE_P(Both, CodePageTest, ::testing::Values(437, 866));

TEST(CodePage, MissingCharactersAndEachBadUtf8ByteBecomeQuestionMarks) {
  const struct { const char* utf8; int cp; const char* oem; } cases[] = {
      {"Łódź €", 437, "?\xA2" "d? ?"}, {"Müller", 866, "M?ller"}, {"😀", 437, "?"},
      {"a\xC3", 437, "a?"}, {"\xC0\xAF", 437, "??"}, {"\xED\xA0\x80", 437, "???"}, {"\xFF" "b", 437, "?b"}};
  for (const auto& c : cases) EXPECT_EQ(vz::Utf8ToOem(c.utf8, c.cp), c.oem) << c.utf8;
}

}  // namespace
