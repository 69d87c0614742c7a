// Memo text of the table component. The memo manager is not part of this
// build yet: a table with memo fields opens without its memo file, so a
// memo can be neither read nor stored.
#include "components/messages.h"
#include "components/tzdbf.h"
#include "components/tzdbf_p.h"
#include "engine/dbf.h"
#include "engine/errors.h"

namespace vz {

void TTzODbf::GetMemo(int32_t block, TStrings& lines) {
  if (Designing()) {
    lines.assign(1, ComponentText(qp::StrId::kMemoDesignTime));
    return;
  }
  if (!SelectArea("GetMemo")) return;
  lines.clear();
  if (block == 0) return;
  SetError(1019, vz::DbfFileName() + " No Memo Field [AssignMemo]");
}

void TTzODbf::PutMemo(const std::string& field_name, const TStrings& lines) {
  (void)lines;
  if (LookupField(field_name, FieldKind::kMemo, "GetMField") == 0) return;
  SetError(1019, vz::DbfFileName() + " No Memo Field [AssignMemo]");
}

}  // namespace vz
