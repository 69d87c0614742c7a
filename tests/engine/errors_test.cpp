// The error state: code texts, report composition and the three ways a
// report is delivered (handler, exception, halt).
#include "engine/errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override { vz::ResetErrorStateForTesting(); }
  void TearDown() override { vz::ResetErrorStateForTesting(); }
};

struct CodeCase {
  unsigned code;
  const char* text;
};

class CodeTextTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeTextTest, ComposesNumberAndDescription) {
  EXPECT_EQ(vz::CodeText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodeTextTest,
    ::testing::Values(CodeCase{2, "Error # 2 (File not found)"},
                      CodeCase{7, "Error # 7 (Undefined error)"},
                      CodeCase{18, "Error # 18 (Too many open files)"},
                      CodeCase{101, "Error # 101 (Disk write error (probable cause: Disk Full).)"},
                      CodeCase{162, "Error # 162 (File sharing violation)"},
                      CodeCase{215, "Error # 215 (No database in use)"},
                      CodeCase{227, "Error # 227 (Insufficient disk space )"},
                      CodeCase{1103, "Error # 1103 (Invalid Operation )"},
                      CodeCase{1202, "Error # 1202 (Semaphore file error. Possible solutions: log into "
                                     "network or load SHARE.EXE before running Windows)"},
                      CodeCase{1203, "Error # 1203 (Network Error)"},
                      CodeCase{1250, "Error # 1250 (Network Error)"},
                      CodeCase{1299, "Error # 1299 (Network Error)"},
                      CodeCase{1300, "Error # 1300 (File format not supported)"},
                      CodeCase{1301, "Error # 1301 (Undefined error)"}));

TEST_F(ErrorsTest, RaisedReportCarriesCodeTextLineBreakAndMessage) {
  vz::SetRaiseEngineErrors(true);
  try {
    vz::SetError(215, "No database in use [GoTop]  WorkArea = 3");
    FAIL() << "no exception";
  } catch (const vz::EVozuvError& e) {
    EXPECT_STREQ(e.what(), "Error # 215 (No database in use)\r\nNo database in use [GoTop]  WorkArea = 3");
  }
  EXPECT_EQ(vz::ErrorCode(), 215);
  EXPECT_EQ(vz::TakeMessage(), "");  // the report took it
}

TEST_F(ErrorsTest, WithReportingOffTheMessageIsTakenOnce) {
  EXPECT_TRUE(vz::ReportErrorsOff());
  vz::SetError(212, "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::ErrorCode(), 212);
  EXPECT_EQ(vz::TakeMessage(), "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::TakeMessage(), "");
  EXPECT_FALSE(vz::ReportErrorsOn());
}

TEST_F(ErrorsTest, HandlerReplacesDeliveryAndSeesTheCode) {
  std::vector<unsigned> seen;
  vz::SetEngineErrorHandler([&] { seen.push_back(vz::ReportedCode()); });
  vz::SetError(33, "lock");
  vz::SetError(0, "");
  EXPECT_EQ(seen, (std::vector<unsigned>{33, 0}));
}

TEST_F(ErrorsTest, HaltHookReceivesTextAndCode) {
  std::string text;
  unsigned code = 0;
  vz::SetHaltHook([&](const std::string& t, unsigned c) {
    text = t;
    code = c;
  });
  vz::SetError(2, "Failure to open /x/checks.dbf [USE/OpenDbf]");
  EXPECT_EQ(code, 2u);
  EXPECT_EQ(text, "Error # 2 (File not found)\r\nFailure to open /x/checks.dbf [USE/OpenDbf]");
}

TEST_F(ErrorsTest, CodeZeroAndQuietErrorsDeliverNothing) {
  bool halted = false;
  vz::SetHaltHook([&](const std::string&, unsigned) { halted = true; });
  vz::ClearError();
  vz::Report();
  EXPECT_FALSE(halted);
  vz::SetErrorQuiet(220, "Record not locked. [UnlockRec(4)]");
  EXPECT_FALSE(halted);
  EXPECT_EQ(vz::ErrorCode(), 220);
}

TEST_F(ErrorsTest, GuardRestoresReportingOnException) {
  try {
    vz::ReportErrorsGuard guard(false);
    EXPECT_FALSE(vz::ReportErrors());
    throw 1;
  } catch (int) {
  }
  EXPECT_TRUE(vz::ReportErrors());
}

TEST_F(ErrorsTest, ReleasingNothingIsCodeNine) {
  vz::ReportErrorsOff();
  EXPECT_FALSE(vz::CheckRelease(nullptr));
  EXPECT_EQ(vz::ErrorCode(), 9);
  EXPECT_EQ(vz::TakeMessage(), "Attempt to free NIL pointer [FreeMem()]");
}

TEST(ExitStatus, NeverZeroForAFailure) {
  EXPECT_EQ(vz::ExitStatusFor(0), 0);
  EXPECT_EQ(vz::ExitStatusFor(2), 2);
  EXPECT_EQ(vz::ExitStatusFor(215), 215);
  EXPECT_EQ(vz::ExitStatusFor(1103), 1103 % 256);
  EXPECT_EQ(vz::ExitStatusFor(1280), 255);
  EXPECT_EQ(vz::ExitStatusFor(256), 255);
}

TEST(DefaultHalt, WritesReportAndExitsWithTheCode) {
  EXPECT_EXIT(
      {
        vz::ResetErrorStateForTesting();
        vz::SetError(1280, "boom");
      },
      ::testing::ExitedWithCode(255), "Error # 1280 \\(Network Error\\)");
  EXPECT_EXIT(
      {
        vz::ResetErrorStateForTesting();
        vz::SetError(215, "No database in use [SKIP()]  WorkArea = 1");
      },
      ::testing::ExitedWithCode(215), "No database in use \\[SKIP\\(\\)\\]");
}

}  // namespace
