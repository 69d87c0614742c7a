// INI files: a line classifier shared by reading and writing, and the
// atomic replacement of the file through a temporary file and a rename.
#include "platform/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdlib>

#include "platform/file.h"

namespace plat {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr int kModeReadShared = 0x40;  // read access, deny none

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

enum class Kind { kBlank, kComment, kSection, kKey, kJunk };

// One line of the file. `begin`..`end` is its content without the line end;
// `next` is where the following line starts (== end when the file ends
// without a line break).
struct Line {
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
  Kind kind = Kind::kJunk;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

Line Classify(std::string_view text, size_t begin, size_t end, size_t next) {
  Line line;
  line.begin = begin;
  line.end = end;
  line.next = next;
  std::string_view content = Trim(text.substr(begin, end - begin));
  if (content.empty()) {
    line.kind = Kind::kBlank;
  } else if (content.front() == ';' || content.front() == '#') {
    line.kind = Kind::kComment;
  } else if (content.front() == '[') {
    size_t close = content.find(']');
    if (close == std::string_view::npos) return line;  // junk
    line.kind = Kind::kSection;
    line.name = Trim(content.substr(1, close - 1));
  } else {
    size_t eq = content.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view key = Trim(content.substr(0, eq));
    if (key.empty()) return line;
    line.kind = Kind::kKey;
    line.name = key;
    line.value = Trim(content.substr(eq + 1));
  }
  return line;
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = text.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back(Classify(text, pos, end, next));
    pos = next;
  }
  return lines;
}

// Where a section starts and ends in the line list: `header` is the index of
// its header line, the section's lines are header+1 .. stop-1.
struct SectionSpan {
  size_t header = 0;
  size_t stop = 0;
};

bool FindSection(const std::vector<Line>& lines, std::string_view section, SectionSpan* span) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Kind::kSection || !SameName(lines[i].name, section)) continue;
    size_t stop = i + 1;
    while (stop < lines.size() && lines[stop].kind != Kind::kSection) ++stop;
    span->header = i;
    span->stop = stop;
    return true;
  }
  return false;
}

// Index of the first key line of that name inside the span, or the span's end.
size_t FindKey(const std::vector<Line>& lines, const SectionSpan& span, std::string_view key) {
  for (size_t i = span.header + 1; i < span.stop; ++i) {
    if (lines[i].kind == Kind::kKey && SameName(lines[i].name, key)) return i;
  }
  return span.stop;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (section.empty() || key.empty()) return false;
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  if (key.find('=') != std::string_view::npos) return false;
  // A key spelled like this would read back as a section or a comment.
  return key.front() != '[' && key.front() != ';' && key.front() != '#';
}

// Sets one entry in the text of an INI file.
void ApplyEntry(std::string* text, std::string_view section, std::string_view key,
                std::string_view value) {
  const std::string eol = text->find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::vector<Line> lines = SplitLines(*text);
  SectionSpan span;
  if (!FindSection(lines, section, &span)) {
    std::string add;
    if (!text->empty() && text->back() != '\n') add += eol;
    if (!lines.empty() && lines.back().kind != Kind::kBlank) add += eol;
    add += "[" + std::string(section) + "]" + eol + std::string(key) + "=" + std::string(value) + eol;
    *text += add;
    return;
  }
  size_t k = FindKey(lines, span, key);
  if (k < span.stop) {
    // Keep the key as the file spells it; only the value changes.
    std::string line = std::string(lines[k].name) + "=" + std::string(value);
    text->replace(lines[k].begin, lines[k].end - lines[k].begin, line);
    return;
  }
  // A new key goes after the section's last key, so that comments and blank
  // lines that introduce the next section stay with it.
  size_t after = span.header;
  for (size_t i = span.header + 1; i < span.stop; ++i) {
    if (lines[i].kind == Kind::kKey) after = i;
  }
  const Line& anchor = lines[after];
  std::string add = std::string(key) + "=" + std::string(value) + eol;
  if (anchor.next == anchor.end) add = eol + add;  // the file ends without a line break
  text->insert(anchor.next, add);
}

// Resolves a symbolic link at `path`, so that replacing the file keeps the
// link and changes what it points to.
std::string ReplacementTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string resolved(real);
      std::free(real);
      return resolved;
    }
  }
  return path;
}

