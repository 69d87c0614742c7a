// Private state of the table components, shared by their implementation
// files. Not part of the API.
#ifndef QUILLPRINT_COMPONENTS_TZDBF_P_H_
#define QUILLPRINT_COMPONENTS_TZDBF_P_H_

#include <cstdint>
#include <string>
#include <vector>

#include "components/tzdbf.h"
#include "engine/dbf.h"

namespace vz {

// Puts a value back when the scope ends, however it ends (an engine report
// may throw): the engine settings the components change around their calls.
template <typename T>
class ValueRestorer {
 public:
  explicit ValueRestorer(T* place) : place_(place), saved_(*place) {}
  ~ValueRestorer() { *place_ = saved_; }
  ValueRestorer(const ValueRestorer&) = delete;
  ValueRestorer& operator=(const ValueRestorer&) = delete;

 private:
  T* place_;
  T saved_;
};

// What a field lookup by name expects of the field's type.
enum class FieldKind : uint8_t {
  kCharacter,        // C
  kMemo,             // M
  kNumericDecimals,  // N or F with decimals
  kDate,             // D
  kLogical,          // L
  kNumericInteger,   // N or F without decimals
};

// While designing, the fields are shown from a copy of the first record
// taken at open, so that the table can be closed again.
struct DesignSnapshot {
  std::vector<uint8_t> buffer;
  std::vector<uint16_t> slot_offsets;  // per field number - 1, into buffer
};

struct TTzODbf::Private {
  int area = 0;  // 0 while closed
  bool open = false;
  uint8_t* buffer = nullptr;
  uint16_t buffer_size = 0;
  uint8_t** buffer_link = nullptr;
  uint16_t buffer_link_size = 0;
  bool auto_fix_rec_count = false;
  bool hide_deleted = false;
  DesignSnapshot design;
  bool has_design = false;
};

struct TTzDbf::Private {
  bool busy = false;
  bool exclusive = false;
  uint8_t dbf_version = 0;   // ExtraDbfVersion during the open
  uint8_t memo_version = 0;  // ExtraMemoVersion during the open
  std::string file_name;
  bool stream_active = false;     // the form said Active: apply in Loaded
  bool requested_active = false;
  bool actual_active = false;
  TCreateIndexType create_index = ciNotFound;
  bool create_if_not_found = true;
  TStrings dbf_fields;
  TStrings index_list;
  bool ready = false;  // loading has ended
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_TZDBF_P_H_
