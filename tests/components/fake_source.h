// A data source over an in-memory table, for the data-set tests. It keeps
// the engine's typed field buffer layout and its cursor rules, so the data
// set meets what the table component will give it:
//   - records 1..n; after the last the cursor stands on n + 1 with eof and a
//     blank field buffer; stepping back from record 1 stays there with bof;
//   - every read loads the record into the field buffer;
//   - the bookmark is the record number (4 bytes).
// It also records the cursor operations and the events of the data set, the
// source and a recording link in one log, so tests can assert their order.
#ifndef QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_
#define QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "components/dataset.h"
#include "engine/real48.h"

namespace qptest {

// Field buffer slots of the test table, as the engine lays them out.
//   0  deleted flag
//   payee   C 10  counted text      11 bytes
//   amount  N 10.2  6-byte real      6
//   count   N 5   int32              4
//   paid    L                        1
//   chkdate D                       11
//   notes   M     block int32        4
struct Layout {
  static constexpr int kPayee = 1;
  static constexpr int kAmount = kPayee + 11;
  static constexpr int kCount = kAmount + 6;
  static constexpr int kPaid = kCount + 4;
  static constexpr int kDate = kPaid + 1;
  static constexpr int kNotes = kDate + 11;
  static constexpr int kSize = kNotes + 4;
};

inline std::string StateName(vz::TDataSetState s) {
  switch (s) {
    case vz::dsInactive: return "dsInactive";
    case vz::dsBrowse: return "dsBrowse";
    case vz::dsEdit: return "dsEdit";
    case vz::dsInsert: return "dsInsert";
    case vz::dsCalcFields: return "dsCalcFields";
  }
  return "?";
}

class FakeSource : public vz::TTzDataSource {
 public:
  explicit FakeSource(vz::TComponent* owner = nullptr) : vz::TTzDataSource(owner), buf_(Layout::kSize, 0) {
    Clear();
  }

  std::vector<std::string>* log = nullptr;     // cursor operations go here when set
  std::vector<std::string>* events = nullptr;  // data events reaching the source ("deDataSetScroll(-1)")
  bool refuse_insert = false;
  bool refuse_post = false;
  bool refuse_delete = false;

  // Adds the six fields, pointing into the field buffer.
  void AddFields() {
    vz::TTzDataSet* ds = DataSet();
    ds->AddField("payee", 'C', 10, 0, &buf_[Layout::kPayee]);
    ds->AddField("amount", 'N', 10, 2, &buf_[Layout::kAmount]);
    ds->AddField("count", 'N', 5, 0, &buf_[Layout::kCount]);
    ds->AddField("paid", 'L', 1, 0, &buf_[Layout::kPaid]);
    ds->AddField("chkdate", 'D', 8, 0, &buf_[Layout::kDate]);
    ds->AddField("notes", 'M', 10, 0, &buf_[Layout::kNotes]);
  }

  // Appends a record straight into the table.
  void AddRecord(const std::string& payee, double amount = 0, int32_t count = 0, int32_t memo = 0) {
    std::vector<uint8_t> r(Layout::kSize, 0);
    Blank(r);
    SetText(r, Layout::kPayee, 10, payee);
    vz::Real48::From(amount).Store(&r[Layout::kAmount]);
    std::memcpy(&r[Layout::kCount], &count, 4);
    std::memcpy(&r[Layout::kNotes], &memo, 4);
    records_.push_back(r);
  }

  int Count() const { return static_cast<int>(records_.size()); }
  std::string PayeeOf(int recno) const { return Text(records_.at(static_cast<size_t>(recno - 1)), Layout::kPayee); }
  bool DeletedOf(int recno) const { return records_.at(static_cast<size_t>(recno - 1))[0] != 0; }
  int RecNo() const { return recno_; }
  uint8_t* Buffer() { return buf_.data(); }
  std::map<int32_t, vz::TStrings>& Memos() { return memos_; }

  // Writes the payee into the field buffer as a table component's SetCField
  // does, then runs the record-changed step.
  void SetPayeeDirect(const std::string& payee) {
    SetText(buf_, Layout::kPayee, 10, payee);
    RecordChanged();
  }
  // Deletes a record behind the data set's back (records after it move up,
  // as after packing; the cursor stays on its record) and resyncs.
  void RemoveRecordDirect(int recno) {
    records_.erase(records_.begin() + (recno - 1));
    if (recno_ > recno) --recno_;
    if (recno_ > Count()) {
      recno_ = Count() + 1;
      eof_ = true;
    }
    Resync();
  }

