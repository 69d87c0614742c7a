// Fuzz target over the component layer: arbitrary bytes become a table and
// its memo file, opened through TTzDbf as a form would, and the data set is
// walked over every record, reading every field as text and every note as
// lines, with a grid's window moving its rows as it paints them. Then
// (sometimes) one record is edited through the fields and posted, records
// are deleted and packed.
//
// Beyond the sanitizers' findings, one promise is checked: values the data
// set posted read back through it, text and notes alike, also after a pack.
//
// Input: byte 0 flags (bit 0 exclusive, bits 1-2 the date form, bit 3
// century, bit 4 hide deleted records, bit 5 edit and post, bit 6 a grid's
// window of 4 rows, bit 7 a memo file), byte 1 flags (bit 0 delete the
// first record, bit 1 pack), bytes 2-3 the table's length (little-endian),
// then the table's bytes, then the memo file's.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "platform/datefmt.h"
#include "platform/file.h"

namespace {

constexpr size_t kPrefix = 4;
constexpr int kMaxSteps = 300;
const vz::TStrings kNote = {"fuzz note", "", "the third line"};

struct Files {
  std::string dir;
  std::string dbf;
  std::string dbt;
};

const Files& TheFiles() {
  static Files files = [] {
    Files f;
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : plat::TempDirectory();
    std::string templ = base + "/qp-tzdbf-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) std::abort();
    f.dir = templ;
    f.dbf = f.dir + "/f.dbf";
    f.dbt = f.dir + "/f.dbt";
    static std::string dir = f.dir;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    });
    return f;
  }();
  return files;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t n) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

