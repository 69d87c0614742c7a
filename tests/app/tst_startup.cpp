// Start-up services of the check desk: the choice of the program's folder,
// the INI and help file paths, the "Program halted." box and the warning
// box, and the check record's text and date conversions.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/checkrecord.h"
#include "app/startup.h"
#include "appfixture.h"
#include "components/messages.h"
#include "engine/errors.h"
#include "platform/datefmt.h"

class TestStartup : public QObject {
  Q_OBJECT

 private slots:
  void init() { fx_ = std::make_unique<qptest::AppFixture>(); }
  void cleanup() { fx_.reset(); }

  // ---- the program's folder ---------------------------------------------------

  void chooseProgramFolder_data() {
    QTest::addColumn<QString>("dir");         // --dir: "", "existing", "missing"
    QTest::addColumn<bool>("exeWritable");
    QTest::addColumn<QString>("dataFolder");  // "", "new", "unmakeable"
    QTest::addColumn<QString>("expected");    // "dir", "exe", "data", "" (error)

    QTest::newRow("--dir wins over a writable program folder") << "existing" << true << "new" << "dir";
    QTest::newRow("--dir naming no folder is refused, nothing made") << "missing" << true << "new" << "";
    QTest::newRow("writable program folder") << "" << true << "new" << "exe";
    QTest::newRow("read-only program folder: the data folder, made") << "" << false << "new" << "data";
    QTest::newRow("nothing writable") << "" << false << "unmakeable" << "";
  }

  void chooseProgramFolder() {
    QFETCH(QString, dir);
    QFETCH(bool, exeWritable);
    QFETCH(QString, dataFolder);
    QFETCH(QString, expected);

    const QString root = fx_->dir.path();
    QDir(root).mkpath("shared");
    QDir(root).mkpath("exe");
    // A folder nobody can create files in, whatever the permission bits and
    // the user (tests may run as root).
    const QString exe = exeWritable ? root + "/exe" : QString("/proc");
    // A regular file where a folder would have to be made cannot become one.
    QFile(root + "/blocker").open(QIODevice::WriteOnly);
    const QString data = dataFolder == "new" ? root + "/data/quillprint" : root + "/blocker/quillprint";
    const QString dir_option = dir == "existing"  ? root + "/shared"
                               : dir == "missing" ? root + "/nowhere"
                                                  : "";

    const qp::FolderChoice choice =
        qp::ChooseProgramFolder(dir_option, (exe + "/").toStdString(), data.toStdString());

    if (expected.isEmpty()) {
      QVERIFY(choice.folder.empty());
      QVERIFY(!choice.error.isEmpty());
      QVERIFY(!QFileInfo::exists(root + "/nowhere"));
      return;
    }
    const QString want = expected == "dir" ? root + "/shared/" : expected == "exe" ? exe + "/" : data + "/";
    QCOMPARE(QString::fromStdString(choice.folder), want);
    QVERIFY(choice.error.isEmpty());
    QVERIFY(QFileInfo(want).isDir());
  }

