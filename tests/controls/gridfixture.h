// Test support for the data grid: a table of a name, a logical, an amount,
// a date and a memo in a fresh folder, written by the engine before the
// table component opens it; the component layer started with fixed
// settings; every box answered by a script; engine halts recorded; and a
// shown, active window with the grid bound to the table.
//
//   fx_.reset(new qptest::GridFixture(50));   // 50 records, "Rec 01"..."Rec 50"
//   fx_->Press(Qt::Key_Down);
//   QCOMPARE(fx_->Stored(2, "paid"), std::string("T"));
#ifndef QUILLPRINT_TESTS_CONTROLS_GRIDFIXTURE_H_
#define QUILLPRINT_TESTS_CONTROLS_GRIDFIXTURE_H_

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/messages.h"
#include "components/session.h"
#include "components/tzdbf.h"
#include "controls/tzgrid.h"
#include "engine/dbf.h"
#include "engine/errors.h"
#include "engine/fieldbuf.h"
#include "engine/national.h"
#include "platform/qt/scripted_messages.h"

namespace qptest {

// Record i (from 1): name "Rec 0i", paid on even records, amount i * 1.5,
// due 01/02/25; `deleted` lists records that carry the deletion mark.
inline void WriteGridTable(const std::string& file, int records, const std::vector<int>& deleted = {}) {
  std::vector<vz::TFieldEntry> fields = {
      vz::TFieldEntry::Make("name", 'C', 20, 0), vz::TFieldEntry::Make("paid", 'L', 1, 0),
      vz::TFieldEntry::Make("amount", 'N', 10, 2), vz::TFieldEntry::Make("due", 'D', 8, 0),
      vz::TFieldEntry::Make("notes", 'M', 10, 0)};
  vz::CreateDBF(file, fields);
  vz::USE(file + " EXCLUSIVE");
  for (int i = 1; i <= records; ++i) {
    vz::ClearRecord();
    char name[16];
    std::snprintf(name, sizeof name, "Rec %02d", i);
    vz::SetFieldText(1, name);
    vz::SetFieldLogical(2, i % 2 == 0);
    vz::SetFieldNumber(3, i * 1.5);
    vz::SetFieldText(4, "01/02/25");
    vz::Append();
    for (int d : deleted) {
      if (d == i) vz::DeleteRec();
    }
  }
  vz::USE("");
}

class GridFixture {
 public:
  explicit GridFixture(int records, const std::vector<int>& deleted = {}, bool bind = true) {
    vz::ResetErrorStateForTesting();
    vz::ResetComponentMessagesForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    vz::SetHaltHook([this](const std::string& text, unsigned code) { halts.emplace_back(text, code); });
    vz::StartComponentLayer(vz::RegionalSettings{});
    file = dir.filePath("grid.dbf").toStdString();
    WriteGridTable(file, records, deleted);
    form = std::make_unique<vz::TComponent>(nullptr);
    table = new vz::TTzDbf(form.get());
    table->SetName("Grid");
    table->SetDbfFileName(file);
    table->SetActive(true);
    window = std::make_unique<QWidget>();
    window->resize(420, 260);
    grid = new TTzGrid(window.get());
    grid->setGeometry(0, 0, 420, 260);
    if (bind) grid->SetDataSource(table);
    window->show();
    window->activateWindow();
    active = QTest::qWaitForWindowActive(window.get());
    grid->setFocus();
    QApplication::processEvents();
  }

  ~GridFixture() {
    window.reset();
    form.reset();
    vz::StopComponentLayer();
    vz::ShutdownEngine();
    vz::ResetComponentMessagesForTesting();
    vz::ResetErrorStateForTesting();
  }

  vz::TTzDataSet* DataSet() const { return table->DataSet(); }

  // A key as the user types it: to whatever has the keyboard in the window.
  void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
    QApplication::processEvents();
  }
  void Type(const QString& text) {
    for (QChar c : text) {
      QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
      QTest::keyClicks(target, QString(c));
    }
    QApplication::processEvents();
  }
  void Click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, grid->CellRect(col, row).center());
    QApplication::processEvents();
  }

  // The current record's name, as its row shows it.
  std::string CurrentName() const { return DataSet()->FieldByName("name")->AsString(); }

  // The grid column of a field.
  int ColumnOf(const std::string& field) const {
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
      if (grid->Columns()->Items(i)->FieldName() == field) return i + grid->IndicatorOffset();
    }
    return -1;
  }

  // The file as another program reads it.
  std::string Bytes() const {
    QFile f(QString::fromStdString(file));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  int HeaderSize() const { return Le16(Bytes(), 8); }
  int RecordSize() const { return Le16(Bytes(), 10); }
  int RecordsOnDisk() const {
    const std::string b = Bytes();
    return static_cast<int>((b.size() - static_cast<size_t>(Le16(b, 8))) / static_cast<size_t>(Le16(b, 10)));
  }
  char DeletionMark(int record) const { return Bytes()[static_cast<size_t>(HeaderSize() + (record - 1) * RecordSize())]; }
  // The stored text of a field of record `record` (from 1).
  std::string Stored(int record, const std::string& field) const {
    const std::string b = Bytes();
    int offset = 1;
    for (size_t at = 32; at + 32 <= static_cast<size_t>(Le16(b, 8)) && b[at] != 0x0D; at += 32) {
      const int length = static_cast<uint8_t>(b[at + 16]);
      if (QString::fromLatin1(b.c_str() + at).compare(QString::fromStdString(field), Qt::CaseInsensitive) == 0) {
        return b.substr(static_cast<size_t>(Le16(b, 8) + (record - 1) * Le16(b, 10) + offset),
                        static_cast<size_t>(length));
      }
      offset += length;
    }
    return "<no field>";
  }

  QTemporaryDir dir;
  qp::ScopedScriptedMessages msgs;
  std::vector<std::pair<std::string, unsigned>> halts;
  std::string file;
  std::unique_ptr<vz::TComponent> form;
  vz::TTzDbf* table = nullptr;
  std::unique_ptr<QWidget> window;
  TTzGrid* grid = nullptr;
  bool active = false;  // the window got the keyboard

 private:
  static int Le16(const std::string& b, size_t at) {
    if (b.size() < at + 2) return 1;
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
  }
};

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_CONTROLS_GRIDFIXTURE_H_
