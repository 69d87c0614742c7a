// The data grid over a real table: keys, editing, prompts, painting and the
// columns, checked on what the user sees (the current record, painted
// pixels, the prompts) and on the bytes of the file.
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <string>

#include "tablefixture.h"

using qptest::GridFixture;

namespace {

struct KeyRow {
  int records;
  QString setup;   // "no auto append", "no editing", "read-only"
  QString start;   // keys pressed before
  QString keys;
  QString record;  // the current record after; "0" a new one, "" none
  int column;      // the data column after, -1 unchanged
  int bar;         // the vertical bar's place, -1 unchecked
};
struct PromptRow {
  bool deleted;  // record 3 carries the deletion mark
  int options;
  bool read_only;
  qp::MsgResult answer;
  QString prompt;
  char mark;
};
struct EditRow {
  QString field;
  QString setup;  // readonly-column, -field, -grid; leave: the focus goes elsewhere instead of Down
  QString typed;
  QString stored;  // in record 1; empty: unchanged
  QString error;
};

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

// One column's look as the grid shows it and the form would store it: "field|width|colour|
// font|alignment|readonly|title caption|title colour|title alignment", "-" a default value.
QString Describe(TTzColumn* c) {
  const TTzColumnValues given = c->AssignedValues();
  auto part = [given](TTzColumnValues bit, const QString& text) { return (given & bit) ? text : QString("-"); };
  auto text = [](const std::string& s) { return QString::fromStdString(s); };
  const TFont& f = c->Font();
  const QString font =
      QString("%1 %2 %3 %4").arg(text(f.Name())).arg(f.Size()).arg(text(ColorToIdent(f.Color()))).arg(f.Style());
  return QStringList{text(c->FieldName()), part(cvWidth, QString::number(c->Width())),
                     part(cvColor, text(ColorToIdent(c->Color()))), part(cvFont, font),
                     part(cvAlignment, QString::number(c->Alignment())), part(cvReadOnly, c->ReadOnly() ? "ro" : "rw"),
                     part(cvTitleCaption, text(c->Title().Caption())),
                     part(cvTitleColor, text(ColorToIdent(c->Title().Color()))),
                     part(cvTitleAlignment, QString::number(c->Title().Alignment()))}
      .join('|');
}

}  // namespace

Q_DECLARE_METATYPE(KeyRow)
Q_DECLARE_METATYPE(PromptRow)
Q_DECLARE_METATYPE(EditRow)
Q_DECLARE_METATYPE(vz::TStrings)

class TestGrid : public QObject {
  Q_OBJECT

  std::unique_ptr<GridFixture> fx_;

  TTzGrid* Make(int records, const std::vector<int>& deleted = {}, bool bind = true) {
    fx_.reset();  // one fixture at a time: they share the engine
    fx_ = std::make_unique<GridFixture>(records, deleted, bind);
    return fx_->grid;
  }

 private slots:
  void cleanup() { fx_.reset(); }

