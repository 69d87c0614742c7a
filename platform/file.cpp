// POSIX implementation of the file layer: descriptors, sharing modes emulated
// with open-file-description locks, byte-range locks, and the one table that
// turns errno into the engine's codes.
#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace plat {

namespace {

int last_system_error = 0;

// ---- fault injection --------------------------------------------------------

struct FaultRule {
  int countdown = 0;  // 0: no rule; otherwise calls left until it fires
  int err = 0;
  bool short_write = false;
  size_t keep = 0;
};

constexpr int kOps = static_cast<int>(fault::Op::kCount);
FaultRule rules[kOps];
int calls[kOps];
bool any_rule = false;

// Counts the call and tells whether a rule fires for it. On firing, *err gets
// the errno to fail with (0 for a short write, whose size is in *keep).
bool FaultFires(fault::Op op, int* err, size_t* keep = nullptr) {
  int i = static_cast<int>(op);
  ++calls[i];
  if (!any_rule) return false;
  FaultRule& r = rules[i];
  if (r.countdown == 0 || --r.countdown != 0) return false;
  *err = r.err;
  if (keep) *keep = r.keep;
  if (r.short_write) *err = 0;
  r = FaultRule{};
  return true;
}

// ---- errno table ------------------------------------------------------------

bool ParentMissing(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return false;
  std::string dir = slash == 0 ? "/" : path.substr(0, slash);
  struct stat st;
  return stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

// A missing file in an existing folder is "file not found"; a missing folder
// on the way is "path not found", as users of the engine's messages expect.
int OpenErrorCode(int err, const std::string& path) {
  if (err == ENOENT && ParentMissing(path)) return kPathNotFound;
  return CodeFromErrno(err);
}

int ShareLockType(int mode, int access) {
  switch (mode & 0x70) {
    case 0x10:  // deny all
    case 0x20:  // deny write
    case 0x30:  // deny read
      (void)access;
      return F_WRLCK;
    case 0x40:  // deny none
      return F_RDLCK;
    default:    // no sharing flags
      return F_UNLCK;
  }
}

int OpenFlags(int mode) {
  switch (mode & 0x07) {
    case 0: return O_RDONLY;
    case 1: return O_WRONLY;
    default: return O_RDWR;
  }
}

bool ValidMode(int mode) {
  return (mode & 0x07) <= 2 && (mode & 0x70) <= 0x40 && (mode & ~0x77) == 0;
}

int OfdLock(int fd, short type, int64_t offset, int64_t length) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = length;
  int rc;
  do {
    rc = fcntl(fd, F_OFD_SETLK, &fl);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : errno;
}

}  // namespace

// The one place where operating-system errors become engine codes.
//
//   errno                         code  meaning to the user
//   ENOENT                          2   File not found (3 when a folder on the
//                                       way is missing, see OpenErrorCode)
//   ENOTDIR, ENAMETOOLONG           3   Path not found
//   EMFILE, ENFILE                  4   Too many open files
//   EACCES, EPERM, EROFS, EISDIR,
//   ELOOP, ETXTBSY, EEXIST          5   File access denied
//   EBADF                           6   Invalid file handle
//   ENOMEM                          8   Not enough memory
//   EINVAL                         12   Invalid file access code
//   EXDEV                          17   Cannot rename across drives
//   EIO (write)                    29   Device write fault
//   EIO (read or other)            30   Device read fault
//   EAGAIN, EACCES from a lock,
//   EDEADLK                        33   File lock violation (LockRange)
//   ENOLCK                         36   File sharing buffer overflow
//   ENOSPC, EDQUOT, EFBIG          101  Disk write error (probable cause: Disk Full)
//   ENOSPC (not writing)           101  likewise: nothing else can be meant
//   anything else                  31   General failure
int CodeFromErrno(int err, bool writing) {
  switch (err) {
    case 0: return kOk;
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kPathNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ELOOP:
    case ETXTBSY:
    case EEXIST: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case ENOMEM: return kNotEnoughMemory;
    case EINVAL: return kInvalidAccessCode;
    case EXDEV: return kNotSameDevice;
    case EIO: return writing ? kWriteFault : kReadFault;
    case EAGAIN:
    case EDEADLK: return kLockViolation;
    case ENOLCK: return kSharingBufferExceeded;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kDiskWriteError;
    default: return kGeneralFailure;
  }
}

int LastSystemError() { return last_system_error; }

// ---- File ---------------------------------------------------------------------

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(other.fd_), mode_(other.mode_), pos_(other.pos_), path_(std::move(other.path_)) {
  other.fd_ = -1;
  other.Reset();
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    mode_ = other.mode_;
    pos_ = other.pos_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
    other.Reset();
  }
  return *this;
}

