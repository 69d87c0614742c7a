// The data-aware controls' fixture: a fresh folder, the component layer on
// fixed national settings, engine reports recorded, boxes answered by a
// script, the table's file read back as another program reads it.
#ifndef QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_
#define QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/checkrecord.h"
#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "controls/tzgrid.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/memo.h"
#include "engine/national.h"
#include "engine/settings.h"
#include "platform/file.h"
#include "platform/qt/scripted_messages.h"
#include "tests/support/dbfimage.h"

namespace qptest {

// Pixels of an image within `tolerance` of a colour (summed over the channels).
inline int PixelsNear(const QImage& image, QColor colour, int tolerance = 60) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      count += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                   std::abs(c.blue() - colour.blue()) <= tolerance;
    }
  }
  return count;
}

struct Check {
  std::string payee;
  vz::TStrings notes;  // none: no memo
};

class TableFixture {
 public:
  TableFixture() {
    vz::ResetErrorStateForTesting();
    vz::ResetEngineSettings();
    plat::fault::Reset();
    vz::InitNationalSettingsFor("en_US");
    vz::StartMemoManager();
    vz::ResetComponentMessagesForTesting();
    vz::SetWarningService([](const std::string&) {});
    vz::SetHaltHook([this](const std::string& text, unsigned) { halts.push_back(text); });
    vz::StartComponentLayer(vz::RegionalSettings{});
  }
  ~TableFixture() {
    window.reset();
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

  // The table component `name` over `file` in the folder, open.
  vz::TTzDbf* Open(const char* name, const QString& file_name, const std::vector<std::string>& fields = {}) {
    file = Path(file_name);
    table = new vz::TTzDbf(form.get());
    table->SetName(name);
    if (!fields.empty()) table->DbfFields() = fields;
    table->SetDbfFileName(file.toStdString());
    table->SetActive(true);
    return table;
  }

  // The check table holding `checks`, appended as Save does, open at its first record.
  vz::TTzDbf* OpenChecks(const std::vector<Check>& checks) {
    Open("Checks", "checks.dbf", qp::CheckTableFields());
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

  // Writes `bytes` over a field of the closed table: what the program itself never writes.
  void Patch(int record, const std::string& field, const QByteArray& bytes) {
    const int at = Dbf().At(record - 1, field);
    table->SetActive(false);
    if (at >= 0) qptest::Patch(file.toStdString(), at, bytes.toStdString());
    table->SetActive(true);
  }

  void Show() {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QByteArray Read(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  DbfImage Dbf() const { return ReadDbf(file.toStdString()); }
  // Records from 1. The header's record count is not trusted: what the file's length holds.
  int RecordsOnDisk() const { return Dbf().Stored(); }
  char Mark(int n) const { return Dbf().Mark(n - 1); }
  std::string Stored(int record, const std::string& field) const { return Dbf().Value(record - 1, field); }

  QTemporaryDir dir;
  qp::ScopedScriptedMessages msgs;
  std::unique_ptr<vz::TComponent> form = std::make_unique<vz::TComponent>(nullptr);
  vz::TTzDbf* table = nullptr;
  QString file;  // of the table
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  std::vector<std::string> halts;
};

// A table written by the engine, shown in a grid in an active window. Record i
// (from 1): name "Rec 0i", paid on even records, amount i * 1.5, due 01/02/25,
// a memo; `deleted` lists the records that carry the deletion mark.
class GridFixture : public TableFixture {
 public:
  explicit GridFixture(int records, const std::vector<int>& deleted = {}, bool bind = true) {
    const std::string path = Path("grid.dbf").toStdString();
    vz::TFieldEntry fields[] = {vz::TFieldEntry::Make("name", 'C', 20, 0), vz::TFieldEntry::Make("paid", 'L', 1, 0),
                                vz::TFieldEntry::Make("amount", 'N', 10, 2), vz::TFieldEntry::Make("due", 'D', 8, 0),
                                vz::TFieldEntry::Make("notes", 'M', 10, 0)};
    vz::CreateDBF(path, fields);
    vz::USE(path + " EXCLUSIVE");
    for (int i = 1; i <= records; ++i) {
      vz::ClearRecord();
      vz::SetFieldText(1, QString::asprintf("Rec %02d", i).toStdString());
      vz::SetFieldLogical(2, i % 2 == 0);
      vz::SetFieldNumber(3, i * 1.5);
      vz::SetFieldText(4, "01/02/25");
      vz::Append();
      if (std::find(deleted.begin(), deleted.end(), i) != deleted.end()) vz::DeleteRec();
    }
    vz::USE("");
    Open("Grid", "grid.dbf");
    window->resize(420, 260);
    grid = new TTzGrid(window.get());
    grid->setGeometry(0, 0, 420, 260);
    if (bind) grid->SetDataSource(table);
    Show();
    grid->setFocus();
    QApplication::processEvents();
  }
  vz::TTzDataSet* DataSet() const { return table->DataSet(); }

  // Keys and clicks as the user gives them: to whatever has the keyboard.
  void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Target(), static_cast<Qt::Key>(key), mods);
    QApplication::processEvents();
  }
  // Each key of a list such as "Ctrl+End, Down".
  void PressKeys(const QString& keys) {
    for (const QString& name : keys.split(", ", Qt::SkipEmptyParts)) {
      const QKeyCombination key = QKeySequence(name)[0];
      Press(key.key(), key.keyboardModifiers());
    }
  }
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClicks(Target(), QString(c));
    QApplication::processEvents();
  }
  void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, grid->CellRect(col, row).center());
    QApplication::processEvents();
  }

  std::string CurrentName() const { return DataSet()->FieldByName("name")->AsString(); }
  // The grid column of a field.
  int ColumnOf(const std::string& field) const {
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
      if (grid->Columns()->Items(i)->FieldName() == field) return i + grid->IndicatorOffset();
    }
    return -1;
  }

  TTzGrid* grid = nullptr;

 private:
  QWidget* Target() const { return QApplication::focusWidget() ? QApplication::focusWidget() : grid; }
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_CONTROLS_TABLEFIXTURE_H_
