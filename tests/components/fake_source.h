// A data source over an in-memory table, with the engine's typed field
// buffer and cursor rules: records 1..n; past the last the cursor stands on
// n + 1 with eof and a blank buffer; stepping back from record 1 stays there
// with bof; every read loads the buffer; the bookmark is the record number.
#ifndef QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_
#define QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "components/dataset.h"
#include "engine/real48.h"

namespace qptest {

using Log = std::vector<std::string>;

// Buffer slots: deleted flag, payee C10 (11), amount N10.2 (6), count N5 (4),
// paid L (1), chkdate D (11), notes M (4).
enum Slot { kPayee = 1, kAmount = 12, kCount = 18, kPaid = 22, kDate = 23, kNotes = 34, kSize = 38 };

inline std::string StateName(vz::TDataSetState s) {
  static const char* const kNames[] = {"dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsCalcFields"};
  return kNames[s];
}

class FakeSource : public vz::TTzDataSource {
 public:
  explicit FakeSource(vz::TComponent* owner = nullptr) : vz::TTzDataSource(owner) { Blank(buf_); }

  Log* events = nullptr;            // data events reaching the source, when set
  std::map<int32_t, vz::TStrings> memos;

  void AddFields() {
    vz::TTzDataSet* ds = DataSet();
    ds->AddField("payee", 'C', 10, 0, &buf_[kPayee]);
    ds->AddField("amount", 'N', 10, 2, &buf_[kAmount]);
    ds->AddField("count", 'N', 5, 0, &buf_[kCount]);
    ds->AddField("paid", 'L', 1, 0, &buf_[kPaid]);
    ds->AddField("chkdate", 'D', 8, 0, &buf_[kDate]);
    ds->AddField("notes", 'M', 10, 0, &buf_[kNotes]);
  }
  void AddRecord(const std::string& payee, double amount = 0, int32_t count = 0, int32_t memo = 0) {
    std::vector<uint8_t> r;
    Blank(r);
    SetText(r, payee);
    vz::Real48::From(amount).Store(&r[kAmount]);
    std::memcpy(&r[kCount], &count, 4);
    std::memcpy(&r[kNotes], &memo, 4);
    records_.push_back(r);
  }
  int Count() const { return static_cast<int>(records_.size()); }
  // "ann" for record 1, "*bob" when record 2 is marked deleted.
  std::string PayeeOf(int recno) const {
    const auto& r = records_.at(static_cast<size_t>(recno - 1));
    std::string s(reinterpret_cast<const char*>(&r[kPayee + 1]), r[kPayee]);
    return (r[0] ? "*" : "") + s.erase(s.find_last_not_of(' ') + 1);
  }
  std::string BufferPayee() const { return std::string(reinterpret_cast<const char*>(&buf_[kPayee + 1]), 3); }

  void DataEvent(vz::TDataEvent event, intptr_t info) override {
    static const char* const kNames[] = {"deFieldChange",  "deRecordChange", "deDataSetChange", "deDataSetScroll",
                                         "deLayoutChange", "deUpdateRecord", "deUpdateState",   "deCheckBrowseMode",
                                         "?",              "deFieldListChange"};
    if (events && event <= vz::deFieldListChange) {
      events->push_back(kNames[event] + (event == vz::deDataSetScroll ? "(" + std::to_string(info) + ")" : ""));
    }
    vz::TTzDataSource::DataEvent(event, info);
  }

