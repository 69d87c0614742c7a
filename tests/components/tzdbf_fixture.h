// Fixture of the component tests over real tables: the engine's fixture (reports land in `halts_`), the component
// layer started, warnings recorded, a form owning the components a test makes and a link logging what it hears.
#ifndef QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
#define QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
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

using Log = std::vector<std::string>;

inline std::string StateName(vz::TDataSetState s) {
  static const char* const kNames[] = {"dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsCalcFields"};
  return kNames[s];
}

inline std::string Padded(const std::string& s, size_t length) { return s + std::string(length - s.size(), ' '); }

inline std::string Raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

// A link logging what it hears ("L:Scrolled(-1)", "L:Editing(on)"); on_update_data stands for a control writing back.
class RecordingLink : public vz::TTzDataLink {
 public:
  RecordingLink(std::string name, Log* log) : name_(std::move(name)), log_(log) {}
  ~RecordingLink() override { SetDataSource(nullptr); }
  std::function<void()> on_update_data;

 protected:
  void ActiveChanged() override { Put(std::string("Active(") + (Active() ? "on" : "off") + ")"); }
  void CheckBrowseMode() override { Put("CheckBrowseMode"); }
  void DataSetChanged() override { Put("DataSetChanged"); }
  void DataSetScrolled(int distance) override { Put("Scrolled(" + std::to_string(distance) + ")"); }
  void EditingChanged() override { Put(std::string("Editing(") + (Editing() ? "on" : "off") + ")"); }
  void LayoutChanged() override { Put("LayoutChanged"); }
  void RecordChanged(vz::TTzField* f) override { Put("RecordChanged(" + (f ? f->FieldName() : "nil") + ")"); }
  void UpdateData() override {
    Put("UpdateData");
    if (on_update_data) on_update_data();
  }

 private:
  void Put(const std::string& what) {
    if (log_) log_->push_back(name_ + ":" + what);
  }
  std::string name_;
  Log* log_;
};

// A table component that also keeps the data events reaching it, when `events` is set.
class WatchedDbf : public vz::TTzDbf {
 public:
  using vz::TTzDbf::TTzDbf;
  std::vector<vz::TDataEvent>* events = nullptr;
  void DataEvent(vz::TDataEvent event, intptr_t info) override {
    if (events) events->push_back(event);
    vz::TTzDbf::DataEvent(event, info);
  }
};

// Logs the editing events of a data set with the state at the time ("BeforePost[dsEdit]").
inline void RecordDataSetEvents(vz::TTzDataSet* ds, Log* log) {
  auto put = [ds, log](const char* name) { log->push_back(std::string(name) + "[" + StateName(ds->State()) + "]"); };
  auto on = [put](const char* name) { return [put, name](vz::TTzDataSet*) { put(name); }; };
  auto ask = [put](const char* name) { return [put, name](vz::TTzDataSet*, bool&) { put(name); }; };
  ds->BeforeInsert = ask("BeforeInsert"), ds->AfterInsert = on("AfterInsert"), ds->OnNewRecord = on("OnNewRecord");
  ds->BeforeEdit = ask("BeforeEdit"), ds->AfterEdit = on("AfterEdit");
  ds->BeforePost = ask("BeforePost"), ds->AfterPost = on("AfterPost");
  ds->BeforeCancel = ask("BeforeCancel"), ds->AfterCancel = on("AfterCancel");
  ds->BeforeDelete = ask("BeforeDelete"), ds->AfterDelete = on("AfterDelete");
  ds->BeforeRestore = ask("BeforeRestore"), ds->AfterRestore = on("AfterRestore");
}

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

  // A table component of the form over a file of the test folder, with the check table's fields; not yet active.
  WatchedDbf* MakeTable(const std::string& name = "Checks", const std::string& file = "checks") {
    auto* t = new WatchedDbf(form_.get());
    t->SetName(name);
    t->DbfFields() = qp::CheckTableFields();
    t->SetDbfFileName(Path(file));
    return t;
  }
  // Another program's table (an empty memo file when its version byte has one), open under the file's name.
  WatchedDbf* OpenRaw(const std::string& file, uint8_t version, std::initializer_list<FieldDef> fields,
                      const std::vector<std::string>& records) {
    WriteAll(Path(file + ".dbf"), RawDbf(version, fields, records));
    if (version & 0x80) WriteAll(Path(file + ".dbt"), std::string(1, '\1') + std::string(511, '\0'));
    return Opened(MakeTable(file, file));
  }
  // The check table, created and open (shared, as the program opens it), each payee appended as Save does.
  WatchedDbf* OpenChecks(std::initializer_list<const char*> payees = {}) {
    WatchedDbf* t = Opened(MakeTable());
    for (const char* p : payees) AddCheck(t, p);
    return t;
  }
  WatchedDbf* Opened(WatchedDbf* t) {
    t->SetActive(true);
    EXPECT_TRUE(t->Active());
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
  // `link_` watching the table, the data set on record 1 and the log empty.
  WatchedDbf* Linked(WatchedDbf* t) {
    link_.SetDataSource(t);
    t->DataSet()->First();
    log_.clear();
    return t;
  }
  WatchedDbf* OpenLinked(std::initializer_list<const char*> payees) { return Linked(OpenChecks(payees)); }

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
  // The payees the check table file holds, marked ones starred: "ann,*bob".
  std::string Payees() const {
    std::string all;
    for (int n = 1; !Record(n).empty(); ++n) {
      std::string p = Stored(n, "payee");
      all += (n > 1 ? "," : "") + std::string(Record(n)[0] == '*' ? "*" : "") + p.erase(p.find_last_not_of(' ') + 1);
    }
    return all;
  }
  unsigned LastCode() const { return halts_.empty() ? 0 : halts_.back().second; }
  // The table a test works on, its data set and its fields.
  vz::TTzDataSet* ds() { return t_->DataSet(); }
  vz::TTzField* F(const char* name) { return ds()->FieldByName(name); }
  Log Take() { return std::exchange(log_, {}); }

  WatchedDbf* t_ = nullptr;
  std::unique_ptr<vz::TComponent> form_;
  std::vector<std::string> warnings_;
  Log log_;
  RecordingLink link_{"L", &log_};
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_COMPONENTS_TZDBF_FIXTURE_H_
