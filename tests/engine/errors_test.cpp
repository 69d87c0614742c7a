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

TEST(CodeText, ComposesNumberAndDescription) {
  const struct { unsigned code; const char* text; } cases[] = {
      {2, "Error # 2 (File not found)"}, {7, "Error # 7 (Undefined error)"},
      {101, "Error # 101 (Disk write error (probable cause: Disk Full).)"},
      {1203, "Error # 1203 (Network Error)"},
      {1299, "Error # 1299 (Network Error)"}, {1300, "Error # 1300 (File format not supported)"},
      {1301, "Error # 1301 (Undefined error)"}};
  for (const auto& c : cases) EXPECT_EQ(vz::CodeText(c.code), c.text);
}

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

TEST_F(ErrorsTest, QuietFailuresKeepTheirMessageForOneTake) {
  bool halted = false;
  vz::SetHaltHook([&](const std::string&, unsigned) { halted = true; });
  EXPECT_TRUE(vz::ReportErrorsOff());
  vz::SetError(212, "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::ErrorCode(), 212);
  EXPECT_EQ(vz::TakeMessage(), "Invalid record number = 0 Database \"x.dbf\" [GO]");
  EXPECT_EQ(vz::TakeMessage(), "");
  EXPECT_FALSE(vz::CheckRelease(nullptr));
  EXPECT_EQ(vz::ErrorCode(), 9);
  EXPECT_EQ(vz::TakeMessage(), "Attempt to free NIL pointer [FreeMem()]");
  EXPECT_FALSE(vz::ReportErrorsOn());
  vz::ClearError();
  vz::Report();  // code 0 delivers nothing
  vz::SetErrorQuiet(220, "Record not locked. [UnlockRec(4)]");
  EXPECT_FALSE(halted);
  EXPECT_EQ(vz::ErrorCode(), 220);
}

TEST_F(ErrorsTest, HandlerReplacesDeliveryAndGuardRestoresReportingOnException) {
  std::vector<unsigned> seen;
  vz::SetEngineErrorHandler([&] { seen.push_back(vz::ReportedCode()); });
  vz::SetError(33, "lock");
  vz::SetError(0, "");
  EXPECT_EQ(seen, (std::vector<unsigned>{33, 0}));
  try {
    vz::ReportErrorsGuard guard(false);
    EXPECT_FALSE(vz::ReportErrors());
    throw 1;
  } catch (int) {
  }
  EXPECT_TRUE(vz::ReportErrors());
}

TEST(DefaultHalt, WritesReportAndExitsWithACodeNeverZero) {
  const struct { unsigned code; int status; } cases[] = {{0, 0}, {2, 2}, {215, 215}, {1103, 79},
                                                         {1280, 255}, {256, 255}};
  for (const auto& c : cases) EXPECT_EQ(vz::ExitStatusFor(c.code), c.status) << c.code;
  EXPECT_EXIT(
      {
        vz::ResetErrorStateForTesting();
        vz::SetError(215, "No database in use [SKIP()]  WorkArea = 1");
      },
      ::testing::ExitedWithCode(215), "No database in use \\[SKIP\\(\\)\\]");
}

}  // namespace