void File::Reset() {
  fd_ = -1;
  mode_ = 0;
  pos_ = 0;
  path_.clear();
}

int File::TakeShareLock(int mode) {
  int type = ShareLockType(mode, mode & 7);
  if (type == F_UNLCK) {
    // Dropping to "no sharing flags" releases whatever this handle held.
    OfdLock(fd_, F_UNLCK, kShareLockOffset, 1);
    return kOk;
  }
  if (type == F_WRLCK && (mode & 7) == 0) {
    // A write lock needs write access. A read-only handle that denies all
    // takes a read lock after making sure nobody else has the file open
    // shared or exclusive: later shared opens are not kept out, which is
    // the best a read-only descriptor can do.
    struct flock probe;
    std::memset(&probe, 0, sizeof probe);
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kShareLockOffset;
    probe.l_len = 1;
    if (fcntl(fd_, F_OFD_GETLK, &probe) != 0) return CodeFromErrno(errno);
    if (probe.l_type != F_UNLCK) return kSharingViolation;
    type = F_RDLCK;
  }
  int err = OfdLock(fd_, static_cast<short>(type), kShareLockOffset, 1);
  if (err == EAGAIN || err == EACCES) return kSharingViolation;
  return err ? CodeFromErrno(err) : kOk;
}

namespace {

// The start all three ways of opening share: the fault seam, the mode check
// and an open(2) that survives signals. Returns the descriptor, or -1 with
// `*code` set.
int OpenDescriptor(const std::string& path, int mode, int flags, int* code) {
  int err = 0;
  if (FaultFires(fault::Op::kOpen, &err)) {
    *code = CodeFromErrno(err ? err : EIO);
    return -1;
  }
  if (!ValidMode(mode)) {
    *code = kInvalidAccessCode;
    return -1;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) *code = OpenErrorCode(errno, path);
  return fd;
}

}  // namespace

int File::Settle(int rc, const std::string& path, int mode) {
  if (rc != kOk) {
    ::close(fd_);
    Reset();
    return rc;
  }
  mode_ = mode;
  pos_ = 0;
  path_ = path;
  return kOk;
}

int File::Open(const std::string& path, int mode) {
  if (fd_ >= 0) Close();
  int rc = kOk;
  const int fd = OpenDescriptor(path, mode, OpenFlags(mode), &rc);
  if (fd < 0) return rc;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kAccessDenied;
  }
  fd_ = fd;
  return Settle(TakeShareLock(mode), path, mode);
}

int File::Create(const std::string& path, int mode) {
  if (fd_ >= 0) Close();
  int rc = kOk;
  fd_ = OpenDescriptor(path, mode, O_RDWR | O_CREAT, &rc);
  if (fd_ < 0) return rc;
  // Take the exclusive lock before truncating: whoever has the file open
  // keeps it whole, and we report the conflict.
  rc = TakeShareLock(kModeExclusive);
  if (rc == kOk && ftruncate(fd_, 0) != 0) rc = CodeFromErrno(errno, true);
  if (rc == kOk && mode != kModeExclusive) rc = TakeShareLock(mode);
  return Settle(rc, path, mode);
}

int File::CreateNew(const std::string& path, int mode) {
  if (fd_ >= 0) Close();
  int rc = kOk;
  fd_ = OpenDescriptor(path, mode, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, &rc);
  if (fd_ < 0) return rc;
  rc = Settle(TakeShareLock(mode), path, mode);
  // The file is ours alone: nobody else can have had a use for it.
  if (rc != kOk) ::unlink(path.c_str());
  return rc;
}

int File::Reopen(int mode) {
  if (fd_ < 0) return kInvalidHandle;
  if (!ValidMode(mode)) return kInvalidAccessCode;
  if ((mode & 7) != (mode_ & 7)) {
    // Another access needs another descriptor; our locks would not survive
    // that, and the engine never asks for it.
    return kInvalidAccessCode;
  }
  int err = 0;
  if (FaultFires(fault::Op::kOpen, &err)) return CodeFromErrno(err ? err : EIO);
  // Converting an OFD lock of the same description is atomic: the old lock
  // stays when the new type cannot be had.
  int rc = TakeShareLock(mode);
  if (rc != kOk) return rc;
  mode_ = mode;
  return kOk;
}

