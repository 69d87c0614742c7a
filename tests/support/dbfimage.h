// A table file as another program reads it: the header, the field list and
// the records straight from the bytes, without the engine, so that a test
// checks what was written and not what the engine believes it wrote.
#ifndef QUILLPRINT_TESTS_SUPPORT_DBFIMAGE_H_
#define QUILLPRINT_TESTS_SUPPORT_DBFIMAGE_H_

#include <strings.h>

#include <cstdint>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qptest {

struct DbfImage {
  struct Field {
    std::string name;
    char type;
    int length;
    int decimals;
    int offset;  // in the record, after the deletion mark
  };
  bool ok = false;  // the fields fill the record, and the records are all there
  std::string bytes;
  uint32_t count = 0;  // from the header
  int header = 0;
  int record = 1;
  std::vector<Field> fields;

  // Where a field (any case) of a record (from 0) starts in the file, -1
  // for no such field.
  int At(int rec, const std::string& field) const {
    const Field* f = Find(field);
    return f ? header + rec * record + f->offset : -1;
  }
  std::string Value(int rec, const std::string& field) const {
    const Field* f = Find(field);
    return f ? bytes.substr(At(rec, field), f->length) : "<no field " + field + ">";
  }
  char Mark(int rec) const { return bytes.at(header + rec * record); }
  bool Deleted(int rec) const { return Mark(rec) == '*'; }
  // The records the file's length holds, whatever the header says.
  int Stored() const { return int(bytes.size() > size_t(header) ? (bytes.size() - header) / record : 0); }

 private:
  const Field* Find(const std::string& name) const {
    for (const Field& f : fields) {
      if (strcasecmp(f.name.c_str(), name.c_str()) == 0) return &f;
    }
    return nullptr;
  }
};

inline DbfImage ReadDbf(const std::string& path) {
  DbfImage image;
  std::ifstream in(path, std::ios::binary);
  image.bytes.assign(std::istreambuf_iterator<char>(in), {});
  const std::string& b = image.bytes;
  if (b.size() < 32) return image;
  auto u16 = [&b](size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; };
  image.count = uint32_t(u16(4)) | uint32_t(u16(6)) << 16;
  image.header = u16(8);
  image.record = std::max(1, u16(10));
  int offset = 1;
  for (size_t at = 32; at + 32 <= size_t(image.header) && b[at] != 0x0D; at += 32) {  // names are NUL-padded
    image.fields.push_back({b.substr(at, 11).c_str(), b[at + 11], uint8_t(b[at + 16]), uint8_t(b[at + 17]), offset});
    offset += uint8_t(b[at + 16]);
  }
  image.ok = offset == image.record && image.header + uint64_t(image.count) * image.record <= b.size();
  return image;
}

// Writes bytes into a file at an offset, as another program would; the
// file is made when missing.
inline bool Patch(const std::string& path, long at, const std::string& bytes) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!f.is_open()) f.open(path, std::ios::binary | std::ios::out);
  return f.is_open() && f.seekp(at) && f.write(bytes.data(), long(bytes.size()));
}

inline std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_SUPPORT_DBFIMAGE_H_