  void keys_data() {
    QTest::addColumn<KeyRow>("c");
    const QString last = "Ctrl+End", insert = "Down, Down, Down, Down, Ins", append = "Ctrl+End, Down";
    QTest::newRow("down at first") << KeyRow{50, "", "", "Down", "2", -1, 2};
    QTest::newRow("up at first") << KeyRow{50, "", "", "Up", "1", -1, 0};
    QTest::newRow("ctrl+down: last shown") << KeyRow{50, "", "", "Ctrl+Down", "v", -1, 2};
    QTest::newRow("page down at first") << KeyRow{50, "", "", "PgDown", "v+1", -1, 2};
    QTest::newRow("ctrl+end") << KeyRow{50, "", "", "Ctrl+End", "n", -1, 4};
    QTest::newRow("ctrl+right") << KeyRow{50, "", "", "Ctrl+Right", "1", 4, -1};
    QTest::newRow("shift+tab at first cell") << KeyRow{50, "", "", "Shift+Tab", "1", 4, -1};
    QTest::newRow("ctrl+up: first shown") << KeyRow{50, "", last, "Ctrl+Up", "n-v+1", -1, -1};
    QTest::newRow("page up at last") << KeyRow{50, "", last, "PgUp", "n-v", -1, 2};
    QTest::newRow("ctrl+home") << KeyRow{50, "", last, "Ctrl+Home", "1", -1, 0};
    QTest::newRow("tab at last cell: next row") << KeyRow{50, "", "End", "Tab", "2", 0, -1};
    QTest::newRow("shift+insert: nothing") << KeyRow{50, "", "", "Shift+Ins", "1", -1, -1};
    // An empty table opens with a new row.
    QTest::newRow("empty: escape drops the new row") << KeyRow{0, "", "", "Esc", "", -1, -1};
    QTest::newRow("empty: down appends") << KeyRow{0, "", "Esc", "Down", "0", -1, -1};
    QTest::newRow("empty: up") << KeyRow{0, "", "Esc", "Up", "", -1, -1};
    QTest::newRow("empty, new row: down stays") << KeyRow{0, "", "", "Down", "0", -1, -1};
    QTest::newRow("empty, new row: up drops it") << KeyRow{0, "", "", "Up", "", -1, -1};
    QTest::newRow("insert: down cancels") << KeyRow{50, "", insert, "Down", "5", -1, -1};
    QTest::newRow("insert: up") << KeyRow{50, "", insert, "Up", "4", -1, -1};
    QTest::newRow("insert: escape cancels") << KeyRow{50, "", insert, "Esc", "5", -1, -1};
    QTest::newRow("down at last appends") << KeyRow{50, "", last, "Down", "0", -1, -1};
    QTest::newRow("append: down stays") << KeyRow{50, "", append, "Down", "0", -1, -1};
    QTest::newRow("append: up cancels") << KeyRow{50, "", append, "Up", "n", -1, -1};
    QTest::newRow("append: ctrl+up, new row dropped") << KeyRow{50, "", append, "Ctrl+Up", "n-v+1", -1, -1};
    QTest::newRow("AutoAppend off") << KeyRow{50, "no auto append", last, "Down", "n", -1, -1};
    QTest::newRow("dgEditing off") << KeyRow{50, "no editing", last, "Down", "n", -1, -1};
    QTest::newRow("read-only grid") << KeyRow{50, "read-only", last, "Down", "n", -1, -1};
  }

