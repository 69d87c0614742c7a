// The table engine's process-wide settings, with the defaults every program
// starts from.
//
// Callers that need another value for one call (the table component around
// its own open, say) change it through a SettingsGuard, which puts every
// setting back however the scope is left. The names of the members are the
// names the engine's users know them by.
//
// Not thread-safe: the engine runs on one thread.
#ifndef QUILLPRINT_ENGINE_SETTINGS_H_
#define QUILLPRINT_ENGINE_SETTINGS_H_

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vz {

// Runs over the bytes of a record after its deletion flag (and over memo
// blocks) on their way to the file (encode) or from it (decode). It must
// transform the bytes in place and never change their number.
using RecordHook = std::function<void(uint8_t* bytes, size_t length)>;

// Asked when the attempts of a lock are used up; true means "try again".
using LockRetryHook = std::function<bool()>;

struct EngineSettings {
  // Version byte of a new table with memo fields (0x83 dBASE III memo, 0x8B
  // dBASE IV memo); also picks the layout of the new memo file.
  uint8_t MemoVersion = 0x83;
  // Block size of new memo files; the memo manager sets it when it opens one.
  uint16_t MemoBlockSize = 512;
  // One more version byte each that USE accepts (0: none). A table whose
  // version equals ExtraMemoVersion counts as having memo fields.
  uint8_t ExtraDbfVersion = 0;
  uint8_t ExtraMemoVersion = 0;
  // Take the record count from the file size at open, whatever the header says.
  bool RecountOnOpen = false;
  // File mode of a shared open: 66 (read/write, deny none); 18 makes every
  // open exclusive.
  uint16_t DefaultShareMode = 66;
  // Off: every open is treated as exclusive (file mode 2) and no lock ever
  // reaches the operating system.
  bool SharingEnabled = true;
  // Below 65535: the file mode of every open, whatever was asked for.
  uint16_t ShareModeOverride = 65535;
  // Commit every record write to disk at once (appends also rewrite the header).
  bool FlushOnWrite = false;
  // Records marked deleted are skipped by GoTop, GoBottom and SKIP.
  bool HideDeleted = false;
  // Bytes of the Peek cache (0: Peek reads the file every time). At most
  // 65520 are used.
  uint16_t PeekCacheSize = 0;
  // Attempts of a lock beyond the first, and who is asked when they run out.
  uint8_t LockRetryCount = 0;
  LockRetryHook LockRetryCallback;
  // Most record locks one work area may hold (0: no limit).
  uint16_t RecordLockLimit = 0;
  // Most lines a memo reads into (further lines are dropped) and that one
  // memo may be written with.
  uint16_t MaxMemoLines = 1024;
  // Taken into each work area when a table is opened.
  RecordHook EncodeRecordHook;
  RecordHook DecodeRecordHook;
};

// The one set of settings of the process.
EngineSettings& Settings();

// Puts every setting back to its default.
void ResetEngineSettings();

// Saves all settings and restores them when it goes out of scope.
class SettingsGuard {
 public:
  SettingsGuard() : saved_(Settings()) {}
  ~SettingsGuard() { Settings() = saved_; }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;

 private:
  EngineSettings saved_;
};

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_SETTINGS_H_