  void DataEvent(vz::TDataEvent event, intptr_t info) override {
    if (events) {
      static const char* const kNames[] = {"deFieldChange", "deRecordChange", "deDataSetChange",
                                           "deDataSetScroll", "deLayoutChange", "deUpdateRecord",
                                           "deUpdateState", "deCheckBrowseMode", "?", "deFieldListChange",
                                           "deFocusControl"};
      std::string name = event <= vz::deFocusControl ? kNames[event] : "?";
      if (event == vz::deDataSetScroll) name += "(" + std::to_string(info) + ")";
      events->push_back(name);
    }
    vz::TTzDataSource::DataEvent(event, info);
  }

  // ---- cursor operations ----
  uint16_t GetBookmarkSize() override { return 4; }
  uint16_t SetToBookmark(uint8_t* bookmark) override {
    int32_t r;
    std::memcpy(&r, bookmark, 4);
    Note("SetToBookmark(" + std::to_string(r) + ")");
    return Go(r);
  }
  void ClearFields() override {
    Note("ClearFields");
    Blank(buf_);
  }
  int GetBookmark(uint8_t* bookmark) override {
    int32_t r = recno_;
    std::memcpy(bookmark, &r, 4);
    int result = 0;
    if (bof_) result = 1;
    if (eof_) result = 2;
    return result;
  }
  void GetMemo(int32_t block, vz::TStrings& lines) override {
    Note("GetMemo(" + std::to_string(block) + ")");
    lines.clear();
    if (block == 0) return;
    auto it = memos_.find(block);
    if (it != memos_.end()) lines = it->second;
  }
  void PutMemo(const std::string& field_name, const vz::TStrings& lines) override {
    Note("PutMemo(" + field_name + ")");
    int32_t block = next_block_++;
    memos_[block] = lines;
    std::memcpy(&buf_[Layout::kNotes], &block, 4);
  }
  int32_t GetRecordCount() override { return Count(); }
  bool Deleted() override { return buf_[0] != 0; }
  bool _Delete() override { return Mark(true, refuse_delete, "_Delete"); }
  bool _Restore() override { return Mark(false, refuse_delete, "_Restore"); }
  bool _First() override {
    Note("_First");
    GoTop();
    return true;
  }
  bool _Last() override {
    Note("_Last");
    if (records_.empty()) {
      Empty();
    } else {
      Load(Count());
    }
    return true;
  }
  bool _Insert() override {
    Note("_Insert");
    if (refuse_insert) return false;
    std::vector<uint8_t> r = buf_;
    r[0] = 0;
    records_.push_back(r);
    Load(Count());
    return true;
  }
  bool _Post() override {
    Note("_Post(" + std::to_string(recno_) + ")");
    if (refuse_post || recno_ < 1 || recno_ > Count()) return false;
    std::vector<uint8_t> r = buf_;
    r[0] = records_[static_cast<size_t>(recno_ - 1)][0];
    records_[static_cast<size_t>(recno_ - 1)] = r;
    return true;
  }
  bool _Next() override {
    Note("_Next");
    if (eof_) return false;
    Skip(1);
    return !eof_;
  }
  bool _Prior() override {
    Note("_Prior");
    if (bof_) return false;
    Skip(-1);
    return !bof_;
  }
  bool _Refresh() override {
    Note("_Refresh");
    if (records_.empty()) return false;
    Skip(0);
    return !eof_;
  }

