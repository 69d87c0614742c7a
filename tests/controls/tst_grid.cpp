// The data grid over a real table: the key table with and without Ctrl, new
// records at the end, logical toggles, fixed columns, the delete and restore
// prompts, editing in place, painting, column moves, and the columns
// themselves: the stored column list, values that follow the grid until
// they are given, copying and the field map's limit. Checked on what the
// user sees (the current record, painted pixels, the prompts) and on the
// bytes of the file.
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <string>

#include "tablefixture.h"

using qptest::GridFixture;

namespace {

// Counts what `expect` says ("1", "v+1", "n-v", ...): n is the number of
// records, v the rows the grid shows.
int Evaluate(QString expect, int n, int v) {
  expect.replace("n", QString::number(n)).replace("v", QString::number(v)).replace("-", "+-");
  int total = 0;
  for (const QString& term : expect.split('+', Qt::SkipEmptyParts)) total += term.toInt();
  return total;
}

QString RecName(int i) { return i > 0 ? QString::asprintf("Rec %02d", i) : QString(); }

// Pixels of a cell as painted.
QImage CellImage(TTzGrid* grid, int col, int row) {
  return grid->viewport()->grab(grid->CellRect(col, row)).toImage();
}

// One column's look after reading, as the grid shows it and the form
// would store it: "field|width|colour|font|alignment|readonly|title caption|
// title colour|title alignment", with "-" for a value left to its default.
QString Describe(TTzColumn* c) {
  const TTzColumnValues given = c->AssignedValues();
  auto part = [given](TTzColumnValues bit, const QString& text) { return (given & bit) ? text : QString("-"); };
  const TFont& f = c->Font();
  const QString font = QString("%1 %2 %3 %4")
                           .arg(QString::fromStdString(f.Name()))
                           .arg(f.Size())
                           .arg(QString::fromStdString(ColorToIdent(f.Color())))
                           .arg(f.Style());
  return QStringList{QString::fromStdString(c->FieldName()),
                     part(cvWidth, QString::number(c->Width())),
                     part(cvColor, QString::fromStdString(ColorToIdent(c->Color()))),
                     part(cvFont, font),
                     part(cvAlignment, QString::number(c->Alignment())),
                     part(cvReadOnly, c->ReadOnly() ? "ro" : "rw"),
                     part(cvTitleCaption, QString::fromStdString(c->Title().Caption())),
                     part(cvTitleColor, QString::fromStdString(ColorToIdent(c->Title().Color()))),
                     part(cvTitleAlignment, QString::number(c->Title().Alignment()))}
      .join('|');
}

vz::TStrings Lines(const QStringList& list) {
  vz::TStrings lines;
  for (const QString& s : list) lines.push_back(s.toStdString());
  return lines;
}

}  // namespace

class TestGrid : public QObject {
  Q_OBJECT

  std::unique_ptr<GridFixture> fx_;

  TTzGrid* Make(int records, const std::vector<int>& deleted = {}, bool bind = true) {
    fx_ = std::make_unique<GridFixture>(records, deleted, bind);
    return fx_->grid;
  }

 private slots:
  void cleanup() { fx_.reset(); }

  // ---- keys and editing -------------------------------------------------------------------

