// The grid's columns: reading the stored column list (rising and
// non-rising column numbers, the font text, colours, alignments and bad
// numbers), values that follow the grid until they are given, copying,
// and the field map's limit.
#include <QtTest>

#include <memory>
#include <string>

#include "tablefixture.h"

using qptest::GridFixture;

namespace {

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

class TestGridColumns : public QObject {
  Q_OBJECT

  std::unique_ptr<GridFixture> fx_;

 private slots:
  void cleanup() { fx_.reset(); }

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
    fx_.reset(new GridFixture(3, {}, /*bind=*/false));
    TTzGrid* grid = fx_->grid;
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
    QTest::newRow("alignment") << "alignment" << true;
    QTest::newRow("read-only") << "readonly" << true;
    QTest::newRow("width") << "width" << false;
    QTest::newRow("title colour") << "titlecolour" << true;
    QTest::newRow("title caption") << "caption" << true;
  }

  void defaultsFollowTheGrid() {
    QFETCH(QString, value);
    QFETCH(bool, given);
    fx_.reset(new GridFixture(3));
    TTzGrid* grid = fx_->grid;
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
    if (value == "alignment") c->SetAlignment(c->Alignment());
    if (value == "readonly") c->SetReadOnly(c->ReadOnly());
    if (value == "width") c->SetWidth(c->DefaultWidth());
    if (value == "titlecolour") c->Title().SetColor(c->Title().Color());
    if (value == "caption") c->Title().SetCaption(c->Title().Caption());
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
    fx_.reset(new GridFixture(3));
    TTzGrid* grid = fx_->grid;
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

  void tooManyColumns() {
    fx_.reset(new GridFixture(3));
    TTzGridDataLink* link = fx_->grid->DataLink();
    link->ClearMapping();
    link->SetSparseMap(true);
    for (int i = 0; i < TTzGridDataLink::kMaxMapSize; ++i) link->AddMapping(i % 2 ? "name" : "nothing");
    QCOMPARE(link->FieldCount(), 16380);
    QCOMPARE(link->MapCapacity(), 16380);
    QVERIFY(link->Fields(1) && !link->Fields(0));
    QString what;
    try {
      link->AddMapping("name");
    } catch (const EInvalidGridOperation& e) {
      what = e.what();
    }
    QCOMPARE(what, QString("Too many columns in grid"));
    QCOMPARE(link->FieldCount(), 16380);
  }
};

QTEST_MAIN(TestGridColumns)
#include "tst_gridcolumns.moc"