  void programIniPath_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain name") << "quillprint" << "/f/quillprint.ini";
    QTest::newRow("extension replaced") << "quillprint.exe" << "/f/quillprint.ini";
    QTest::newRow("last dot starts the extension") << "quill.print.bin" << "/f/quill.print.ini";
    QTest::newRow("folder part dropped") << "/usr/bin/quillprint" << "/f/quillprint.ini";
    QTest::newRow("dot in a folder is no extension") << "/opt/q.d/quillprint" << "/f/quillprint.ini";
    QTest::newRow("leading dot is no extension") << ".quill" << "/f/.quill.ini";
  }

  void programIniPath() {
    QFETCH(QString, program);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(qp::ProgramIniPath("/f", program.toStdString())), expected);
  }

  void helpFileFoundInProgramFolderFirst() {
    const QString own = fx_->Path(qp::kHelpFileName);
    // The build puts a copy beside the program; the test binary's folder has
    // none, so without a file of its own the program's folder is named.
    const QString found = qp::HelpFilePath();
    if (!QFileInfo::exists(QString::fromStdString(plat::ExecutableFolder()) + qp::kHelpFileName)) {
      QCOMPARE(found, own);
    }
    QFile f(own);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><h1>Help</h1></body></html>");
    f.close();
    QCOMPARE(qp::HelpFilePath(), own);
  }

  // ---- boxes ------------------------------------------------------------------

  void haltBoxShowsReportAndEnds_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expectedStart");
    QTest::addColumn<int>("status");

    QTest::newRow("table gone") << 215 << "No database in use [GoTop]  WorkArea = 3"
                                << "Error # 215 (No database in use)\r\nNo database in use [GoTop]"
                                << 215;
    QTest::newRow("code that is a multiple of 256 still fails") << 1280 << "m" << "Error # 1280" << 255;
    QTest::newRow("long text cut") << 2 << QString(400, 'x') << "Error # 2 (File not found)\r\nxxx" << 2;
  }

  void haltBoxShowsReportAndEnds() {
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QString, expectedStart);
    QFETCH(int, status);

    vz::SetError(static_cast<uint16_t>(code), message.toStdString());

    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    const qp::RecordedMessage& box = fx_->msgs->messages().front();
    QCOMPARE(box.caption, QString("Program halted."));
    QCOMPARE(box.type, qp::MsgType::kStop);
    QCOMPARE(box.buttons, qp::MsgButtons::kOk);
    QVERIFY2(box.text.startsWith(expectedStart), qPrintable(box.text));
    QVERIFY(box.text.size() <= 255);
    QCOMPARE(fx_->exits, std::vector<int>{status});
  }

  void warningsBecomeWarningBoxes() {
    vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
    QCOMPARE(fx_->msgs->messages().front().type, qp::MsgType::kWarning);
    QCOMPARE(fx_->msgs->messages().front().text, QString("Could not create 'checks.dbf'"));

    // Level 1 keeps warnings quiet.
    vz::SetMessageLevel(1);
    vz::ShowWarning("quiet");
    QCOMPARE(fx_->msgs->messages().size(), size_t{1});
  }

  // ---- the check record -------------------------------------------------------

  // The stored date keeps two year digits whatever the pattern, and reads
  // back within 50 years of the given year (2026); some texts only read.
  void checkDateText_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("stored");  // the date is also written as the text
    QTest::newRow("American") << "MM/dd/yy" << QDate(1998, 12, 5) << "12/05/98" << true;
    QTest::newRow("American with century keeps the year") << "MM/dd/yyyy" << QDate(1998, 12, 5) << "12/05/98"
                                                          << true;
    QTest::newRow("German with century") << "dd.MM.yyyy" << QDate(2026, 3, 1) << "01.03.26" << true;
    QTest::newRow("day first, last century") << "dd.MM.yyyy" << QDate(1998, 12, 5) << "05.12.98" << true;
    QTest::newRow("year first") << "yy.MM.dd" << QDate(2031, 11, 30) << "31.11.30" << true;
    QTest::newRow("two digits, this century") << "MM/dd/yy" << QDate(2030, 12, 5) << "12/05/30" << true;
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
    auto check_date = [](const QDate& d) { return d.isValid() ? qp::CheckDate{d.year(), d.month(), d.day()} : qp::CheckDate{}; };
    if (stored) QCOMPARE(QString::fromStdString(qp::TableDateText(check_date(date))), text);
    const qp::CheckDate read = qp::TableDate(text.toStdString(), 2026);
    QCOMPARE(QDate(read.year, read.month, read.day), date);
  }

  void tableTextGoesThroughCodePage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("umlaut is one byte") << QString("Müller") << QByteArray("M\x81ller")
                                        << QString("Müller");
    QTest::newRow("ASCII unchanged") << QString("Acme Co.") << QByteArray("Acme Co.") << QString("Acme Co.");
    QTest::newRow("character the code page lacks") << QString("5 €") << QByteArray("5 ?") << QString("5 ?");
  }

  void tableTextGoesThroughCodePage() {
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    QFETCH(QString, readBack);
    const std::string oem = qp::ToTableText(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(oem), stored);
    QCOMPARE(QString::fromStdString(qp::FromTableText(oem)), readBack);
  }

 private:
  std::unique_ptr<qptest::AppFixture> fx_;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