  void keys_data() {
    QTest::addColumn<int>("records");
    // first, last, lastcell, insert (at record 5), append (after the last),
    // empty (the new row an empty table opens with dropped); "last" with the
    // grid made unable to append
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("record");  // expected current record; "0" a new one
    QTest::addColumn<int>("column");      // expected data column, -1 unchanged
    QTest::addColumn<int>("bar");         // the vertical bar's place, -1 unchecked
    QTest::newRow("down at first") << 50 << "first" << "Down" << "2" << -1 << 2;
    QTest::newRow("up at first") << 50 << "first" << "Up" << "1" << -1 << 0;
    QTest::newRow("ctrl+down: last shown") << 50 << "first" << "Ctrl+Down" << "v" << -1 << 2;
    QTest::newRow("page down at first") << 50 << "first" << "PgDown" << "v+1" << -1 << 2;
    QTest::newRow("ctrl+end") << 50 << "first" << "Ctrl+End" << "n" << -1 << 4;
    QTest::newRow("end: last column") << 50 << "first" << "End" << "1" << 4 << -1;
    QTest::newRow("ctrl+right") << 50 << "first" << "Ctrl+Right" << "1" << 4 << -1;
    QTest::newRow("shift+tab at first cell") << 50 << "first" << "Shift+Tab" << "1" << 4 << -1;
    QTest::newRow("up at last") << 50 << "last" << "Up" << "n-1" << -1 << 2;
    QTest::newRow("ctrl+up: first shown") << 50 << "last" << "Ctrl+Up" << "n-v+1" << -1 << -1;
    QTest::newRow("page up at last") << 50 << "last" << "PgUp" << "n-v" << -1 << 2;
    QTest::newRow("page down at last") << 50 << "last" << "PgDown" << "n" << -1 << 4;
    QTest::newRow("ctrl+home") << 50 << "last" << "Ctrl+Home" << "1" << -1 << 0;
    QTest::newRow("home: first column") << 50 << "last" << "Home" << "n" << 0 << -1;
    QTest::newRow("tab at last cell: next row") << 50 << "lastcell" << "Tab" << "2" << 0 << -1;
    QTest::newRow("insert") << 50 << "first" << "Ins" << "0" << -1 << -1;
    QTest::newRow("shift+insert: nothing") << 50 << "first" << "Shift+Ins" << "1" << -1 << -1;
    QTest::newRow("empty: down appends") << 0 << "empty" << "Down" << "0" << -1 << -1;
    QTest::newRow("empty: up") << 0 << "empty" << "Up" << "" << -1 << -1;
    QTest::newRow("empty, new row: down stays") << 0 << "first" << "Down" << "0" << -1 << -1;
    QTest::newRow("empty, new row: up drops it") << 0 << "first" << "Up" << "" << -1 << -1;
    QTest::newRow("insert: down cancels") << 50 << "insert" << "Down" << "5" << -1 << -1;
    QTest::newRow("insert: up") << 50 << "insert" << "Up" << "4" << -1 << -1;
    QTest::newRow("insert: escape cancels") << 50 << "insert" << "Esc" << "5" << -1 << -1;
    QTest::newRow("append: down stays") << 50 << "append" << "Down" << "0" << -1 << -1;
    QTest::newRow("append: up cancels") << 50 << "append" << "Up" << "n" << -1 << -1;
    QTest::newRow("append: ctrl+up, new row dropped") << 50 << "append" << "Ctrl+Up" << "n-v+1" << -1 << -1;
    QTest::newRow("AutoAppend off") << 50 << "last, no auto append" << "Down" << "n" << -1 << -1;
    QTest::newRow("dgEditing off") << 50 << "last, no editing" << "Down" << "n" << -1 << -1;
    QTest::newRow("read-only grid") << 50 << "last, read-only" << "Down" << "n" << -1 << -1;
  }

  void keys() {
    QFETCH(int, records);
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, record);
    QFETCH(int, column);
    QFETCH(int, bar);
    TTzGrid* grid = Make(records);
    const int v = grid->VisibleRowCount();
    QVERIFY(records == 0 || (v > 3 && v < records));
    grid->SetAutoAppend(!start.endsWith("no auto append"));
    grid->SetReadOnly(start.endsWith("read-only"));
    if (start.endsWith("no editing")) grid->SetOptions(grid->Options() & ~dgEditing);
    if (start.startsWith("last,") || start == "last" || start == "append") {
      fx_->Press(Qt::Key_End, Qt::ControlModifier);
    }
    if (start == "lastcell") fx_->Press(Qt::Key_End);
    if (start == "insert") {
      for (int i = 1; i < 5; ++i) fx_->Press(Qt::Key_Down);
      fx_->Press(Qt::Key_Insert);
    }
    if (start == "empty") fx_->Press(Qt::Key_Escape);
    if (start == "append") fx_->Press(Qt::Key_Down);
    if (start == "empty" || start == "append") {
      QCOMPARE(fx_->DataSet()->State(), start == "append" ? vz::dsInsert : vz::dsBrowse);
    }
    const int col_before = grid->SelectedIndex();

