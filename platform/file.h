// The file layer: the only way the table engine reaches the operating system.
//
// It gives the engine what it expects of a desktop file system with sharing
// modes and byte-range locks, built on POSIX:
//
//   * handles opened with a file mode (access in the low bits, sharing in
//     bits 4-6), where the sharing part is emulated by a lock on one byte far
//     beyond every range the engine itself locks;
//   * byte-range locks that never wait and that conflict between two handles
//     even inside one process;
//   * results as the engine's numeric error codes (2 file not found, 5 access
//     denied, 32 sharing violation ...), translated from errno in one table
//     (CodeFromErrno in file.cpp).
//
// Every function returns 0 on success or such a code; nothing throws.
//
// Why open-file-description locks (F_OFD_SETLK) and not classic POSIX
// record locks (F_SETLK): classic locks belong to the process, so a second
// handle of the same file in the same process never conflicts with the first,
// and closing *any* descriptor of a file silently drops *all* the process's
// locks on it. Both would break the engine, which keeps the table and its
// memo file open through several handles and relies on its locks until it
// releases them. OFD locks belong to the open file description: two opens
// conflict like two programs, and a lock lives until its own handle closes.
// Every descriptor is opened with O_CLOEXEC, because a child process would
// otherwise inherit the description and with it the locks.
#ifndef QUILLPRINT_PLATFORM_FILE_H_
#define QUILLPRINT_PLATFORM_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Error codes the layer returns (the engine's numbering; 0 is success).
enum : int {
  kOk = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidHandle = 6,
  kNotEnoughMemory = 8,
  kInvalidAccessCode = 12,
  kNotSameDevice = 17,
  kWriteFault = 29,
  kReadFault = 30,
  kGeneralFailure = 31,
  kSharingViolation = 32,
  kLockViolation = 33,
  kSharingBufferExceeded = 36,
  kDiskReadError = 100,
  kDiskWriteError = 101,  // also a write that stored fewer bytes than asked
};

// File modes. Access in bits 0-2 (0 read, 1 write, 2 read/write), sharing in
// bits 4-6 (0x10 deny all, 0x20 deny write, 0x30 deny read, 0x40 deny none,
// 0 none). Deny write and deny read are emulated as deny all.
enum : int {
  kModeReadWrite = 2,          // read/write, no sharing flags
  kModeExclusive = 0x12,       // 18: read/write, deny all
  kModeShared = 0x42,          // 66: read/write, deny none
};

// Translates an errno value into the engine's code. `writing` tells a failed
// write apart, where ENOSPC means "disk full" (101) rather than a fault.
int CodeFromErrno(int err, bool writing = false);

// The errno of the most recent failing lock or unlock call of any handle.
int LastSystemError();

// Identity of an open file: two handles with equal ids refer to one file,
// whatever names were used to open them.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};