 private:
  static void SetText(std::vector<uint8_t>& r, int at, int len, const std::string& s) {
    size_t n = std::min(s.size(), static_cast<size_t>(len));
    r[static_cast<size_t>(at)] = static_cast<uint8_t>(len);
    std::memset(&r[static_cast<size_t>(at) + 1], ' ', static_cast<size_t>(len));
    std::memcpy(&r[static_cast<size_t>(at) + 1], s.data(), n);
  }
  static std::string Text(const std::vector<uint8_t>& r, int at) {
    std::string s(reinterpret_cast<const char*>(&r[static_cast<size_t>(at) + 1]), r[static_cast<size_t>(at)]);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  static void Blank(std::vector<uint8_t>& r) {
    std::fill(r.begin(), r.end(), 0);
    SetText(r, Layout::kPayee, 10, "");
    SetText(r, Layout::kDate, 8, "");
    std::memcpy(&r[Layout::kDate + 1], "  /  /  ", 8);
  }
  void Note(const std::string& what) {
    if (log) log->push_back(what);
  }
  void Clear() {
    recno_ = 1;
    bof_ = eof_ = true;
    Blank(buf_);
  }
  void Empty() {
    recno_ = Count() + 1;
    bof_ = eof_ = true;
    Blank(buf_);
  }
  void Load(int r) {
    recno_ = r;
    bof_ = eof_ = false;
    buf_ = records_[static_cast<size_t>(r - 1)];
  }
  void GoTop() {
    if (records_.empty()) {
      Empty();
    } else {
      Load(1);
    }
  }
  uint16_t Go(int32_t r) {
    if (records_.empty()) {
      Empty();
      return 212;
    }
    if (r < 1 || r > Count()) {
      recno_ = Count() + 1;
      eof_ = true;
      Blank(buf_);
      return 212;
    }
    Load(r);
    return 0;
  }
  void Skip(int n) {
    if (n == 0) {
      if (!records_.empty() && !eof_ && recno_ <= Count()) {
        buf_ = records_[static_cast<size_t>(recno_ - 1)];
      } else {
        Blank(buf_);
      }
      return;
    }
    if (records_.empty()) {
      bof_ = eof_ = true;
      return;
    }
    bof_ = eof_ = false;
    if (n > 0) {
      if (recno_ + 1 > Count()) {
        recno_ = Count() + 1;
        eof_ = true;
        Blank(buf_);
      } else {
        Load(recno_ + 1);
      }
    } else {
      if (recno_ - 1 < 1) {
        GoTop();
        bof_ = true;
      } else {
        Load(recno_ - 1);
      }
    }
  }
  bool Mark(bool deleted, bool refuse, const char* name) {
    Note(std::string(name) + "(" + std::to_string(recno_) + ")");
    if (refuse || recno_ < 1 || recno_ > Count()) return false;
    records_[static_cast<size_t>(recno_ - 1)][0] = deleted ? 1 : 0;
    buf_[0] = deleted ? 1 : 0;
    return true;
  }

  std::vector<uint8_t> buf_;
  std::vector<std::vector<uint8_t>> records_;
  std::map<int32_t, vz::TStrings> memos_;
  int32_t next_block_ = 1;
  int recno_ = 1;
  bool bof_ = true;
  bool eof_ = true;
};

// A link that writes what it hears into a log: "L1:DataSetChanged",
// "L1:Scrolled(-1)", "L1:Editing(on)" ... An optional UpdateData action
// stands for a control writing its value back.
class RecordingLink : public vz::TTzDataLink {
 public:
  RecordingLink(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {}
  ~RecordingLink() override { SetDataSource(nullptr); }

  std::function<void()> on_update_data;
  bool quiet = false;  // stop logging (the test looks at one stretch)

  using vz::TTzDataLink::SetField;

 protected:
  void ActiveChanged() override { Put(std::string("Active(") + (Active() ? "on" : "off") + ")"); }
  void CheckBrowseMode() override { Put("CheckBrowseMode"); }
  void DataSetChanged() override { Put("DataSetChanged"); }
  void DataSetScrolled(int distance) override { Put("Scrolled(" + std::to_string(distance) + ")"); }
  void EditingChanged() override { Put(std::string("Editing(") + (Editing() ? "on" : "off") + ")"); }
  void LayoutChanged() override { Put("LayoutChanged"); }
  void RecordChanged(vz::TTzField* field) override {
    Put("RecordChanged(" + (field ? field->FieldName() : std::string("nil")) + ")");
  }
  void UpdateData() override {
    Put("UpdateData");
    if (on_update_data) on_update_data();
  }

 private:
  void Put(const std::string& what) {
    if (log_ && !quiet) log_->push_back(name_ + ":" + what);
  }
  std::string name_;
  std::vector<std::string>* log_;
};

// Hooks every data-set event into a log with the state at the time
// ("BeforePost[dsEdit]").
inline void RecordDataSetEvents(vz::TTzDataSet* ds, std::vector<std::string>* log) {
  auto notify = [ds, log](const char* name) {
    return [ds, log, name](vz::TTzDataSet*) { log->push_back(std::string(name) + "[" + StateName(ds->State()) + "]"); };
  };
  auto confirm = [ds, log](const char* name) {
    return [ds, log, name](vz::TTzDataSet*, bool&) {
      log->push_back(std::string(name) + "[" + StateName(ds->State()) + "]");
    };
  };
  ds->BeforeOpen = notify("BeforeOpen");
  ds->AfterOpen = notify("AfterOpen");
  ds->BeforeClose = notify("BeforeClose");
  ds->AfterClose = notify("AfterClose");
  ds->AfterInsert = notify("AfterInsert");
  ds->AfterEdit = notify("AfterEdit");
  ds->AfterPost = notify("AfterPost");
  ds->AfterCancel = notify("AfterCancel");
  ds->AfterDelete = notify("AfterDelete");
  ds->AfterRestore = notify("AfterRestore");
  ds->OnNewRecord = notify("OnNewRecord");
  ds->BeforeInsert = confirm("BeforeInsert");
  ds->BeforeEdit = confirm("BeforeEdit");
  ds->BeforePost = confirm("BeforePost");
  ds->BeforeCancel = confirm("BeforeCancel");
  ds->BeforeDelete = confirm("BeforeDelete");
  ds->BeforeRestore = confirm("BeforeRestore");
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_COMPONENTS_FAKE_SOURCE_H_
