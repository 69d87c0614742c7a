// Fixture of the table component tests: a fresh folder, fixed national
// settings, the component layer started, warnings recorded, and a form that
// owns the components made in a test. Engine reports land in `halts_`
// (see tests/support/tempdir.h) instead of ending the test program.
#ifndef QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
#define QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "components/component.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "tests/support/dbf_helpers.h"
#include "tests/support/tempdir.h"

namespace qptest {

// The check table's field list, as the main window declares it.
inline vz::TStrings CheckFieldLines() { return qp::CheckTableFields(); }

inline constexpr int kCheckHeader = 641;
inline constexpr int kCheckRecord = 391;
inline constexpr int64_t kLockBase = 0x40000000;

class TzDbfTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    vz::InitNationalSettingsFor("en_US");
    vz::SetCenturyPivotForTesting(2000);
    vz::ResetComponentMessagesForTesting();
    vz::SetWarningService([this](const std::string& text) { warnings_.push_back(text); });
    vz::StartComponentLayer(vz::RegionalSettings{});
    form_ = std::make_unique<vz::TComponent>(nullptr);
  }
  void TearDown() override {
    form_.reset();
    vz::StopComponentLayer();
    vz::ResetComponentMessagesForTesting();
    vz::SetDesignMode(false);
    TempDirTest::TearDown();
    vz::InitNationalSettingsFor("en_US");
  }

  // A table component of the form, named and pointed at a file of the
  // test folder, with the check table's field list; not yet active.
  vz::TTzDbf* MakeTable(const std::string& name = "Checks", const std::string& file = "checks") {
    auto* t = new vz::TTzDbf(form_.get());
    t->SetName(name);
    t->DbfFields() = CheckFieldLines();
    t->SetDbfFileName(Path(file));
    return t;
  }
  // The check table, created and open (shared, as the program opens it).
  vz::TTzDbf* OpenChecks() {
    vz::TTzDbf* t = MakeTable();
    t->SetActive(true);
    EXPECT_TRUE(t->Active());
    return t;
  }
  // Appends a record the way the Save command does.
  void AddCheck(vz::TTzDbf* t, const std::string& payee, double amount = 0) {
    t->DataSet()->DisableControls();
    t->ClearFields();
    t->SetCField("payee", payee);
    t->SetRealField("amtnumbers", amount);
    ASSERT_TRUE(t->ALock());
    t->Append();
    t->UnLock();
    t->DataSet()->EnableControls();
  }

  std::string CheckBytes() const { return ReadAll(Path("checks.dbf")); }
  // Raw bytes of record n of the check table as the file holds them now.
  std::string Record(int n) const {
    std::string all = CheckBytes();
    size_t at = static_cast<size_t>(kCheckHeader + (n - 1) * kCheckRecord);
    return at + kCheckRecord <= all.size() ? all.substr(at, kCheckRecord) : std::string();
  }
  // The stored text of a field given its offset and length in the record.
  std::string Stored(int n, size_t offset, size_t length) const { return Record(n).substr(offset, length); }

  std::string LastReport() const { return halts_.empty() ? std::string() : halts_.back().first; }
  unsigned LastCode() const { return halts_.empty() ? 0 : halts_.back().second; }
  static std::string ReportOf(unsigned code, const std::string& message) {
    return vz::CodeText(code) + "\r\n" + message;
  }

  std::unique_ptr<vz::TComponent> form_;
  std::vector<std::string> warnings_;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
