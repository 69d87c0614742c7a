// Fixture of the table component tests: a fresh folder with fixed national
// settings, the component layer started, warnings recorded, a form that owns
// the components made in a test and a link that watches a table. Engine
// reports land in `halts_` (see tests/support/tempdir.h) instead of ending
// the test program.
#ifndef QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
#define QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "components/component.h"
#include "components/dataset.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "tests/support/dbf_helpers.h"

namespace qptest {

inline constexpr int kCheckHeader = 641;
inline constexpr int kCheckRecord = 391;
inline constexpr int64_t kLockBase = 0x40000000;

class TzDbfTest : public DbfTest {
 protected:
  void SetUp() override {
    DbfTest::SetUp();
    vz::ResetComponentMessagesForTesting();
    vz::SetWarningService([this](const std::string& text) { warnings_.push_back(text); });
    vz::StartComponentLayer(vz::RegionalSettings{});
    form_ = std::make_unique<vz::TComponent>(nullptr);
  }
  void TearDown() override {
    link_.SetDataSource(nullptr);
    form_.reset();
    vz::StopComponentLayer();
    vz::ResetComponentMessagesForTesting();
    DbfTest::TearDown();
  }

  // A table component of the form, named and pointed at a file of the
  // test folder, with the check table's field list; not yet active.
  vz::TTzDbf* MakeTable(const std::string& name = "Checks", const std::string& file = "checks") {
    auto* t = new vz::TTzDbf(form_.get());
    t->SetName(name);
    t->DbfFields() = qp::CheckTableFields();
    t->SetDbfFileName(Path(file));
    return t;
  }
  // A table of another program in the test folder, opened by a table
  // component of the same name.
  vz::TTzDbf* OpenTable(const std::string& file) {
    vz::TTzDbf* t = MakeTable(file, file);
    t->SetActive(true);
    EXPECT_TRUE(t->Active());
    return t;
  }
  // The check table, created and open (shared, as the program opens it),
  // with a record for each payee appended the way the Save command does.
  vz::TTzDbf* OpenChecks(std::initializer_list<const char*> payees = {}) {
    vz::TTzDbf* t = MakeTable();
    t->SetActive(true);
    EXPECT_TRUE(t->Active());
    for (const char* p : payees) AddCheck(t, p);
    return t;
  }
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
  // The same with `link_` watching it and the data set on record 1.
  vz::TTzDbf* OpenLinked(std::initializer_list<const char*> payees) {
    vz::TTzDbf* t = OpenChecks(payees);
    link_.SetDataSource(t);
    t->DataSet()->First();
    return t;
  }

  std::string CheckBytes() const { return ReadAll(Path("checks.dbf")); }
  // Raw bytes of record n of the check table as the file holds them now.
  std::string Record(int n) const {
    std::string all = CheckBytes();
    size_t at = static_cast<size_t>(kCheckHeader + (n - 1) * kCheckRecord);
    return at + kCheckRecord <= all.size() ? all.substr(at, kCheckRecord) : std::string();
  }
  // The stored text of a field of the check record in record n.
  std::string Stored(int n, std::string_view field) const {
    const std::string r = Record(n);
    size_t at = 1;
    for (const qp::CheckRecordField& f : qp::CheckRecord()) {
      if (f.name == field) return r.empty() ? "(no record)" : r.substr(at, static_cast<size_t>(f.length));
      at += static_cast<size_t>(f.length);
    }
    return "(no field " + std::string(field) + ")";
  }
  unsigned LastCode() const { return halts_.empty() ? 0 : halts_.back().second; }

  std::unique_ptr<vz::TComponent> form_;
  std::vector<std::string> warnings_;
  vz::TTzDataLink link_;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