int File::Close() {
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  bool injected = FaultFires(fault::Op::kClose, &err);
  int rc = ::close(fd_);
  int code = rc == 0 ? kOk : CodeFromErrno(errno, true);
  Reset();
  if (injected) return CodeFromErrno(err ? err : EIO, true);
  return code;
}

int File::Seek(int64_t offset) {
  if (fd_ < 0) return kInvalidHandle;
  if (offset < 0) return kInvalidAccessCode;
  pos_ = offset;
  return kOk;
}

int File::Read(void* buf, size_t n, size_t* done) {
  int rc = ReadAt(pos_, buf, n, done);
  pos_ += static_cast<int64_t>(*done);
  return rc;
}

int File::Write(const void* buf, size_t n, size_t* done) {
  int rc = WriteAt(pos_, buf, n, done);
  pos_ += static_cast<int64_t>(*done);
  return rc;
}

int File::ReadAt(int64_t offset, void* buf, size_t n, size_t* done) {
  *done = 0;
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  if (FaultFires(fault::Op::kRead, &err)) return CodeFromErrno(err ? err : EIO);
  char* p = static_cast<char*>(buf);
  while (*done < n) {
    ssize_t got = ::pread(fd_, p + *done, n - *done, offset + static_cast<int64_t>(*done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return CodeFromErrno(errno);
    }
    if (got == 0) break;  // end of file
    *done += static_cast<size_t>(got);
  }
  return kOk;
}

int File::WriteAt(int64_t offset, const void* buf, size_t n, size_t* done) {
  *done = 0;
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  size_t keep = 0;
  if (FaultFires(fault::Op::kWrite, &err, &keep)) {
    if (err) return CodeFromErrno(err, true);
    n = std::min(n, keep);  // short write: store part, report no error
  }
  const char* p = static_cast<const char*>(buf);
  while (*done < n) {
    ssize_t put = ::pwrite(fd_, p + *done, n - *done, offset + static_cast<int64_t>(*done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return CodeFromErrno(errno, true);
    }
    if (put == 0) break;
    *done += static_cast<size_t>(put);
  }
  return kOk;
}

int File::Size(int64_t* size) const {
  *size = 0;
  if (fd_ < 0) return kInvalidHandle;
  struct stat st;
  if (fstat(fd_, &st) != 0) return CodeFromErrno(errno);
  *size = st.st_size;
  return kOk;
}

int File::Truncate(int64_t size) {
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  if (FaultFires(fault::Op::kWrite, &err)) return CodeFromErrno(err ? err : ENOSPC, true);
  int rc;
  do {
    rc = ::ftruncate(fd_, size);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? kOk : CodeFromErrno(errno, true);
}

int File::Sync() {
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  if (FaultFires(fault::Op::kSync, &err)) return CodeFromErrno(err ? err : EIO, true);
  int rc;
  do {
    rc = ::fsync(fd_);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? kOk : CodeFromErrno(errno, true);
}

int File::Identity(FileId* id) const {
  if (fd_ < 0) return kInvalidHandle;
  struct stat st;
  if (fstat(fd_, &st) != 0) return CodeFromErrno(errno);
  id->device = static_cast<uint64_t>(st.st_dev);
  id->inode = static_cast<uint64_t>(st.st_ino);
  return kOk;
}

int File::Lock(int64_t offset, int64_t length) {
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  if (FaultFires(fault::Op::kLock, &err)) {
    last_system_error = err ? err : EAGAIN;
    return CodeFromErrno(last_system_error == EACCES ? EAGAIN : last_system_error);
  }
  // A write lock needs write access; read-only handles lock for reading,
  // which still keeps out every other handle's write lock.
  short type = (mode_ & 7) == 0 ? F_RDLCK : F_WRLCK;
  err = OfdLock(fd_, type, offset, length);
  if (err == 0) return kOk;
  last_system_error = err;
  return (err == EAGAIN || err == EACCES) ? kLockViolation : CodeFromErrno(err);
}

int File::Unlock(int64_t offset, int64_t length) {
  if (fd_ < 0) return kInvalidHandle;
  int err = 0;
  if (FaultFires(fault::Op::kLock, &err)) {
    last_system_error = err ? err : EIO;
    return CodeFromErrno(last_system_error);
  }
  err = OfdLock(fd_, F_UNLCK, offset, length);
  if (err == 0) return kOk;
  last_system_error = err;
  return CodeFromErrno(err);
}

int File::IsLockedByOther(int64_t offset, int64_t length, bool* locked) const {
  *locked = false;
  if (fd_ < 0) return kInvalidHandle;
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = length;
  if (fcntl(fd_, F_OFD_GETLK, &fl) != 0) return CodeFromErrno(errno);
  *locked = fl.l_type != F_UNLCK;
  return kOk;
}

// ---- names and folders --------------------------------------------------------

int PathIdentity(const std::string& path, FileId* id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return OpenErrorCode(errno, path);
  id->device = static_cast<uint64_t>(st.st_dev);
  id->inode = static_cast<uint64_t>(st.st_ino);
  return kOk;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int Erase(const std::string& path) {
  int err = 0;
  if (FaultFires(fault::Op::kErase, &err)) return CodeFromErrno(err ? err : EACCES);
  if (IsDirectory(path)) return kAccessDenied;
  if (::unlink(path.c_str()) != 0) return OpenErrorCode(errno, path);
  return kOk;
}

int Rename(const std::string& from, const std::string& to) {
  int err = 0;
  if (FaultFires(fault::Op::kRename, &err)) return CodeFromErrno(err ? err : EACCES);
  if (::rename(from.c_str(), to.c_str()) != 0) return OpenErrorCode(errno, from);
  return kOk;
}

int SyncDirectory(const std::string& dir) {
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return CodeFromErrno(errno);
  int err = 0;
  int rc = FaultFires(fault::Op::kSync, &err) ? (err ? err : EIO) : 0;
  if (rc == 0 && ::fsync(fd) != 0) rc = errno;
  ::close(fd);
  // Some file systems cannot sync a folder; the data itself is safe then.
  if (rc == EINVAL || rc == EROFS) rc = 0;
  return rc ? CodeFromErrno(rc, true) : kOk;
}

int ListWildcard(const std::string& mask, std::vector<std::string>* names) {
  names->clear();
  auto slash = mask.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : mask.substr(0, slash));
  std::string prefix = slash == std::string::npos ? "" : mask.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return OpenErrorCode(errno, mask);
  while (struct dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (fnmatch(pattern.c_str(), e->d_name, FNM_PERIOD) == 0) names->push_back(prefix + e->d_name);
  }
  ::closedir(d);
  std::sort(names->begin(), names->end());
  return kOk;
}

std::string TempDirectory() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

int UniqueTempFile(std::string* name) {
  std::string templ = TempDirectory() + "/TZPXXXXXX";
  int err = 0;
  if (FaultFires(fault::Op::kOpen, &err)) return CodeFromErrno(err ? err : EACCES);
  int fd = ::mkostemp(templ.data(), O_CLOEXEC);
  if (fd < 0) return CodeFromErrno(errno);
  ::close(fd);
  *name = templ;
  return kOk;
}

int64_t FreeSpaceKb(const std::string& path) {
  std::string probe = path.empty() ? "." : path;
  struct statvfs sv;
  if (statvfs(probe.c_str(), &sv) != 0) {
    auto slash = probe.find_last_of('/');
    probe = slash == std::string::npos ? "." : (slash == 0 ? "/" : probe.substr(0, slash));
    if (statvfs(probe.c_str(), &sv) != 0) return -1;
  }
  unsigned __int128 bytes = static_cast<unsigned __int128>(sv.f_bavail) * sv.f_frsize;
  return static_cast<int64_t>(bytes / 1024);
}

std::string CurrentDirectory() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::strlen(buf.c_str()));
  return buf;
}

int SetCurrentDirectory(const std::string& dir) {
  if (::chdir(dir.c_str()) != 0) return OpenErrorCode(errno, dir);
  return kOk;
}

std::string AbsolutePath(const std::string& path) {
  std::string full = (!path.empty() && path[0] == '/') ? path : CurrentDirectory() + "/" + path;
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= full.size()) {
    size_t j = full.find('/', i);
    if (j == std::string::npos) j = full.size();
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

// ---- fault injection ------------------------------------------------------------

namespace fault {

void FailNth(Op op, int nth, int err) {
  FaultRule& r = rules[static_cast<int>(op)];
  r = FaultRule{};
  r.countdown = nth;
  r.err = err;
  any_rule = true;
}

void ShortWriteNth(int nth, size_t keep) {
  FaultRule& r = rules[static_cast<int>(Op::kWrite)];
  r = FaultRule{};
  r.countdown = nth;
  r.short_write = true;
  r.keep = keep;
  any_rule = true;
}

void Reset() {
  for (auto& r : rules) r = FaultRule{};
  for (auto& c : calls) c = 0;
  any_rule = false;
}

int Calls(Op op) { return calls[static_cast<int>(op)]; }

}  // namespace fault

}  // namespace plat
