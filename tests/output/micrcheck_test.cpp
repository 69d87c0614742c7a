// What the user is told about a MICR line before printing: one sentence per
// faulty field, in a fixed order, naming the characters that cannot print.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/micrcheck.h"

namespace {

struct ProblemCase {
  const char* name;
  const char* check_number;
  const char* aba_number;
  const char* account_number;
  std::vector<std::string> expected;
};

class MicrLineProblemsTest : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(MicrLineProblemsTest, NamesEachFaultyField) {
  const ProblemCase& c = GetParam();
  EXPECT_EQ(qp::MicrLineProblems(c.check_number, c.aba_number, c.account_number), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MicrLineProblemsTest,
    ::testing::Values(
        ProblemCase{"SoundLineWithBlanksAndDashes", " 1001 ", " 021000021 ", "12-345 678", {}},
        ProblemCase{"EmptyNumbersButTheRoutingNumberAreNoFault", "", "011000015", "", {}},
        ProblemCase{"MissingRoutingNumber", "1", "  ", "2", {"The ABA routing number is missing."}},
        ProblemCase{"EveryFieldAtOnceInOrder",
                    "10a1",
                    "12345678",
                    "#12#A",
                    {"The ABA routing number \"12345678\" is not 9 digits.",
                     "The account number \"#12#A\" holds characters the MICR line cannot carry: "
                     "\"#\", \"A\".",
                     "The check number \"10a1\" holds characters the MICR line cannot carry: "
                     "\"a\"."}},
        // A letter the MICR font would print as a symbol, a blank inside.
        ProblemCase{"LetterOrBlankInsideTheRoutingNumber",
                    "1",
                    "0210 0021",
                    "1",
                    {"The ABA routing number \"0210 0021\" is not 9 digits."}},
        ProblemCase{"WrongCheckDigit",
                    "1",
                    "123456789",
                    "1",
                    {"The ABA routing number \"123456789\" has a wrong check digit: it is not a "
                     "valid routing number."}},
        // Characters outside ASCII are named whole, never as broken bytes.
        ProblemCase{"CharactersOutsideAsciiNamedWhole",
                    "1",
                    "021000021",
                    "N\xC2\xBA 12\xE2\x82\xAC\xC2\xBA",
                    {"The account number \"N\xC2\xBA 12\xE2\x82\xAC\xC2\xBA\" holds characters "
                     "the MICR line cannot carry: \"N\", \"\xC2\xBA\", \"\xE2\x82\xAC\"."}}),
    [](const ::testing::TestParamInfo<ProblemCase>& info) { return info.param.name; });

}  // namespace