// An open file. Not copyable; moving transfers the descriptor and its locks.
// The destructor closes the file (dropping its locks) and ignores errors;
// call Close() to see them.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens an existing file with a file mode. A sharing conflict with another
  // open handle (in this process or another) gives kSharingViolation.
  int Open(const std::string& path, int mode);

  // Creates `path`, or replaces an existing file of that name. The file is
  // truncated only after its exclusive share lock is held, so a table that
  // another program has open is never cut under it (kSharingViolation, file
  // untouched). On success the handle is open with `mode` (deny all unless
  // told otherwise).
  int Create(const std::string& path, int mode = kModeExclusive);

  // Creates a new file that must not exist yet, never following a symbolic
  // link at `path` (for temporary files in folders other users can write).
  int CreateNew(const std::string& path, int mode = kModeExclusive);

  // Changes the sharing mode of the open handle in place: the descriptor,
  // its position and its byte-range locks stay. Going to deny all fails with
  // kSharingViolation while another handle has the file open shared.
  int Reopen(int mode);

  // Closes the handle. Returns the first failure; the handle is closed in
  // every case.
  int Close();

  bool IsOpen() const { return fd_ >= 0; }
  int mode() const { return mode_; }
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }

  // Positioned I/O at the handle's own position (Seek, Read, Write) or at an
  // explicit offset (ReadAt, WriteAt, which leave the position alone). The
  // count transferred is stored in *done; a short count is not an error here,
  // callers decide what it means. EINTR is retried.
  int Seek(int64_t offset);
  int64_t Tell() const { return pos_; }
  int Read(void* buf, size_t n, size_t* done);
  int Write(const void* buf, size_t n, size_t* done);
  int ReadAt(int64_t offset, void* buf, size_t n, size_t* done);
  int WriteAt(int64_t offset, const void* buf, size_t n, size_t* done);

  int Size(int64_t* size) const;
  int Truncate(int64_t size);
  int Sync();  // commit to disk (fsync)
  int Identity(FileId* id) const;

  // Byte-range locks, exclusive, never waiting. A range held by another
  // handle gives kLockViolation (and LastSystemError() keeps the errno).
  // Re-locking a range this handle holds and unlocking a range it does not
  // hold both succeed, unlike on some other systems: callers that need to
  // know keep their own list.
  int Lock(int64_t offset, int64_t length);
  int Unlock(int64_t offset, int64_t length);

  // Whether another handle holds a lock overlapping the range (F_OFD_GETLK).
  // For tests and diagnostics; the answer may be stale at once.
  int IsLockedByOther(int64_t offset, int64_t length, bool* locked) const;

 private:
  int TakeShareLock(int mode);
  // Ends an open: on success the handle takes `path` and `mode`, otherwise
  // the descriptor is closed and `rc` returned.
  int Settle(int rc, const std::string& path, int mode);
  void Reset();

  int fd_ = -1;
  int mode_ = 0;
  int64_t pos_ = 0;
  std::string path_;
};

// Offset of the byte whose lock stands for the sharing mode of a handle.
// Far beyond every range the engine locks (those start at 0x40000000).
inline constexpr int64_t kShareLockOffset = int64_t{1} << 62;

// Identity of the file a name refers to, without opening it (so that a
// caller can tell whether it already has that file open before asking for a
// sharing mode that its own handle would refuse).
int PathIdentity(const std::string& path, FileId* id);

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
int Erase(const std::string& path);
// Atomic on one file system: `to` is replaced in one step.
int Rename(const std::string& from, const std::string& to);
// Syncs a folder, so that a rename or creation inside it is on disk.
int SyncDirectory(const std::string& dir);

// Files matching a wildcard mask ("*" and "?" in the last part only), in
// name order, with their folder as given in the mask.
int ListWildcard(const std::string& mask, std::vector<std::string>* names);

// The folder for temporary files: $TMPDIR when set, else /tmp. No trailing "/".
std::string TempDirectory();

// Creates a new empty file with a unique name starting "TZP" in the
// temporary folder and stores its full name.
int UniqueTempFile(std::string* name);

// Kilobytes free for unprivileged users on the file system holding `path`
// (or its folder when the file does not exist); -1 when it cannot be queried.
int64_t FreeSpaceKb(const std::string& path);

// The absolute form of `path` against the current folder, with "." and ".."
// steps removed (no symbolic links resolved, the file need not exist).
std::string AbsolutePath(const std::string& path);
std::string CurrentDirectory();
int SetCurrentDirectory(const std::string& dir);

// Fault injection for tests. Each rule makes the Nth call of one operation,
// counted from when the rule is set, fail with `err` (an errno value), or,
// for writes, store only `keep` bytes. Rules fire once. Process-wide and not
// thread-safe, like the engine.
namespace fault {
enum class Op { kOpen, kRead, kWrite, kLock, kRename, kErase, kClose, kSync, kCount };
void FailNth(Op op, int nth, int err);
void ShortWriteNth(int nth, size_t keep);
void Reset();
// Calls seen of an operation since the last Reset (for tests to aim at).
int Calls(Op op);
}  // namespace fault

}  // namespace plat

#endif  // QUILLPRINT_PLATFORM_FILE_H_