  void keys() {
    QFETCH(KeyRow, c);
    TTzGrid* grid = Make(c.records);
    const int v = grid->VisibleRowCount();
    QVERIFY(c.records == 0 || (v > 3 && v < c.records));
    grid->SetAutoAppend(c.setup != "no auto append");
    grid->SetReadOnly(c.setup == "read-only");
    if (c.setup == "no editing") grid->SetOptions(grid->Options() & ~dgEditing);
    fx_->PressKeys(c.start);
    const int col_before = grid->SelectedIndex();
    fx_->PressKeys(c.keys);
    const int expected = c.record.isEmpty() ? 0 : Evaluate(c.record, c.records, v);
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(expected));
    QCOMPARE(fx_->DataSet()->State(), c.record == "0" ? vz::dsInsert : vz::dsBrowse);
    QCOMPARE(grid->SelectedIndex(), c.column < 0 ? col_before : c.column);
    // The grid row of the current record is the one shown as current.
    QCOMPARE(grid->Row(), grid->TitleOffset() + grid->DataLink()->ActiveRecord());
    if (c.bar >= 0) QCOMPARE(grid->verticalScrollBar()->value(), c.bar);
    QCOMPARE(fx_->RecordsOnDisk(), c.records);  // nothing is written by moving
    QVERIFY(fx_->halts.empty());
  }

  void toggleLogical_data() {
    QTest::addColumn<int>("record");  // even records are paid
    QTest::addColumn<QString>("how");  // "click" or a key
    QTest::addColumn<QString>("stored");
    QTest::newRow("click on false") << 1 << "click" << "T";
    QTest::newRow("space") << 1 << "Space" << "T";
    QTest::newRow("enter") << 2 << "Return" << "F";
    QTest::newRow("letter does nothing") << 1 << "X" << "F";
    QTest::newRow("backspace does nothing") << 2 << "Backspace" << "T";
  }

  void toggleLogical() {
    QFETCH(int, record);
    QFETCH(QString, how);
    QFETCH(QString, stored);
    TTzGrid* grid = Make(5);
    for (int i = 1; i < record; ++i) fx_->Press(Qt::Key_Down);
    grid->MoveCol(fx_->ColumnOf("paid"));
    if (how == "click") {
      fx_->Click(grid->Col(), grid->Row());
    } else {
      fx_->PressKeys(how);
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
    for (const char* key : {"Home", "Left", "Ctrl+Left"}) {
      fx_->PressKeys(key);
      QCOMPARE(grid->SelectedIndex(), fixed);
    }
  }

  void deletePrompts_data() {
    QTest::addColumn<PromptRow>("c");
    const int d = kDefaultTzGridOptions;
    const qp::MsgResult ok = qp::MsgResult::kOk;
    QTest::newRow("restore, OK") << PromptRow{true, d, false, ok, "Restore Record ?", ' '};
    QTest::newRow("restore, Cancel") << PromptRow{true, d, false, qp::MsgResult::kCancel, "Restore Record ?", '*'};
    QTest::newRow("delete unasked") << PromptRow{false, d & ~dgConfirmDelete, false, ok, "", '*'};
    QTest::newRow("read-only grid") << PromptRow{false, d, true, ok, "", ' '};
  }

  void deletePrompts() {
    QFETCH(PromptRow, c);
    TTzGrid* grid = Make(5, c.deleted ? std::vector<int>{3} : std::vector<int>{});
    grid->SetOptions(TTzGridOptions(c.options));
    grid->SetReadOnly(c.read_only);
    fx_->msgs->Answer(c.answer);
    fx_->PressKeys("Down, Down, Del");  // without Ctrl: nothing
    QVERIFY(fx_->msgs->messages().empty());
    fx_->Press(Qt::Key_Delete, Qt::ControlModifier);
    const auto& asked = fx_->msgs->messages();
    QCOMPARE(asked.size(), size_t(c.prompt.isEmpty() ? 0 : 1));
    if (!asked.empty()) {
      QCOMPARE(asked[0].text, c.prompt);
      QCOMPARE(asked[0].type, qp::MsgType::kConfirmation);
      QCOMPARE(asked[0].buttons, qp::MsgButtons::kOkCancel);
    }
    QCOMPARE(fx_->Mark(3), c.mark);
    QCOMPARE(fx_->Mark(2), ' ');
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(3));
  }

  void editing_data() {
    QTest::addColumn<EditRow>("c");
    const QString invalid = "'13/99/25' is not a valid date";
    QTest::newRow("name longer than the field")
        << EditRow{"name", "", "A name of more than twenty", "A name of more than ", ""};
    QTest::newRow("amount refuses letters") << EditRow{"amount", "", "4x2", "     42.00", ""};
    QTest::newRow("date through the mask") << EditRow{"due", "", "031525", "20250315", ""};
    QTest::newRow("date that is none, focus leaving") << EditRow{"due", "leave", "139925", "", invalid};
    QTest::newRow("memo") << EditRow{"notes", "", "text", "", ""};
    QTest::newRow("read-only column") << EditRow{"name", "readonly-column", "abc", "", ""};
    QTest::newRow("read-only field") << EditRow{"name", "readonly-field", "abc", "", ""};
    QTest::newRow("read-only grid") << EditRow{"name", "readonly-grid", "abc", "", ""};
  }

  void editing() {
    QFETCH(EditRow, c);
    TTzGrid* grid = Make(3);
    const std::string name = c.field.toStdString();
    if (c.setup == "readonly-field") fx_->DataSet()->FieldByName(name)->SetReadOnly(true);
    if (c.setup == "readonly-grid") grid->SetReadOnly(true);
    if (c.setup == "readonly-column") {  // designed columns: the field's alone, read-only
      grid->ReadSavedColumns({"cvColumn=0", "cvFieldNameStr=" + name, "cvReadOnlyStr=TRUE"});
    }
    const QString expected = c.stored.isEmpty() ? QString::fromStdString(fx_->Stored(1, name)) : c.stored;
    grid->MoveCol(fx_->ColumnOf(name));
    fx_->Press(Qt::Key_F2);
    QTRY_VERIFY(grid->InplaceEditor() && grid->InplaceEditor()->hasFocus());
    grid->InplaceEditor()->selectAll();
    fx_->Type(c.typed);
    if (c.setup == "leave") {
      auto* other = new QLineEdit(fx_->window.get());
      other->show();
      other->setFocus();
      QApplication::processEvents();
      // A value that does not convert keeps the focus in the grid.
      QCOMPARE(grid->IsActiveControl(), !c.error.isEmpty());
    } else {
      fx_->Press(Qt::Key_Down);
    }
    QCOMPARE(QString::fromStdString(fx_->Stored(1, name)), expected);
    const auto& boxes = fx_->msgs->messages();
    QCOMPARE(boxes.empty() ? QString() : boxes[0].text, c.error);
    // A value that does not convert keeps the edit open for mending.
    QCOMPARE(fx_->DataSet()->State(), c.error.isEmpty() ? vz::dsBrowse : vz::dsEdit);
    QCOMPARE(fx_->RecordsOnDisk(), 3);
  }

  // Rows 3 and 4: records 3 (false) and 4 (true), neither current. An outline
  // (or text) shows for false, except with the mark and the dot.
  void booleanBoxes() {
    TTzGrid* grid = Make(5);
    const int col = fx_->ColumnOf("paid"), top = grid->TitleOffset();
    const QColor ink = ColorToQColor(clWindowText, grid->palette()), red(255, 0, 0);
    for (const auto& [box, ink_when_false, red_when_true] :
         {std::tuple{bbCheckBox, true, false}, {bbCheckMark, false, false}, {bbText, true, false},
          {bbFillBoxRed, true, true}, {bbRButtonRed, true, true}, {bbDotRed, false, true}}) {
      grid->SetBooleanBox(box);
      const QImage no = CellImage(grid, col, top + 2), yes = CellImage(grid, col, top + 3);
      QVERIFY(no != yes);
      QCOMPARE(qptest::PixelsNear(no, ink) > 0, ink_when_false);
      QVERIFY(qptest::PixelsNear(yes, ink) > 0 || red_when_true);
      QCOMPARE(qptest::PixelsNear(yes, red, 30) > 0, red_when_true);
      QCOMPARE(qptest::PixelsNear(no, red, 30), 0);
    }
  }

  void rowColours() {
    TTzGrid* grid = Make(6, {4, 5});
    // Record 6 gets a cell colour of its own; the event sees each row's values.
    grid->OnChangeColorsEvent = [this](vz::TObject*, int, TColor&, TColor& cell, TColor&, TColor&, TColor&,
                                       TColor&, TColor&) {
      if (fx_->CurrentName() == "Rec 06") cell = clYellow;
    };
    grid->InvalidateGrid();
    fx_->PressKeys("Down, Down, Down, Down");  // record 5: deleted, current, focused
    const int top = grid->TitleOffset();
    const int name = fx_->ColumnOf("name"), amount = fx_->ColumnOf("amount");
    auto colour_of = [&](int col, int record) { return CellImage(grid, col, top + record - 1).pixelColor(1, 1); };
    QCOMPARE(colour_of(name, 1), ColorToQColor(clWindow, grid->palette()));
    QCOMPARE(colour_of(name, 4), QColor(Qt::red));  // deleted
    QCOMPARE(colour_of(amount, 5), QColor(Qt::red));
    QCOMPARE(colour_of(name, 5), ColorToQColor(clHighlight, grid->palette()));  // deleted, but current
    QCOMPARE(colour_of(name, 6), QColor(Qt::yellow));
    QCOMPARE(QString::fromStdString(fx_->CurrentName()), RecName(5));  // painting moved nothing
  }

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
    std::pair<int, int> moved(-1, -1);
    grid->OnColumnMoved = [&](vz::TObject*, int f, int t) { moved = {f, t}; };
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

    QCOMPARE(moved, std::pair(from, to));
    QCOMPARE(grid->Columns()->Items(to)->FieldName(), moving_field);
    // The pressed title follows its column.
    const int now = grid->DepressedColumn();
    QCOMPARE(now < 0 ? std::string() : grid->Columns()->Items(now)->FieldName(), disabled ? "" : pressed_field);
  }

  // With the grid's own columns and with designed ones.
  void tableGoesAndComesBack() {
    for (bool designed : {false, true}) {
      TTzGrid* grid = Make(5);
      if (designed)
        grid->ReadSavedColumns({"cvColumn=0", "cvFieldNameStr=amount", "cvColumn=1", "cvFieldNameStr=name"});
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
  }

  void savedColumns_data() {
    QTest::addColumn<vz::TStrings>("lines");
    QTest::addColumn<QStringList>("columns");
    const QString blank = "|-|-|-|-|-|-|-|-";
    QTest::newRow("numbers 0 and 2 make three columns")
        << vz::TStrings{"cvColumn=0", "cvFieldNameStr=name", "cvColumn=2", "cvWidthStr=120"}
        << QStringList{"name" + blank, blank, "|120|-|-|-|-|-|-|-"};
    QTest::newRow("a number not above the last keeps the column")
        << vz::TStrings{"cvColumn=1", "cvWidthStr=50", "cvColumn=0", "cvWidthStr=70"}
        << QStringList{blank, "|70|-|-|-|-|-|-|-"};
    QTest::newRow("lines before the first column do nothing")
        << vz::TStrings{"cvWidthStr=wide", "cvFieldNameStr=name", "cvColumn=0"} << QStringList{blank};
    QTest::newRow("a line without a key is a column number")
        << vz::TStrings{"cvColumn=0", "  1  ", "cvFieldNameStr=amount"}
        << QStringList{blank, "amount" + blank};
    QTest::newRow("font text: name, colour, size and styles")
        << vz::TStrings{"cvColumn=0", "cvFontStr=Arial,clRed,266", "cvColumn=1", "cvFontStr=Courier,clBlue,3596"}
        << QStringList{"|-|-|Arial 10 clRed 1|-|-|-|-|-", "|-|-|Courier 12 clBlue 14|-|-|-|-|-"};
    // Without a colour identifier the colour stays; one comma names the font
    // only, none changes nothing.
    QTest::newRow("font text: parts left out")
        << vz::TStrings{"cvColumn=0", "cvFontStr=Arial,reddish,9", "cvColumn=1", "cvFontStr=Arial,", "cvColumn=2",
                       "cvFontStr=Arial"}
        << QStringList{"|-|-|Arial 9 clWindowText 0|-|-|-|-|-", "|-|-|Arial 8 clWindowText 0|-|-|-|-|-", blank};
    QTest::newRow("colours by name and number")
        << vz::TStrings{"cvColumn=0", "cvColorStr=clAqua", "cvTitleColorStr=$0000FF"}
        << QStringList{"|-|clAqua|-|-|-|-|clRed|-"};
    QTest::newRow("alignments in any case, blanks ignored; unknown is left")
        << vz::TStrings{"cvColumn=0", "cvAlignmentStr= TARightJustify ", "cvTitleAlignmentStr=tacenter", "cvColumn=1",
                       "cvAlignmentStr=middle"}
        << QStringList{"|-|-|-|1|-|-|-|2", "|-|-|-|0|-|-|-|-"};
    QTest::newRow("read-only only for TRUE")
        << vz::TStrings{"cvColumn=0", "cvReadOnlyStr=true", "cvColumn=1", "cvReadOnlyStr=yes"}
        << QStringList{"|-|-|-|-|ro|-|-|-", "|-|-|-|-|rw|-|-|-"};
    // A line that does not read stops the reading with the text it holds.
    QTest::newRow("bad colour") << vz::TStrings{"cvColumn=0", "cvColorStr=clMauve"}
                                << QStringList{"! 'clMauve' is not a valid number"};
    QTest::newRow("bad font size") << vz::TStrings{"cvColumn=0", "cvFontStr=Arial,clRed,big"}
                                   << QStringList{"! 'big' is not a valid number"};
    QTest::newRow("unknown key") << vz::TStrings{"cvColumn=0", "cvHeightStr=4"}
                                 << QStringList{"! 'cvHeightStr=4' is not a valid number"};
    QTest::newRow("a caption and a field the table lacks")
        << vz::TStrings{"cvColumn=0", "cvTitleCaptionStr=Paid?", "cvFieldNameStr=missing"}
        << QStringList{"missing|-|-|-|-|-|Paid?|-|-"};
  }

  void savedColumns() {
    QFETCH(vz::TStrings, lines);
    QFETCH(QStringList, columns);
    TTzGrid* grid = Make(3, {}, /*bind=*/false);
    // A grid fresh from the form holds one blank column, which the list
    // replaces.
    grid->Columns()->Add();
    grid->Font().SetName("Helvetica");
    grid->Font().SetSize(8);
    try {
      grid->ReadSavedColumns(lines);
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

  // Setting a value to its default makes it given, except the width.
  void defaultsFollowTheGrid() {
    TTzGrid* grid = Make(3);
    for (const QString value : {"colour", "font", "width", "titlecolour"}) {
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
      QCOMPARE((c->AssignedValues() & ~cvFieldName) != 0, value != "width");
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
  }

  void assignCopiesGivenValues() {
    TTzGrid* grid = Make(3);
    grid->ReadSavedColumns({"cvColumn=0", "cvFieldNameStr=amount", "cvColorStr=clRed", "cvWidthStr=90",
                            "cvTitleCaptionStr=Sum", "cvColumn=1", "cvFieldNameStr=name"});
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
