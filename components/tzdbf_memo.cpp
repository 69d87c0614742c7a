// Memo text of the table component, through the engine's memo text
// channel: reading a memo into lines, storing lines as a new memo. A note
// read into lines and written back unchanged is stored as it was, line
// ends and long lines included (soft returns become hard ones).
//
// The channel's own failures (no line buffer, a memo that cannot be read or
// stored) come back as exceptions, as the component layer's callers expect
// of stream errors; failures of the memo file itself have already gone
// through the engine's error report by then.
#include "components/messages.h"
#include "components/tzdbf.h"
#include "components/tzdbf_p.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"

namespace vz {

namespace {

[[noreturn]] void ChannelFailed(int result, const char* operation) {
  throw EVozuvError(CodeText(static_cast<unsigned>(result)) + "\r\n" + vz::DbfFileName() + " [" + operation + "]");
}

}  // namespace

void TTzODbf::GetMemo(int32_t block, TStrings& lines) {
  if (Designing()) {
    lines.assign(1, ComponentText(qp::StrId::kMemoDesignTime));
    return;
  }
  if (!SelectArea("GetMemo")) return;
  lines.clear();
  if (block == 0) return;
  int32_t bound = block;
  MemoChannel channel;
  if (!AssignMemo(channel, &bound)) return;
  if (int rc = channel.OpenRead(); rc != 0) ChannelFailed(rc, "GetMemo");
  // The lines are the text's own: a piece the reader cut from a long line
  // joins the rest of it, and a text that ends with a line end gets the
  // empty line after it, so that PutMemo, which puts CR LF between the
  // lines, writes an untouched note back as it was.
  std::string line, whole;
  LineEnd end = LineEnd::kNone;
  while (!channel.Eof()) {
    if (int rc = channel.ReadLine(&line, &end); rc != 0) ChannelFailed(rc, "GetMemo");
    whole += line;
    if (end == LineEnd::kNone) continue;
    lines.push_back(std::move(whole));
    whole.clear();
  }
  if (!whole.empty() || (!lines.empty() && end != LineEnd::kNone)) lines.push_back(std::move(whole));
  channel.Close();
}

void TTzODbf::PutMemo(const std::string& field_name, const TStrings& lines) {
  const int n = LookupField(field_name, FieldKind::kMemo, "GetMField");
  if (n == 0) return;
  // A new memo every time: the record keeps naming its old text until the
  // edit is posted, so a cancelled edit still finds it intact.
  int32_t block = 0;
  MemoChannel channel;
  // A table without its memo file (another program's, whose version byte
  // says it has none) cannot take the note: that must not pass for stored.
  if (!AssignMemo(channel, &block)) ChannelFailed(kMemoNotAssigned, "PutMemo");
  if (int rc = channel.OpenWrite(); rc != 0) ChannelFailed(rc, "PutMemo");
  for (size_t i = 0; i < lines.size(); ++i) {
    int rc = channel.Write(lines[i]);
    if (rc == 0 && i + 1 < lines.size()) rc = channel.Write("\r\n");
    if (rc != 0) ChannelFailed(rc, "PutMemo");
  }
  if (int rc = channel.Close(); rc != 0) ChannelFailed(rc, "PutMemo");
  SetSlotInt32(vz::FieldAddress(n), block);
}

}  // namespace vz
