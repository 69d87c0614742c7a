// Start-up services of the check desk: the program's folder, the INI and
// help file paths, the halt and warning boxes, and the check record's text
// and date conversions.
#include <QDir>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "app/startup.h"
#include "appfixture.h"

class TestStartup : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  void chooseProgramFolder_data() {
    QTest::addColumn<QString>("dir");         // --dir: "", "shared" (exists), "nowhere"
    QTest::addColumn<QString>("exe");         // "exe" (writable), or "/proc"
    QTest::addColumn<QString>("data");        // "data" (makeable), or "blocker" (a file)
    QTest::addColumn<QString>("expected");    // the folder chosen, "" for an error
    QTest::newRow("--dir wins") << "shared" << "exe" << "data" << "shared";
    QTest::newRow("--dir naming no folder is refused, nothing made") << "nowhere" << "exe" << "data" << "";
    QTest::newRow("writable program folder") << "" << "exe" << "data" << "exe";
    QTest::newRow("read-only program folder: the data folder, made") << "" << "/proc" << "data" << "data";
    QTest::newRow("nothing writable") << "" << "/proc" << "blocker" << "";
  }

  void chooseProgramFolder() {
    QFETCH(QString, dir);
    QFETCH(QString, exe);
    QFETCH(QString, data);
    QFETCH(QString, expected);
    // /proc takes no files whatever the user (tests may run as root); a
    // regular file where a folder would have to be made cannot become one.
    const QString root = fx_->dir.path() + '/';
    QDir(root).mkpath("shared");
    QDir(root).mkpath("exe");
    QFile(root + "blocker").open(QIODevice::WriteOnly);
    auto in_root = [&](const QString& name) { return name.startsWith('/') ? name : root + name; };
    const QString data_folder = root + data + "/quillprint";
    const qp::FolderChoice choice = qp::ChooseProgramFolder(
        dir.isEmpty() ? QString() : root + dir, (in_root(exe) + '/').toStdString(), data_folder.toStdString());
    const QString want = expected.isEmpty() ? QString()
                         : expected == "data" ? data_folder + '/' : root + expected + '/';
    QCOMPARE(QString::fromStdString(choice.folder), want);
    QCOMPARE(choice.error.isEmpty(), !want.isEmpty());
    QVERIFY(want.isEmpty() || QFileInfo(want).isDir());
    QVERIFY(!QFileInfo::exists(root + "nowhere"));
  }

  void iniAndHelpPaths() {
    for (const auto& [program, ini] : {std::pair{"quillprint.exe", "/f/quillprint.ini"},
                                       {"quill.print.bin", "/f/quill.print.ini"},
                                       {"/opt/q.d/quillprint", "/f/quillprint.ini"},
                                       {".quill", "/f/.quill.ini"}}) {
      QCOMPARE(qp::ProgramIniPath("/f", program), std::string(ini));
    }
    // The program's folder first, once it holds a help file.
    const QString own = fx_->Path(qp::kHelpFileName);
    QFile f(own);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(qp::HelpFilePath(), own);
  }

  void haltBoxShowsReportAndEnds_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("status");
    QTest::newRow("table gone") << 215 << "No database in use [GoTop]  WorkArea = 3"
                                << "Error # 215 (No database in use)\r\nNo database in use [GoTop]" << 215;
    QTest::newRow("code that is a multiple of 256 still fails") << 1280 << "m" << "Error # 1280" << 255;
    QTest::newRow("long text cut") << 2 << QString(400, 'x') << "Error # 2 (File not found)\r\nxxx" << 2;
  }

  void haltBoxShowsReportAndEnds() {
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QString, start);
    QFETCH(int, status);
    vz::SetError(static_cast<uint16_t>(code), message.toStdString());
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    const qp::RecordedMessage& box = fx_->msgs->messages().front();
    QCOMPARE(box.caption, QString("Program halted."));
    QCOMPARE(box.type, qp::MsgType::kStop);
    QCOMPARE(box.buttons, qp::MsgButtons::kOk);
    QVERIFY2(box.text.startsWith(start) && box.text.size() <= 255, qPrintable(box.text));
    QCOMPARE(fx_->exits, std::vector<int>{status});
  }

  void warningsBecomeWarningBoxes() {
    vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
    vz::SetMessageLevel(1);  // keeps warnings quiet
    vz::ShowWarning("quiet");
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kWarning);
    QCOMPARE(fx_->msgs->messages().front().text, QString("Could not create 'checks.dbf'"));
  }

  // The stored date keeps two year digits whatever the pattern, and reads
  // back within 50 years of the given year (2026); some texts only read.
  void checkDateText_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stored");  // the date is also written as the text
    QTest::newRow("with century keeps two digits") << "MM/dd/yyyy" << QDate(1998, 12, 5) << "12/05/98" << true;
    QTest::newRow("day first") << "dd.MM.yyyy" << QDate(2026, 3, 1) << "01.03.26" << true;
    QTest::newRow("year first") << "yy.MM.dd" << QDate(2031, 11, 30) << "31.11.30" << true;
    QTest::newRow("invalid date") << "MM/dd/yy" << QDate() << "" << true;
    QTest::newRow("blank date") << "MM/dd/yy" << QDate() << "  /  /  " << false;
    QTest::newRow("no such day") << "MM/dd/yy" << QDate() << "02/30/26" << false;
    QTest::newRow("padding blanks") << "MM/dd/yy" << QDate(2003, 1, 2) << "01/02/03 " << false;
  }

  void checkDateText() {
    QFETCH(QString, pattern);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(bool, stored);
    vz::RegionalSettings regional;
    regional.short_date_format = pattern.toStdString();
    vz::ApplyRegionalSettings(regional);
    const qp::CheckDate d = date.isValid() ? qp::CheckDate{date.year(), date.month(), date.day()} : qp::CheckDate{};
    if (stored) QCOMPARE(QString::fromStdString(qp::TableDateText(d)), text);
    const qp::CheckDate read = qp::TableDate(text.toStdString(), 2026);
    QCOMPARE(QDate(read.year, read.month, read.day), date);
  }

  void tableTextGoesThroughCodePage() {
    for (const auto& [text, stored, back] : {std::tuple{"Müller", "M\x81ller", "Müller"}, {"5 €", "5 ?", "5 ?"}}) {
      QCOMPARE(qp::ToTableText(text), std::string(stored));
      QCOMPARE(qp::FromTableText(stored), std::string(back));
    }
  }

 private:
  std::unique_ptr<qptest::AppFixture> fx_;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