  uint16_t SetToBookmark(uint8_t* bookmark) override {
    int32_t r;
    std::memcpy(&r, bookmark, 4);
    if (r < 1 || r > Count()) {
      PastTheEnd(records_.empty());
      return 212;
    }
    Load(r);
    return 0;
  }
  void ClearFields() override { Blank(buf_); }
  int GetBookmark(uint8_t* bookmark) override {
    std::memcpy(bookmark, &recno_, 4);
    return eof_ ? 2 : (bof_ ? 1 : 0);
  }
  void GetMemo(int32_t block, vz::TStrings& lines) override {
    lines = memos.count(block) ? memos[block] : vz::TStrings{};
  }
  void PutMemo(const std::string&, const vz::TStrings& lines) override {
    int32_t block = static_cast<int32_t>(memos.size()) + 1;
    memos[block] = lines;
    std::memcpy(&buf_[kNotes], &block, 4);
  }
  int32_t GetRecordCount() override { return Count(); }
  bool Deleted() override { return buf_[0] != 0; }
  bool _Delete() override { return Mark(1); }
  bool _Restore() override { return Mark(0); }
  bool _First() override { return Goto(1); }
  bool _Last() override { return Goto(Count()); }
  bool _Insert() override {
    records_.push_back(buf_);
    records_.back()[0] = 0;
    Load(Count());
    return true;
  }
  bool _Post() override {
    if (!OnRecord()) return false;
    buf_[0] = Rec()[0];
    Rec() = buf_;
    return true;
  }
  bool _Next() override {
    if (eof_) return false;
    recno_ < Count() ? Load(recno_ + 1) : PastTheEnd(false);
    return !eof_;
  }
  bool _Prior() override {
    if (bof_) return false;
    if (recno_ > 1) {
      Load(recno_ - 1);
      return true;
    }
    Goto(1);
    bof_ = true;
    return false;
  }
  bool _Refresh() override {
    if (records_.empty()) return false;
    if (OnRecord() && !eof_) {
      buf_ = Rec();
    } else {
      Blank(buf_);
    }
    return !eof_;
  }

 private:
  static void SetText(std::vector<uint8_t>& r, const std::string& s) {
    r[kPayee] = 10;
    std::memset(&r[kPayee + 1], ' ', 10);
    std::memcpy(&r[kPayee + 1], s.data(), std::min<size_t>(s.size(), 10));
  }
  static void Blank(std::vector<uint8_t>& r) {
    r.assign(kSize, 0);
    SetText(r, "");
    r[kDate] = 8;
    std::memcpy(&r[kDate + 1], "  /  /  ", 8);
  }
  bool OnRecord() const { return recno_ >= 1 && recno_ <= Count(); }
  std::vector<uint8_t>& Rec() { return records_[static_cast<size_t>(recno_ - 1)]; }
  void Load(int r) {
    recno_ = r;
    bof_ = eof_ = false;
    buf_ = Rec();
  }
  void PastTheEnd(bool bof) {
    recno_ = Count() + 1;
    bof_ = bof;
    eof_ = true;
    Blank(buf_);
  }
  bool Goto(int r) {
    if (records_.empty()) {
      PastTheEnd(true);
      recno_ = 1;
    } else {
      Load(r);
    }
    return true;
  }
  bool Mark(uint8_t deleted) {
    if (!OnRecord()) return false;
    Rec()[0] = buf_[0] = deleted;
    return true;
  }

  std::vector<uint8_t> buf_;
  std::vector<std::vector<uint8_t>> records_;
  int32_t recno_ = 1;
  bool bof_ = true;
  bool eof_ = true;
};

// A link that logs what it hears ("L1:DataSetChanged", "L1:Scrolled(-1)",
// "L1:Editing(on)"); on_update_data stands for a control writing back.
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

// Logs every data-set event with the state at the time ("BeforePost[dsEdit]").
inline void RecordDataSetEvents(vz::TTzDataSet* ds, Log* log) {
  auto put = [ds, log](const char* name) { log->push_back(std::string(name) + "[" + StateName(ds->State()) + "]"); };
  auto on = [put](const char* name) { return [put, name](vz::TTzDataSet*) { put(name); }; };
  auto ask = [put](const char* name) { return [put, name](vz::TTzDataSet*, bool&) { put(name); }; };
  ds->BeforeOpen = on("BeforeOpen"), ds->AfterOpen = on("AfterOpen");
  ds->BeforeClose = on("BeforeClose"), ds->AfterClose = on("AfterClose");
  ds->BeforeInsert = ask("BeforeInsert"), ds->AfterInsert = on("AfterInsert"), ds->OnNewRecord = on("OnNewRecord");
  ds->BeforeEdit = ask("BeforeEdit"), ds->AfterEdit = on("AfterEdit");
  ds->BeforePost = ask("BeforePost"), ds->AfterPost = on("AfterPost");
  ds->BeforeCancel = ask("BeforeCancel"), ds->AfterCancel = on("AfterCancel");
  ds->BeforeDelete = ask("BeforeDelete"), ds->AfterDelete = on("AfterDelete");
  ds->BeforeRestore = ask("BeforeRestore"), ds->AfterRestore = on("AfterRestore");
}

inline std::string Raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_