    const QKeyCombination key = QKeySequence(keys)[0];
    fx_->Press(key.key(), key.keyboardModifiers());

    const int expected = record.isEmpty() ? 0 : Evaluate(record, records, v);
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(expected));
    QCOMPARE(fx_->DataSet()->State(), record == "0" ? vz::dsInsert : vz::dsBrowse);
    QCOMPARE(grid->SelectedIndex(), column < 0 ? col_before : column);
    // The grid row of the current record is the one shown as current.
    QCOMPARE(grid->Row(), grid->TitleOffset() + grid->DataLink()->ActiveRecord());
    if (bar >= 0) QCOMPARE(grid->verticalScrollBar()->value(), bar);
    QCOMPARE(fx_->RecordsOnDisk(), records);  // nothing is written by moving
    QVERIFY(fx_->halts.empty());
  }

  void toggleLogical_data() {
    QTest::addColumn<int>("record");  // even records are paid
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("stored");
    QTest::newRow("click on false") << 1 << "click" << "T";
    QTest::newRow("space") << 1 << "space" << "T";
    QTest::newRow("enter") << 2 << "enter" << "F";
    QTest::newRow("letter does nothing") << 1 << "x" << "F";
    QTest::newRow("backspace does nothing") << 2 << "backspace" << "T";
  }

  void toggleLogical() {
    QFETCH(int, record);
    QFETCH(QString, how);
    QFETCH(QString, stored);
    TTzGrid* grid = Make(5);
    for (int i = 1; i < record; ++i) fx_->Press(Qt::Key_Down);
    grid->MoveCol(fx_->ColumnOf("paid"));
    for (const QString& step : how.split(' ')) {
      if (step == "click") fx_->Click(grid->Col(), grid->Row());
      if (step == "space") fx_->Press(Qt::Key_Space);
      if (step == "enter") fx_->Press(Qt::Key_Return);
      if (step == "x") fx_->Type("x");
      if (step == "backspace") fx_->Press(Qt::Key_Backspace);
    }
    QVERIFY(!grid->InplaceEditor() || !grid->InplaceEditor()->isVisible());
    fx_->Press(Qt::Key_Down);  // leaving the row writes it
    QCOMPARE(QString::fromStdString(fx_->Stored(record, "paid")), stored);
    QVERIFY(fx_->msgs->messages().empty());
  }

  void fixedColumns_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("before_binding");
    QTest::addColumn<int>("fixed");
    QTest::newRow("none") << 0 << false << 0;
    QTest::newRow("two, held until bound") << 2 << true << 2;
    QTest::newRow("as many as columns") << 5 << false << 4;
    QTest::newRow("far too many, held") << 50 << true << 4;
  }

  void fixedColumns() {
    QFETCH(int, value);
    QFETCH(bool, before_binding);
    QFETCH(int, fixed);
    TTzGrid* grid = Make(5, {}, /*bind=*/!before_binding);
    grid->SetFixedColumns(value);
    if (before_binding) grid->SetDataSource(fx_->table);
    grid->LayoutChanged();
    QCOMPARE(grid->FixedColumns(), fixed);
    // The keys never enter a fixed column.
    for (int key : {int(Qt::Key_Home), int(Qt::Key_Left)}) {
      fx_->Press(key);
      QCOMPARE(grid->SelectedIndex(), fixed);
    }
    fx_->Press(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(grid->SelectedIndex(), fixed);
  }

  void deletePrompts_data() {
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("options");
    QTest::addColumn<bool>("read_only");
    QTest::addColumn<int>("answer");  // qp::MsgResult
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<char>("mark");
    const int d = kDefaultTzGridOptions;
    const int ok = int(qp::MsgResult::kOk);
    const int cancel = int(qp::MsgResult::kCancel);
    QTest::newRow("delete, OK") << false << d << false << ok << "Delete Record ?" << '*';
    QTest::newRow("restore, OK") << true << d << false << ok << "Restore Record ?" << ' ';
    QTest::newRow("restore, Cancel") << true << d << false << cancel << "Restore Record ?" << '*';
    QTest::newRow("delete unasked") << false << (d & ~dgConfirmDelete) << false << ok << "" << '*';
    QTest::newRow("read-only grid") << false << d << true << ok << "" << ' ';
  }

  void deletePrompts() {
    QFETCH(bool, deleted);
    QFETCH(int, options);
    QFETCH(bool, read_only);
    QFETCH(int, answer);
    QFETCH(QString, prompt);
    QFETCH(char, mark);
    TTzGrid* grid = Make(5, deleted ? std::vector<int>{3} : std::vector<int>{});
    grid->SetOptions(TTzGridOptions(options));
    grid->SetReadOnly(read_only);
    fx_->Press(Qt::Key_Down);
    fx_->Press(Qt::Key_Down);
    fx_->msgs->Answer(qp::MsgResult(answer));
    fx_->Press(Qt::Key_Delete);  // without Ctrl: nothing
    QVERIFY(fx_->msgs->messages().empty());
    fx_->Press(Qt::Key_Delete, Qt::ControlModifier);
    const auto& asked = fx_->msgs->messages();
    QCOMPARE(asked.size(), size_t(prompt.isEmpty() ? 0 : 1));
    if (!asked.empty()) {
      QCOMPARE(asked[0].text, prompt);
      QCOMPARE(asked[0].type, qp::MsgType::kConfirmation);
      QCOMPARE(asked[0].buttons, qp::MsgButtons::kOkCancel);
    }
    QCOMPARE(fx_->Mark(3), mark);
    QCOMPARE(fx_->Mark(2), ' ');
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(3));
  }

  void editing_data() {
    QTest::addColumn<QString>("field");
    // readonly-column, readonly-field, readonly-grid; leave: the focus goes
    // to another control instead of Down
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // expected in record 1; empty: unchanged
    QTest::addColumn<QString>("error");
    QTest::newRow("name longer than the field") << "name" << "" << "A name of more than twenty"
                                                << "A name of more than " << "";
    QTest::newRow("amount") << "amount" << "" << "42.5" << "     42.50" << "";
    QTest::newRow("amount refuses letters") << "amount" << "" << "4x2" << "     42.00" << "";
    QTest::newRow("date through the mask") << "due" << "" << "031525" << "20250315" << "";
    QTest::newRow("date that is none") << "due" << "" << "139925" << ""
                                       << "'13/99/25' is not a valid date";
    QTest::newRow("date that is none, focus leaving") << "due" << "leave" << "139925" << ""
                                                     << "'13/99/25' is not a valid date";
    QTest::newRow("memo") << "notes" << "" << "text" << "" << "";
    QTest::newRow("read-only column") << "name" << "readonly-column" << "abc" << "" << "";
    QTest::newRow("read-only field") << "name" << "readonly-field" << "abc" << "" << "";
    QTest::newRow("read-only grid") << "name" << "readonly-grid" << "abc" << "" << "";
  }

  void editing() {
    QFETCH(QString, field);
    QFETCH(QString, setup);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, error);
    TTzGrid* grid = Make(3);
    const std::string name = field.toStdString();
    if (setup == "readonly-field") fx_->DataSet()->FieldByName(name)->SetReadOnly(true);
    if (setup == "readonly-grid") grid->SetReadOnly(true);
    if (setup == "readonly-column") {  // designed columns: the field's alone, read-only
      grid->ReadSavedColumns({"cvColumn=0", "cvFieldNameStr=" + name, "cvReadOnlyStr=TRUE"});
    }
    const std::string before = fx_->Stored(1, name);
    grid->MoveCol(fx_->ColumnOf(name));
    fx_->Press(Qt::Key_F2);
    QTRY_VERIFY(grid->InplaceEditor() && grid->InplaceEditor()->hasFocus());
    grid->InplaceEditor()->selectAll();
    fx_->Type(typed);
    if (setup == "leave") {
      auto* other = new QLineEdit(fx_->window.get());
      other->show();
      other->setFocus();
      QApplication::processEvents();
      // A value that does not convert keeps the focus in the grid.
      QCOMPARE(grid->IsActiveControl(), !error.isEmpty());
    } else {
      fx_->Press(Qt::Key_Down);
    }
    QCOMPARE(QString::fromStdString(fx_->Stored(1, name)), stored.isEmpty() ? QString::fromStdString(before) : stored);
    const auto& boxes = fx_->msgs->messages();
    QCOMPARE(boxes.empty() ? QString() : boxes[0].text, error);
    // A value that does not convert keeps the edit open for mending.
    QCOMPARE(fx_->DataSet()->State(), error.isEmpty() ? vz::dsBrowse : vz::dsEdit);
    QCOMPARE(fx_->RecordsOnDisk(), 3);
  }

  // ---- painting --------------------------------------------------------------------------

  void booleanBoxes_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("ink_when_false");  // an outline (or text) shows for false
    QTest::addColumn<bool>("red_when_true");
    QTest::newRow("check box") << int(bbCheckBox) << true << false;
    QTest::newRow("check mark") << int(bbCheckMark) << false << false;
    QTest::newRow("text") << int(bbText) << true << false;
    QTest::newRow("fill box red") << int(bbFillBoxRed) << true << true;
    QTest::newRow("radio button red") << int(bbRButtonRed) << true << true;
    QTest::newRow("dot red") << int(bbDotRed) << false << true;
  }

  void booleanBoxes() {
    QFETCH(int, box);
    QFETCH(bool, ink_when_false);
    QFETCH(bool, red_when_true);
    TTzGrid* grid = Make(5);
    grid->SetBooleanBox(TTzBooleanBox(box));
    const int col = fx_->ColumnOf("paid");
    const int top = grid->TitleOffset();
    // Rows 3 and 4: records 3 (false) and 4 (true), neither current.
    const QImage no = CellImage(grid, col, top + 2);
    const QImage yes = CellImage(grid, col, top + 3);
    const QColor ink = ColorToQColor(clWindowText, grid->palette());
    const QColor red(255, 0, 0);
    QVERIFY(no != yes);
    QCOMPARE(qptest::PixelsNear(no, ink) > 0, ink_when_false);
    QVERIFY(qptest::PixelsNear(yes, ink) > 0 || red_when_true);
    QCOMPARE(qptest::PixelsNear(yes, red, 30) > 0, red_when_true);
    QCOMPARE(qptest::PixelsNear(no, red, 30), 0);
  }

  void rowColours() {
    TTzGrid* grid = Make(6, {4, 5});
    // Record 6 gets a cell colour of its own; the event sees each row's values.
    grid->OnChangeColorsEvent = [this](vz::TObject*, int, TColor&, TColor& cell, TColor&, TColor&, TColor&,
                                       TColor&, TColor&) {
      if (fx_->CurrentName() == "Rec 06") cell = clYellow;
    };
    grid->InvalidateGrid();
    fx_->Press(Qt::Key_Down);
    fx_->Press(Qt::Key_Down);
    fx_->Press(Qt::Key_Down);
    fx_->Press(Qt::Key_Down);  // record 5: deleted, current, focused
    const int top = grid->TitleOffset();
    const int name = fx_->ColumnOf("name");
    const int amount = fx_->ColumnOf("amount");
    auto colour_of = [&](int col, int record) { return CellImage(grid, col, top + record - 1).pixelColor(1, 1); };
    QCOMPARE(colour_of(name, 1), ColorToQColor(clWindow, grid->palette()));
    QCOMPARE(colour_of(name, 4), QColor(Qt::red));  // deleted
    QCOMPARE(colour_of(amount, 5), QColor(Qt::red));
    QCOMPARE(colour_of(name, 5), ColorToQColor(clHighlight, grid->palette()));  // deleted, but current
    QCOMPARE(colour_of(name, 6), QColor(Qt::yellow));
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(5));  // painting moved nothing
  }

  // ---- columns ---------------------------------------------------------------------------

  void columnMoves_data() {
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<int>("pressed");  // the title right-clicked
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("the pressed column moves") << false << 1 << 1 << 3;
    QTest::newRow("a column moves past it") << false << 2 << 0 << 3;
    QTest::newRow("a column moves before it") << false << 1 << 3 << 0;
    QTest::newRow("pressing disabled") << true << 2 << 0 << 3;
  }

  void columnMoves() {
    QFETCH(bool, disabled);
    QFETCH(int, pressed);
    QFETCH(int, from);
    QFETCH(int, to);
    TTzGrid* grid = Make(5);
    grid->SetDepressDisabled(disabled);
    int moved_from = -1;
    int moved_to = -1;
    grid->OnColumnMoved = [&](vz::TObject*, int f, int t) {
      moved_from = f;
      moved_to = t;
    };
    const int io = grid->IndicatorOffset();
    fx_->Click(io + 0, 0, Qt::RightButton);  // another title first: one pressed at a time
    fx_->Click(io + pressed, 0, Qt::RightButton);
    QCOMPARE(grid->DepressedColumn(), disabled ? -1 : pressed);
    const std::string pressed_field = grid->Columns()->Items(pressed)->FieldName();
    const std::string moving_field = grid->Columns()->Items(from)->FieldName();

    QWidget* view = grid->viewport();
    const QPoint a = grid->CellRect(io + from, 0).center();
    const QPoint b = grid->CellRect(io + to, 0).center();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, a);
    QTest::mouseMove(view, (a + b) / 2);
    QTest::mouseMove(view, b);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, b);
    QApplication::processEvents();

    QCOMPARE(moved_from, from);
    QCOMPARE(moved_to, to);
    QCOMPARE(grid->Columns()->Items(to)->FieldName(), moving_field);
    if (disabled) {
      QCOMPARE(grid->DepressedColumn(), -1);
    } else {
      QCOMPARE(grid->Columns()->Items(grid->DepressedColumn())->FieldName(), pressed_field);
    }
  }

  void tableGoesAndComesBack_data() {
    QTest::addColumn<bool>("designed");
    QTest::newRow("the grid's own columns") << false;
    QTest::newRow("designed columns") << true;
  }

  void tableGoesAndComesBack() {
    QFETCH(bool, designed);
    TTzGrid* grid = Make(5);
    if (designed) grid->ReadSavedColumns({"cvColumn=0", "cvFieldNameStr=amount", "cvColumn=1", "cvFieldNameStr=name"});
    const int columns = grid->ColCount();
    // Closing frees the fields the columns show: nothing may point at them.
    fx_->table->SetActive(false);
    QApplication::processEvents();
    QCOMPARE(grid->RowCount(), grid->TitleOffset() + 1);
    QVERIFY(!grid->grab().isNull());
    fx_->table->SetActive(true);
    QApplication::processEvents();
    QCOMPARE(grid->ColCount(), columns);
    fx_->Press(Qt::Key_Down);
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(2));
    QCOMPARE(grid->Columns()->Items(0)->Field()->FieldName(), std::string(designed ? "amount" : "name"));
    // The table component going away unbinds the grid.
    delete fx_->table;
    fx_->table = nullptr;
    QCOMPARE(grid->DataSource(), nullptr);
    QVERIFY(!grid->grab().isNull());
  }

  // ---- the column list -------------------------------------------------------------------

  void savedColumns_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("columns");
    const QString blank = "|-|-|-|-|-|-|-|-";
    QTest::newRow("numbers 0 and 2 make three columns")
        << QStringList{"cvColumn=0", "cvFieldNameStr=name", "cvColumn=2", "cvWidthStr=120"}
        << QStringList{"name" + blank, blank, "|120|-|-|-|-|-|-|-"};
    QTest::newRow("a number not above the last keeps the column")
        << QStringList{"cvColumn=1", "cvWidthStr=50", "cvColumn=0", "cvWidthStr=70"}
        << QStringList{blank, "|70|-|-|-|-|-|-|-"};
    QTest::newRow("lines before the first column do nothing")
        << QStringList{"cvWidthStr=wide", "cvFieldNameStr=name", "cvColumn=0"} << QStringList{blank};
    QTest::newRow("a line without a key is a column number")
        << QStringList{"cvColumn=0", "  1  ", "cvFieldNameStr=amount"}
        << QStringList{blank, "amount" + blank};
    QTest::newRow("font text: name, colour, size and bold")
        << QStringList{"cvColumn=0", "cvFontStr=Arial,clRed,266"}
        << QStringList{"|-|-|Arial 10 clRed 1|-|-|-|-|-"};
    QTest::newRow("font text: styles above 256")
        << QStringList{"cvColumn=0", "cvFontStr=Courier,clBlue,3596"}
        << QStringList{"|-|-|Courier 12 clBlue 14|-|-|-|-|-"};
    QTest::newRow("font text: no colour identifier")
        << QStringList{"cvColumn=0", "cvFontStr=Arial,reddish,9"}
        << QStringList{"|-|-|Arial 9 clWindowText 0|-|-|-|-|-"};
    QTest::newRow("font text: one comma names the font only")
        << QStringList{"cvColumn=0", "cvFontStr=Arial,"}
        << QStringList{"|-|-|Arial 8 clWindowText 0|-|-|-|-|-"};
    QTest::newRow("font text: no comma changes nothing")
        << QStringList{"cvColumn=0", "cvFontStr=Arial"} << QStringList{blank};
    QTest::newRow("colours by name and number")
        << QStringList{"cvColumn=0", "cvColorStr=clAqua", "cvTitleColorStr=$0000FF"}
        << QStringList{"|-|clAqua|-|-|-|-|clRed|-"};
    QTest::newRow("alignments in any case, blanks ignored")
        << QStringList{"cvColumn=0", "cvAlignmentStr= TARightJustify ", "cvTitleAlignmentStr=tacenter"}
        << QStringList{"|-|-|-|1|-|-|-|2"};
    QTest::newRow("an unknown alignment is left")
        << QStringList{"cvColumn=0", "cvAlignmentStr=middle"} << QStringList{"|-|-|-|0|-|-|-|-"};
    QTest::newRow("read-only only for TRUE")
        << QStringList{"cvColumn=0", "cvReadOnlyStr=true", "cvColumn=1", "cvReadOnlyStr=yes"}
        << QStringList{"|-|-|-|-|ro|-|-|-", "|-|-|-|-|rw|-|-|-"};
    // A line that does not read stops the reading with the text it holds.
    QTest::newRow("bad width") << QStringList{"cvColumn=0", "cvWidthStr=wide"}
                               << QStringList{"! 'wide' is not a valid number"};
    QTest::newRow("bad colour") << QStringList{"cvColumn=0", "cvColorStr=clMauve"}
                                << QStringList{"! 'clMauve' is not a valid number"};
    QTest::newRow("bad font size") << QStringList{"cvColumn=0", "cvFontStr=Arial,clRed,big"}
                                   << QStringList{"! 'big' is not a valid number"};
    QTest::newRow("unknown key") << QStringList{"cvColumn=0", "cvHeightStr=4"}
                                 << QStringList{"! 'cvHeightStr=4' is not a valid number"};
    QTest::newRow("a caption and a field the table lacks")
        << QStringList{"cvColumn=0", "cvTitleCaptionStr=Paid?", "cvFieldNameStr=missing"}
        << QStringList{"missing|-|-|-|-|-|Paid?|-|-"};
  }

  void savedColumns() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, columns);
    TTzGrid* grid = Make(3, {}, /*bind=*/false);
    // A grid fresh from the form holds one blank column, which the list
    // replaces.
    grid->Columns()->Add();
    grid->Font().SetName("Helvetica");
    grid->Font().SetSize(8);
    try {
      grid->ReadSavedColumns(Lines(lines));
    } catch (const EConvertError& e) {
      QCOMPARE(QStringList{QString("! ") + e.what()}, columns);
      // The grid goes on working after the failed read.
      grid->LayoutChanged();
      QCOMPARE(grid->LayoutLock(), 0);
      QCOMPARE(grid->UpdateLock(), 0);
      return;
    }
    QStringList seen;
    for (int i = 0; i < grid->Columns()->Count(); ++i) seen << Describe(grid->Columns()->Items(i));
    QCOMPARE(seen, columns);
    QVERIFY(grid->SavedColumns().empty());  // written as an empty list
    // Bound by name once the table is there; a missing field shows nothing.
    grid->SetDataSource(fx_->table);
    TTzColumn* first = grid->Columns()->Count() ? grid->Columns()->Items(0) : nullptr;
    if (first && !first->FieldName().empty()) {
      QCOMPARE(first->Field() != nullptr, first->FieldName() != "missing");
    }
  }

  void defaultsFollowTheGrid_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("given");  // setting the default value makes it given
    QTest::newRow("colour") << "colour" << true;
    QTest::newRow("font") << "font" << true;
    QTest::newRow("width") << "width" << false;
    QTest::newRow("title colour") << "titlecolour" << true;
  }

  void defaultsFollowTheGrid() {
    QFETCH(QString, value);
    QFETCH(bool, given);
    TTzGrid* grid = Make(3);
    TTzColumn* c = grid->Columns()->Add();
    c->SetFieldName("name");
    // Untouched, a column follows the grid and stores nothing.
    grid->SetColor(clYellow);
    grid->Font().SetSize(14);
    grid->SetFixedColor(clTeal);
    QCOMPARE(c->Color(), clYellow);
    QCOMPARE(c->Font().Size(), 14);
    QCOMPARE(c->Title().Color(), clTeal);
    QVERIFY(!c->IsColorStored() && !c->IsFontStored() && !c->IsWidthStored() && !c->IsAlignmentStored());
    QCOMPARE(c->AssignedValues() & ~cvFieldName, 0);

    if (value == "colour") c->SetColor(c->Color());
    if (value == "font") c->SetFont(TFont(c->Font()));
    if (value == "width") c->SetWidth(c->DefaultWidth());
    if (value == "titlecolour") c->Title().SetColor(c->Title().Color());
    QCOMPARE((c->AssignedValues() & ~cvFieldName) != 0, given);
    // A given value stays when the grid changes; defaults keep following.
    grid->SetColor(clLime);
    grid->Font().SetSize(9);
    grid->SetFixedColor(clSilver);
    QCOMPARE(c->Color(), value == "colour" ? clYellow : clLime);
    QCOMPARE(c->Font().Size(), value == "font" ? 14 : 9);
    QCOMPARE(c->Title().Color(), value == "titlecolour" ? clTeal : clSilver);
    c->RestoreDefaults();
    QCOMPARE(c->AssignedValues(), 0);
    QCOMPARE(c->Color(), clLime);
  }

  void assignCopiesGivenValues() {
    TTzGrid* grid = Make(3);
    grid->ReadSavedColumns(Lines({"cvColumn=0", "cvFieldNameStr=amount", "cvColorStr=clRed", "cvWidthStr=90",
                                  "cvTitleCaptionStr=Sum", "cvColumn=1", "cvFieldNameStr=name"}));
    TTzGridColumns copy(nullptr, TTzColumnClass::kColumn);
    copy.Assign(*grid->Columns());
    QCOMPARE(copy.Count(), 2);
    QCOMPARE(Describe(copy.Items(0)), QString("amount|90|clRed|-|-|-|Sum|-|-"));
    QCOMPARE(Describe(copy.Items(1)), QString("name|-|-|-|-|-|-|-|-"));
    // Back into a grid: the copies bind and show as the originals did.
    TTzGrid other;
    other.SetDataSource(fx_->table);
    other.SetColumns(copy);
    QCOMPARE(other.Columns()->State(), csCustomized);
    QCOMPARE(other.ColCount(), 3);
    QCOMPARE(other.ColWidths(1), 90);
  }

  // The field map holds kMaxMapSize columns, fields or gaps, and refuses
  // one more.
  void tooManyColumns() {
    TTzGridDataLink* link = Make(3)->DataLink();
    link->ClearMapping();
    link->SetSparseMap(true);
    for (int i = 0; i < TTzGridDataLink::kMaxMapSize; ++i) link->AddMapping(i % 2 ? "name" : "nothing");
    QVERIFY(link->Fields(1) && !link->Fields(0));
    QVERIFY_THROWS_EXCEPTION(EInvalidGridOperation, link->AddMapping("name"));
    QCOMPARE(link->FieldCount(), TTzGridDataLink::kMaxMapSize);
  }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
