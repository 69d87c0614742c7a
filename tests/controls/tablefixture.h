// Fixture of the data-aware controls' tests: a fresh folder with the check
// table, the component layer started with fixed national settings,
// warnings and engine reports recorded, boxes answered by a script.
#ifndef QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_
#define QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "platform/qt/scripted_messages.h"

namespace qptest {

struct Check {
  std::string payee;
  vz::TStrings notes;  // none: no memo
};

class TableFixture {
 public:
  static constexpr int kHeader = 641, kRecord = 391;  // of the check table

  TableFixture() {
    vz::ResetErrorStateForTesting();
    vz::ResetEngineSettings();
    plat::fault::Reset();
    vz::InitNationalSettingsFor("en_US");
    vz::StartMemoManager();
    vz::ResetComponentMessagesForTesting();
    vz::SetWarningService([this](const std::string& text) { warnings.push_back(text); });
    vz::SetHaltHook([this](const std::string& text, unsigned) { halts.push_back(text); });
    vz::StartComponentLayer(vz::RegionalSettings{});
  }
  ~TableFixture() {
    form.reset();
    vz::StopComponentLayer();
    plat::fault::Reset();
    vz::SetWarningService({});
    vz::ResetComponentMessagesForTesting();
    vz::ShutdownEngine();
    vz::SetMemoManager({});
    vz::ResetEngineSettings();
    vz::ResetErrorStateForTesting();
  }

  // The check table holding `checks` (appended as Save does, the notes as
  // a memo), open at its first record.
  vz::TTzDbf* OpenChecks(const std::vector<Check>& checks) {
    table = new vz::TTzDbf(form.get());
    table->SetName("Checks");
    table->DbfFields() = qp::CheckTableFields();
    table->SetDbfFileName(Path("checks").toStdString());
    table->SetActive(true);
    for (const Check& c : checks) {
      table->ClearFields();
      table->SetCField("payee", c.payee);
      if (!c.notes.empty()) table->PutMemo("notes", c.notes);
      table->ALock();
      table->Append();
      table->UnLock();
    }
    table->DataSet()->First();
    return table;
  }

  // Writes `bytes` at `at` of the closed table, then opens it again: for
  // what the program itself never writes.
  void Patch(int at, const QByteArray& bytes) {
    table->SetActive(false);
    QFile f(Path("checks.dbf"));
    if (f.open(QIODevice::ReadWrite) && f.seek(at)) f.write(bytes);
    f.close();
    table->SetActive(true);
  }
  // Where the notes of record n are in the file.
  static int NotesAt(int n) {
    int offset = 1;
    for (const qp::CheckRecordField& f : qp::CheckRecord()) {
      if (f.input == qp::CheckInput::kNotes) break;
      offset += f.length;
    }
    return kHeader + (n - 1) * kRecord + offset;
  }
  // The deletion mark of record n in the file.
  char Mark(int n) const { return Read("checks.dbf").at(kHeader + (n - 1) * kRecord); }

  QString Path(const QString& name) const { return dir.filePath(name); }
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  qp::ScopedScriptedMessages msgs;
  std::unique_ptr<vz::TComponent> form = std::make_unique<vz::TComponent>(nullptr);
  vz::TTzDbf* table = nullptr;
  std::vector<std::string> warnings;
  std::vector<std::string> halts;
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_
