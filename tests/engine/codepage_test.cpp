// Code page conversion checked against glibc's iconv, byte by byte, and the
// rules for control bytes, missing characters and malformed UTF-8.
#include "engine/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string out(in.size() * 4 + 4, '\0');
  char* inp = const_cast<char*>(in.data());
  size_t inleft = in.size();
  char* outp = out.data();
  size_t outleft = out.size();
  size_t rc = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<iconv failed>";
  out.resize(out.size() - outleft);
  return out;
}

class CodePageTest : public ::testing::TestWithParam<int> {};

TEST_P(CodePageTest, UpperHalfMatchesIconvBothWays) {
  int cp = GetParam();
  std::string name = "CP" + std::to_string(cp);
  for (int b = 0x80; b <= 0xFF; ++b) {
    std::string byte(1, static_cast<char>(b));
    std::string utf8 = Iconv("UTF-8", name.c_str(), byte);
    EXPECT_EQ(vz::OemToUtf8(byte, cp), utf8) << name << " byte " << b;
    EXPECT_EQ(vz::Utf8ToOem(utf8, cp), byte) << name << " byte " << b;
  }
}

TEST_P(CodePageTest, ControlBytesKeepTheirCodePoints) {
  int cp = GetParam();
  std::string controls;
  for (int b = 0; b < 0x20; ++b) controls.push_back(static_cast<char>(b));
  controls.push_back('\x7F');
  EXPECT_EQ(vz::OemToUtf8(controls, cp), controls);
  EXPECT_EQ(vz::Utf8ToOem(controls, cp), controls);
}

INSTANTIATE_TEST_SUITE_P(Both, CodePageTest, ::testing::Values(437, 866));

TEST(CodePage, GermanAndRussianTextsRoundTrip) {
  const std::string german = "Müller, Hauptstraße 5, Zürich";
  EXPECT_EQ(vz::Utf8ToOem(german, 437), "M\x81ller, Hauptstra\xE1" "e 5, Z\x81rich");
  EXPECT_EQ(vz::OemToUtf8(vz::Utf8ToOem(german, 437), 437), german);
  const std::string russian = "Пятница, Сентябрь";
  EXPECT_EQ(vz::OemToUtf8(vz::Utf8ToOem(russian, 866), 866), russian);
  EXPECT_EQ(vz::Utf8ToOem(russian, 866).size(), 17u);  // one byte per character
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ(vz::Utf8ToOem("Łódź €", 437), "?\xA2" "d? ?");
  EXPECT_EQ(vz::Utf8ToOem("Müller", 866), "M?ller");
  EXPECT_EQ(vz::Utf8ToOem("😀", 437), "?");
}

TEST(CodePage, MalformedUtf8BecomesOneQuestionMarkPerBadByte) {
  EXPECT_EQ(vz::Utf8ToOem(std::string("a\xC3"), 437), "a?");        // cut short
  EXPECT_EQ(vz::Utf8ToOem(std::string("\xC0\xAF"), 437), "??");      // overlong
  EXPECT_EQ(vz::Utf8ToOem(std::string("\xED\xA0\x80"), 437), "???"); // surrogate
  EXPECT_EQ(vz::Utf8ToOem(std::string("\xFF" "b"), 437), "?b");
}

TEST(CodePage, SoftReturnByteIsALetter) {
  // 0x8D is a letter in both code pages, not only a line-end marker.
  EXPECT_EQ(vz::OemToUtf8("\x8D", 437), "ì");
  EXPECT_EQ(vz::OemToUtf8("\x8D", 866), "Н");
}

}  // namespace