[[noreturn]] void Finding(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// Runs one operation; the layer's own errors are a clean answer.
template <typename F>
bool Try(F&& f) {
  try {
    f();
    return true;
  } catch (const vz::EVozuvError&) {
    return false;
  }
}

void ReadFields(vz::TTzDataSet* ds) {
  for (int i = 0; i < ds->FieldCount(); ++i) {
    vz::TTzField* f = ds->Fields(i);
    Try([&] {
      (void)f->AsString();
      (void)f->IsBlob();
      (void)f->DisplayWidth();
      if (f->DataType() == 'M') (void)f->Lines();
    });
  }
}

void Walk(vz::TTzDataSet* ds, vz::TTzDataLink& grid, bool window) {
  Try([&] { ds->First(); });
  for (int i = 0; i < kMaxSteps && ds->Active() && !ds->Eof(); ++i) {
    ReadFields(ds);
    if (window) {
      const int active = ds->ActiveRecord();
      for (int r = 0; r < grid.RecordCount(); ++r) {
        grid.SetActiveRecord(r);
        ReadFields(ds);
      }
      Try([&] { grid.SetActiveRecord(active - grid.FirstRecord()); });
    }
    if (!Try([&] { ds->Next(); })) break;
  }
  Try([&] {
    ds->Last();
    ReadFields(ds);
    ds->MoveBy(-3);
    ReadFields(ds);
    ds->Refresh();
  });
}

// What the edit set, to be read back: a text field and the text it shows,
// or a memo field (which shows kNote).
struct Expected {
  vz::TTzField* field;
  std::string text;
};

// Edits the first record; what to expect of it once posted (nothing when
// the post did not happen), and its record number.
std::vector<Expected> Edit(vz::TTzDataSet* ds, int32_t* record) {
  std::vector<Expected> expected;
  bool posted = false;
  bool ok = Try([&] {
    ds->First();
    if (ds->Eof()) return;
    ds->Edit();
    for (int i = 0; i < ds->FieldCount(); ++i) {
      vz::TTzField* f = ds->Fields(i);
      switch (f->DataType()) {
        case 'C':
          f->SetAsString("fuzz");
          expected.push_back({f, std::string("fuzz").substr(0, static_cast<size_t>(f->Size()))});
          break;
        case 'D': f->SetAsString(plat::FormatShortDate(2026, 12, 25)); break;
        case 'N':
        case 'F': f->SetAsString("7"); break;
        case 'L': f->SetAsString("true"); break;
        case 'M':
          f->SetLines(kNote);
          expected.push_back({f, std::string()});
          break;
        default: break;
      }
    }
    posted = ds->Post() && vz::ErrorCode() == 0;
    *record = vz::Deleted() ? 0 : vz::RecNo();
  });
  if (!ok || !posted) expected.clear();
  return expected;
}

void ExpectBack(const std::vector<Expected>& expected, const char* when) {
  for (const Expected& e : expected) {
    if (e.field->DataType() == 'M') {
      vz::TStrings lines;
      if (!Try([&] { lines = e.field->Lines(); }) || lines != kNote) {
        Finding("a note posted through the data set does not read back", when);
      }
    } else if (e.field->AsString() != e.text) {
      Finding("a text posted through the data set does not read back", std::string(when) + ": " +
                                                                           e.field->AsString());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vz::SetReportErrors(false);
  vz::SetRaiseEngineErrors(false);
  vz::StartMemoManager();
  vz::StartComponentLayer(vz::RegionalSettings{});
  vz::SetWarningService([](const std::string&) {});
  TheFiles();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t prefix[kPrefix] = {};
  for (size_t i = 0; i < kPrefix && i < size; ++i) prefix[i] = data[i];
  const uint8_t options = prefix[0];
  const uint8_t more = prefix[1];
  const size_t rest = size > kPrefix ? size - kPrefix : 0;
  const size_t table = std::min<size_t>(prefix[2] | size_t{prefix[3]} << 8, rest);
  const Files& files = TheFiles();
  WriteAll(files.dbf, data + kPrefix, table);
  if (options & 128) {
    WriteAll(files.dbt, data + kPrefix + table, rest - table);
  } else {
    std::error_code ec;
    std::filesystem::remove(files.dbt, ec);
  }

  vz::ResetEngineSettings();
  vz::SetReportErrors(false);
  vz::ClearError();
  static const int kDateFormats[] = {0, 1, 2, 5};
  vz::SetCenturyOn(options & 8);
  vz::SetDateFormat(kDateFormats[(options >> 1) & 3]);
  {
    vz::TComponent form(nullptr);
    auto* t = new vz::TTzDbf(&form);
    t->SetName("Fuzz");
    t->SetCreateIfNotFound(false);
    t->SetExclusive(options & 1);
    t->SetHideDeletedRecs(options & 16);
    t->SetDbfFileName(files.dbf);
    vz::TTzDataLink grid;
    if (Try([&] { t->SetActive(true); }) && t->Active()) {
      vz::TTzDataSet* ds = t->DataSet();
      grid.SetDataSource(t);
      if (options & 64) grid.SetBufferCount(4);
      Walk(ds, grid, options & 64);
      if (options & 32) {
        int32_t edited = 0;
        const std::vector<Expected> expected = Edit(ds, &edited);
        ExpectBack(expected, "after the post");
        if (!expected.empty() && (more & 1)) {
          // Another record goes, so that the pack has something to remove.
          Try([&] {
            ds->Last();
            if (!ds->Eof() && ds->RecordCount() > 0 && vz::RecNo() != edited) ds->Delete();
          });
        }
        // The edited record is the first one left after the pack (records
        // before it were hidden, so marked), unless it was marked itself.
        if (!expected.empty() && edited > 0 && (more & 2)) {
          bool packed = false;
          Try([&] { packed = t->Pack() && vz::ErrorCode() == 0; });
          if (packed && t->Active() && Try([&] { ds->First(); }) && !ds->Eof()) {
            ExpectBack(expected, "after a pack");
          }
        }
      }
      Walk(ds, grid, options & 64);
      grid.SetDataSource(nullptr);
    }
  }
  vz::ShutdownEngine();
  vz::ClearError();
  return 0;
}
