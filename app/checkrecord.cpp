// The check record's one description and everything derived from it.
#include "app/checkrecord.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "components/tzdbf.h"
#include "engine/codepage.h"
#include "engine/dates.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/numtext.h"
#include "engine/real48.h"
#include "engine/textutil.h"
#include "output/amountwords.h"
#include "platform/datefmt.h"

namespace qp {

namespace {

using In = CheckInput;
using F = CheckFields;

// Table order is the order of the declared field list; the edits' typing
// limits are those of the window design (payee: the field holds 40, the
// edit takes 35).
constexpr std::array<CheckRecordField, 19> kCheckRecord = {{
    {"payee", 'C', 40, 0, In::kText, "PayeeNameEdit", 35, &F::payee},
    {"amtenglish", 'C', 40, 0, In::kText, "AmountEnglish", 40, &F::amount_words},
    {"checknum", 'C', 9, 0, In::kText, "CheckNumber", 9, &F::check_number},
    {"amtnumbers", 'F', 10, 2, In::kAmount, "AmountNumbers", 0, nullptr},
    {"chkdate", 'C', 8, 0, In::kDate, "TransDate", 0, nullptr},
    {"acctnum", 'C', 20, 0, In::kText, "AccountNumber", 20, &F::account_number},
    {"abanum", 'C', 9, 0, In::kText, "ABANumber", 9, &F::aba_number},
    {"bcity", 'C', 30, 0, In::kText, "BankCity", 30, &F::bank_city},
    {"bstate", 'C', 2, 0, In::kText, "BankState", 2, &F::bank_state},
    {"bzip", 'C', 10, 0, In::kText, "BankZip", 10, &F::bank_zip},
    {"baddress", 'C', 35, 0, In::kText, "BankAddress", 35, &F::bank_address},
    {"bname", 'C', 35, 0, In::kText, "BankName", 35, &F::bank_name},
    {"pfirstname", 'C', 20, 0, In::kText, "FirstEdit", 20, &F::first_name},
    {"plastname", 'C', 30, 0, In::kText, "LastEdit", 30, &F::last_name},
    {"paddress", 'C', 40, 0, In::kText, "AddressEdit", 40, &F::address},
    {"pcity", 'C', 30, 0, In::kText, "CityEdit", 30, &F::city},
    {"pstate", 'C', 2, 0, In::kText, "StateEdit", 2, &F::state},
    {"pzip", 'C', 10, 0, In::kText, "ZipEdit", 10, &F::zip},
    {"notes", 'M', 10, 0, In::kNotes, nullptr, 0, nullptr},
}};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::span<const CheckRecordField> CheckRecord() { return kCheckRecord; }

const CheckRecordField* FindCheckField(std::string_view name) {
  for (const CheckRecordField& f : kCheckRecord) {
    if (SameName(f.name, name)) return &f;
  }
  return nullptr;
}

const CheckRecordField* FindCheckEdit(std::string_view edit) {
  for (const CheckRecordField& f : kCheckRecord) {
    if (f.edit != nullptr && edit == f.edit) return &f;
  }
  return nullptr;
}

std::vector<std::string> CheckTableFields() {
  std::vector<std::string> lines;
  for (const CheckRecordField& f : kCheckRecord) {
    lines.push_back(std::string(f.name) + ", " + f.type + ", " + std::to_string(f.length) + ", " +
                    std::to_string(f.decimals));
  }
  return lines;
}

std::vector<vz::TFieldEntry> CheckTableStructure(bool with_notes) {
  std::vector<vz::TFieldEntry> entries;
  for (const CheckRecordField& f : kCheckRecord) {
    if (f.input == In::kNotes && !with_notes) continue;
    entries.push_back(vz::TFieldEntry::Make(f.name, f.type, f.length, f.decimals));
  }
  return entries;
}

const std::string& CheckValues::Text(std::string_view field) const {
  static const std::string kNone;
  auto it = text.find(field);
  return it == text.end() ? kNone : it->second;
}

const CheckValues& SampleCheck() {
  static const CheckValues sample = [] {
    CheckValues v;
    v.text = {
        {"pfirstname", "Margaret"},
        {"plastname", "Whitfield"},
        {"paddress", "1427 Larkspur Lane"},
        {"pcity", "Springfield"},
        {"pstate", "IL"},
        {"pzip", "62704"},
        {"bname", "First Prairie Savings Bank"},
        {"baddress", "200 South Sixth Street"},
        {"bcity", "Springfield"},
        {"bstate", "IL"},
        {"bzip", "62701"},
        {"abanum", "123456780"},
        {"acctnum", "4021887365"},
        {"checknum", "1047"},
        {"payee", "Sangamon Valley Plumbing & Heating"},
        {"amtenglish", "One Thousand Two Hundred Forty-Eight and 50/100"},
    };
    v.amount = 1248.50;
    v.date = CheckDate{2025, 3, 14};
    return v;
  }();
  return sample;
}

std::string AmountFigures(double amount) {
  char buffer[400];  // room for the largest double written out in full
  auto result = std::to_chars(buffer, buffer + sizeof buffer, amount, std::chars_format::fixed, 2);
  if (result.ec != std::errc()) return std::string();
  return std::string(buffer, result.ptr);
}

CheckFields PrintFields(const CheckValues& values) {
  CheckFields out;
  for (const CheckRecordField& f : kCheckRecord) {
    if (f.print != nullptr) out.*f.print = values.Text(f.name);
  }
  out.date = values.date;
  out.amount_text = AmountFigures(values.amount);
  return out;
}

std::string ToTableText(std::string_view utf8) { return vz::Utf8ToOem(utf8); }

std::string FromTableText(std::string_view text) { return vz::OemToUtf8(text); }

std::string TableDateText(const CheckDate& date) {
  if (!plat::IsCalendarDate(date.year, date.month, date.day)) return std::string();
  // The pattern in force with its year cut to two digits: the field is as
  // wide as the two-digit forms, and a four-digit year would lose the year
  // itself ("12/05/19").
  const std::string& pattern = plat::ShortDatePattern();
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    int value = -1;
    if (c == 'd') value = date.day;
    if (c == 'M') value = date.month;
    if (c == 'y') value = date.year % 100;
    if (value >= 0) {
      out += static_cast<char>('0' + value / 10);
      out += static_cast<char>('0' + value % 10);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

CheckDate TableDate(std::string_view text, int current_year) {
  // The engine's check comes first, as for any stored date a program
  // takes; a blank date passes it but is no date.
  if (!vz::IsValidDate(text) || vz::IsBlankDate(text)) return CheckDate{};
  CheckDate date;
  if (!plat::ParseShortDate(text, &date.year, &date.month, &date.day, current_year)) return CheckDate{};
  return date;
}

void PutCheck(vz::TTzDbf& table, const CheckValues& values) {
  // A blank buffer first: what the check does not fill (the notes) must not
  // come over from the current record into the new one.
  table.ClearFields();
  for (const CheckRecordField& f : kCheckRecord) {
    switch (f.input) {
      case In::kText:
        table.SetCField(f.name, ToTableText(values.Text(f.name)));
        break;
      case In::kAmount:
        table.SetRealField(f.name, vz::Real48::From(values.amount).ToDouble());
        break;
      case In::kDate:
        table.SetCField(f.name, TableDateText(values.date));
        break;
      case In::kNotes:
        break;
    }
  }
}

namespace {

// A check from the stored texts of its character fields (OEM, padded to
// the field width) and its amount: the one reading behind GetCheck and
// ReadStoredChecks.
CheckValues CheckFromStored(const std::function<std::string(const char* field)>& stored, double amount) {
  CheckValues v;
  for (const CheckRecordField& f : kCheckRecord) {
    switch (f.input) {
      case In::kText:
        v.text[f.name] = TrimRight(FromTableText(stored(f.name)));
        break;
      case In::kAmount:
        v.amount = amount;
        break;
      case In::kDate:
        v.date = TableDate(TrimRight(stored(f.name)));
        break;
      case In::kNotes:
        break;
    }
  }
  // The table keeps only the first 40 characters of the words: words cut
  // exactly there are the words of the stored amount, whole; any other text
  // (one the user edited) stays as stored.
  const CheckRecordField& words_field = *FindCheckField("amtenglish");
  const std::string words = AmountInWords(vz::Real48::From(v.amount));
  std::string cut = ToTableText(words);
  cut.resize(static_cast<size_t>(words_field.length), ' ');
  if (!words.empty() && stored(words_field.name) == cut) v.text[words_field.name] = words;
  return v;
}

// Selects a work area for a while and the one before again afterwards,
// however the reading ends.
class AreaGuard {
 public:
  explicit AreaGuard(int area) : saved_(vz::CurrentArea()) { vz::Select(area); }
  ~AreaGuard() { vz::Select(saved_); }
  AreaGuard(const AreaGuard&) = delete;
  AreaGuard& operator=(const AreaGuard&) = delete;

 private:
  int saved_;
};

}  // namespace

CheckValues GetCheck(vz::TTzDbf& table) {
  const CheckRecordField& amount = *std::find_if(kCheckRecord.begin(), kCheckRecord.end(),
                                                 [](const CheckRecordField& f) { return f.input == In::kAmount; });
  return CheckFromStored([&table](const char* field) { return table.GetCField(field); },
                         table.GetRealField(amount.name));
}

bool ReadStoredChecks(std::span<const int32_t> records, std::vector<StoredCheck>* out) {
  // Field numbers by name: a table whose fields stand in another order
  // (or lack one) still reads right; a missing field reads blank.
  std::map<std::string, int, std::less<>> numbers;
  if (vz::FieldCount() == 0) return false;  // no table open: reported by the engine
  for (const CheckRecordField& f : kCheckRecord) numbers[f.name] = vz::FieldNo(f.name);
  const int32_t count = vz::RecCount();
  std::vector<int32_t> all;
  if (records.empty()) {
    for (int32_t r = 1; r <= count; ++r) all.push_back(r);
    records = all;
  }
  for (const int32_t r : records) {
    if (r < 1 || r > count) continue;
    bool failed = false;
    auto peek = [&](const char* field) -> std::string {
      const int n = numbers.find(field)->second;
      if (n == 0 || failed) return std::string();
      std::string text = vz::Peek(n, r);
      if (vz::ErrorCode() != 0) failed = true;
      return text;
    };
    StoredCheck check;
    check.record = r;
    check.deleted = vz::Peek(0, r) == "*";
    if (vz::ErrorCode() != 0) return false;
    double amount = 0;
    for (const CheckRecordField& f : kCheckRecord) {
      // N and F fields are stored as text with a "." whatever the
      // national settings say.
      if (f.input == In::kAmount) amount = vz::TextToReal(vz::TrimBoth(peek(f.name)), '.').ToDouble();
    }
    check.values = CheckFromStored(peek, amount);
    if (failed) return false;
    out->push_back(std::move(check));
  }
  return true;
}

bool ReadStoredChecks(vz::TTzODbf& table, std::span<const int32_t> records,
                      std::vector<StoredCheck>* out) {
  if (!table.IsOpen()) return false;
  AreaGuard area(table.WorkArea());
  return ReadStoredChecks(records, out);
}

}  // namespace qp