int WriteAll(File* file, const std::string& bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    size_t done = 0;
    int rc = file->WriteAt(static_cast<int64_t>(off), bytes.data() + off, bytes.size() - off, &done);
    if (rc != kOk) return rc;
    if (done == 0) return kDiskWriteError;
    off += done;
  }
  return kOk;
}

int ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string target = ReplacementTarget(path);
  const size_t slash = target.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  File tmp;
  std::string tmp_name;
  int rc = kAccessDenied;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmp_name = dir + "/." + base + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
    rc = tmp.CreateNew(tmp_name);
    // A name taken by a leftover file is worth another try; anything else
    // (a folder we may not write) is not.
    if (rc == kOk || !Exists(tmp_name)) break;
  }
  if (rc != kOk) return rc;

  // The replacement keeps the permissions of the file it replaces.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) ::fchmod(tmp.fd(), st.st_mode & 07777);

  rc = WriteAll(&tmp, bytes);
  if (rc == kOk) rc = tmp.Sync();
  int close_rc = tmp.Close();
  if (rc == kOk) rc = close_rc;
  if (rc == kOk) rc = Rename(tmp_name, target);
  if (rc != kOk) {
    Erase(tmp_name);
    return rc;
  }
  return SyncDirectory(dir);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

int IniFile::Load(std::string* text, bool* exists) const {
  text->clear();
  *exists = false;
  File file;
  int rc = file.Open(path_, kModeReadShared);
  if (rc == kFileNotFound || rc == kPathNotFound) return kOk;
  *exists = Exists(path_);
  if (rc != kOk) return rc;
  int64_t size = 0;
  rc = file.Size(&size);
  if (rc != kOk) return rc;
  if (size > kIniMaxFileBytes) return kNotEnoughMemory;
  text->resize(static_cast<size_t>(size));
  size_t got = 0;
  while (got < text->size()) {
    size_t done = 0;
    rc = file.ReadAt(static_cast<int64_t>(got), text->data() + got, text->size() - got, &done);
    if (rc != kOk) return rc;
    if (done == 0) break;  // the file shrank under us: take what is there
    got += done;
  }
  text->resize(got);
  return kOk;
}

bool IniFile::ReadValue(std::string_view section, std::string_view key, std::string* value) const {
  std::string text;
  bool exists = false;
  if (Load(&text, &exists) != kOk) return false;
  std::vector<Line> lines = SplitLines(text);
  SectionSpan span;
  if (!FindSection(lines, Trim(section), &span)) return false;
  size_t k = FindKey(lines, span, Trim(key));
  if (k == span.stop) return false;
  *value = std::string(Unquote(lines[k].value));
  return true;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::string value;
  if (!ReadValue(section, key, &value)) return std::string(def);
  return value;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  std::string value;
  if (!ReadValue(section, key, &value)) return def;
  std::string_view s = value;
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  } else if (s.size() > 1 && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() == '-' || s.front() == '+') return def;
  long long magnitude = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (ec != std::errc() || end != s.data() + s.size()) return def;
  long long v = negative ? -magnitude : magnitude;
  if (v < INT_MIN || v > INT_MAX) return def;
  return static_cast<int>(v);
}

bool IniFile::SectionExists(std::string_view section) const {
  std::string text;
  bool exists = false;
  if (Load(&text, &exists) != kOk) return false;
  SectionSpan span;
  return FindSection(SplitLines(text), Trim(section), &span);
}

int IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  return WriteValues({IniEntry{std::string(section), std::string(key), std::string(value)}});
}

int IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;  // an int always fits in 16 characters
  return WriteString(section, key, std::string_view(buf, static_cast<size_t>(end - buf)));
}

int IniFile::WriteValues(const std::vector<IniEntry>& entries) {
  for (const IniEntry& e : entries) {
    if (!ValidEntry(Trim(e.section), Trim(e.key), e.value)) return kIniInvalidEntry;
  }
  std::string text;
  bool exists = false;
  int rc = Load(&text, &exists);
  if (rc != kOk) return rc;
  const std::string before = text;
  for (const IniEntry& e : entries) ApplyEntry(&text, Trim(e.section), Trim(e.key), Trim(e.value));
  if (exists && text == before) return kOk;
  return ReplaceFile(path_, text);
}

}  // namespace plat
