// Opens arbitrary bytes as a table and does everything a reader and a
// careful writer would: walks every record both ways, reads every field
// typed and stored, jumps about, rewrites, appends, deletes and packs. The
// sanitizers turn any read or write outside a buffer, any overflow and any
// division by zero into a crash; a clean error is the right answer to a bad
// file.
//
// The last input byte chooses the settings (sharing, date form, hidden
// records, Peek cache, recount on open, writing or not); the rest is the
// file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "platform/file.h"

namespace {

constexpr int kMaxSteps = 2000;

const std::string& Folder() {
  // In memory where there is such a file system: Pack and FlushDbf commit
  // to disk, which would otherwise set the pace.
  static std::string folder = [] {
    std::string base = plat::IsDirectory("/dev/shm") ? "/dev/shm" : plat::TempDirectory();
    std::string templ = base + "/qpfuzz-XXXXXX";
    if (!mkdtemp(templ.data())) std::abort();
    return templ;
  }();
  return folder;
}

void ReadEveryField() {
  int fields = vz::FieldCount();
  for (int i = 1; i <= fields; ++i) {
    switch (vz::FieldType(i)) {
      case 'C':
      case 'D': (void)vz::GetFieldText(i); break;
      case 'N':
      case 'F': (void)vz::GetFieldNumber(i); break;
      case 'L': (void)vz::GetFieldLogical(i); break;
      case 'M': (void)vz::GetFieldMemo(i); break;
      default: break;
    }
    (void)vz::Peek(i, vz::RecNo());
  }
  (void)vz::Deleted();
  (void)vz::RecordImage();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options = data[size - 1];
  const std::string file = Folder() + "/t.dbf";
  {
    plat::File f;
    if (f.Create(file, plat::kModeExclusive) != plat::kOk) std::abort();
    size_t done = 0;
    f.WriteAt(0, data, size - 1, &done);
  }
  vz::ResetEngineSettings();
  vz::SetReportErrors(false);
  static const int kDateFormats[] = {0, 1, 2, 5};
  vz::SetDateFormat(kDateFormats[(options >> 1) & 3]);
  vz::SetCenturyOn(options & 8);
  vz::Settings().HideDeleted = options & 16;
  vz::Settings().PeekCacheSize = (options & 32) ? 1000 : 0;
  vz::Settings().RecountOnOpen = options & 64;
  const bool write = options & 128;

  if (vz::USE(file + ((options & 1) ? " EXCLUSIVE" : ""))) {
    vz::GoTop();
    for (int i = 0; i < kMaxSteps && !vz::dEOF() && vz::ErrorCode() == 0; ++i) {
      ReadEveryField();
      vz::SKIP(1);
    }
    vz::GoBottom();
    for (int i = 0; i < 8 && !vz::dBOF() && vz::ErrorCode() == 0; ++i) {
      ReadEveryField();
      vz::SKIP(-1);
    }
    for (int32_t n : {0, 1, 2, vz::RecCount(), vz::RecCount() + 1, -1}) {
      vz::GO(n);
      ReadEveryField();
    }
    if (write) {
      vz::GoTop();
      if (vz::RLock()) {
        vz::Replace();
        vz::DeleteRec();
        vz::Poke("x", 1, vz::RecNo());
        vz::Unlock();
      }
      if (vz::ALock()) {
        vz::ClearRecord();
        vz::Append();
        vz::Unlock();
      }
      vz::Pack();
      vz::FlushDbf();
    }
  }
  vz::ShutdownEngine();
  vz::ClearError();
  return 0;
}
