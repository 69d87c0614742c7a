// TPosition: the file names it takes, where its file lives, a form after Loaded()
// on the files users end up with, and what Save() leaves on disk.
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "platform/appdir.h"
#include "platform/file.h"
#include "winsupport/gradientform.h"
#include "winsupport/position.h"

namespace {

// A main window of design size 536 x 432 at 133, 101.
struct DesignForm : qp::TGradientForm {
  DesignForm() {
    setObjectName("MainForm");
    setGeometry(133, 101, 536, 432);
  }
};

// In the middle of the primary screen, to the pixel that integer halving leaves.
bool Centred(const QWidget& w) {
  const QPoint d = w.geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

QByteArray Values(const char* lines) { return QByteArray("[Values]\n") + lines; }

}  // namespace

class TestPosition : public QObject {
  Q_OBJECT

  QTemporaryDir config_;
  std::unique_ptr<QTemporaryDir> dir_;

  QString FilePath(const QString& name) const { return dir_->filePath(name); }
  void WriteFile(const QByteArray& bytes) {
    QFile f(FilePath("mainform.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray ReadFile(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  // The store of a design form, on mainform.ini.
  static std::unique_ptr<qp::TPosition> Store(QWidget* form, qp::TIniFileDirectory in = qp::ProgramDir) {
    auto store = std::make_unique<qp::TPosition>(form);
    store->SetIniFileName("mainform.ini");
    store->SetIniFileDirectory(in);
    return store;
  }

 private slots:
  void initTestCase() {
    QVERIFY(config_.isValid());
    // Keep the user's configuration folder out of reach.
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    QCoreApplication::setApplicationName("quillprint-test");
  }
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    plat::SetProgramFolder(dir_->path().toStdString());
  }
  void cleanup() {
    plat::SetProgramFolder("");
    dir_.reset();
  }

  void iniFileName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");  // "" when refused: the old name stays
    QTest::newRow("stored lower case") << "MainForm.ini" << "mainform.ini";
    QTest::newRow("twelve characters") << "abcdefgh.ini" << "abcdefgh.ini";
    QTest::newRow("thirteen characters") << "abcdefghi.ini" << "";
    QTest::newRow("upper-case extension") << "setup.INI" << "";
    QTest::newRow("inner dot") << "a.b.ini" << "a.b.ini";
    QTest::newRow("backslash folder") << "..\\x.ini" << "";
  }
  void iniFileName() {
    QFETCH(QString, name);
    QFETCH(QString, stored);
    qp::TGradientForm owner;
    qp::TPosition position(&owner);
    QCOMPARE(position.IniFileName(), QString("GradientForm.ini"));  // unnamed: the class name, without its T
    QVERIFY(position.SetIniFileName("old.ini"));
    QCOMPARE(position.SetIniFileName(name), !stored.isEmpty());
    QCOMPARE(position.IniFileName(), stored.isEmpty() ? QString("old.ini") : stored);
  }

  void firstStartThenSavedPlaceComesBack_data() {
    QTest::addColumn<int>("directory");
    QTest::newRow("program folder") << int(qp::ProgramDir);
    QTest::newRow("settings folder") << int(qp::WindowsDir);
  }
  void firstStartThenSavedPlaceComesBack() {
    QFETCH(int, directory);
    const bool in_program_folder = directory == qp::ProgramDir;
    const QString path =
        in_program_folder ? FilePath("mainform.ini") : config_.path() + "/quillprint-test/mainform.ini";
    DesignForm form;
    QCOMPARE(qp::TPosition(&form).IniFileName(), QString("MainForm.ini"));  // named after the form
    auto position = Store(&form, qp::TIniFileDirectory(directory));
    QCOMPARE(position->IniPath(), path);
    position->Loaded();
    QCOMPARE(form.size(), QSize(536, 432));
    QVERIFY(Centred(form));
    QVERIFY(!QFile::exists(path));  // reading creates nothing

    form.setGeometry(40, 30, 600, 400);
    QCOMPARE(position->Save(), 0);
    QCOMPARE(ReadFile(path), Values("Width=600\nHeight=400\nLeft=40\nTop=30\n"));
    QCOMPARE(QFile::exists(FilePath("mainform.ini")), in_program_folder);

    // The next start comes back where the last one ended.
    DesignForm next;
    Store(&next, qp::TIniFileDirectory(directory))->Loaded();
    QCOMPARE(next.geometry(), QRect(40, 30, 600, 400));
  }

  void restore_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("pos");  // (-1, -1): centred
    const QPoint centred(-1, -1), stored(40, 30);
    const QSize design(536, 432), wide(600, 400);
    QTest::newRow("size only: centred at that size") << Values("Width=600\nHeight=400\n") << wide << centred;
    QTest::newRow("position only") << Values("Left=40\nTop=30\n") << design << stored;
    QTest::newRow("partly off screen kept") << Values("Left=-100\nTop=10\n") << design << QPoint(-100, 10);
    // A screen that has gone away: the window would open out of reach.
    QTest::newRow("far right of every screen") << Values("Left=5000\nTop=100\n") << design << centred;
    QTest::newRow("minimised on another system") << Values("Left=-32000\nTop=-32000\n") << design << centred;
    // A size of nothing would leave no window to see or grab.
    QTest::newRow("zero size") << Values("Width=0\nHeight=-5\nLeft=40\nTop=30\n") << design << stored;
    QTest::newRow("damaged values") << Values("Width=wide\nHeight=\nLeft=4O\nTop=1e3\n") << design << centred;
  }
  void restore() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QFETCH(QPoint, pos);
    WriteFile(file);
    DesignForm form;
    Store(&form)->Loaded();
    QCOMPARE(form.size(), size);
    QVERIFY2(pos == QPoint(-1, -1) ? Centred(form) : form.pos() == pos,
             qPrintable(QString("at %1, %2").arg(form.x()).arg(form.y())));
    QCOMPARE(ReadFile(FilePath("mainform.ini")), file);  // restoring writes nothing
  }

  // Into a missing folder Save() fails with the path-not-found code.
  void saveKeepsOtherEntriesAndLineEnds() {
    WriteFile("; placement\r\n[Values]\r\nTop=1\r\nState=2\r\n");
    DesignForm form;
    form.setGeometry(-20, 30, 600, 400);
    QCOMPARE(Store(&form)->Save(), 0);
    QCOMPARE(ReadFile(FilePath("mainform.ini")),
             QByteArray("; placement\r\n[Values]\r\nTop=30\r\nState=2\r\nWidth=600\r\nHeight=400\r\nLeft=-20\r\n"));
    plat::SetProgramFolder(FilePath("gone").toStdString());
    QCOMPARE(Store(&form)->Save(), int(plat::kPathNotFound));
  }
};

QTEST_MAIN(TestPosition)
#include "tst_position.moc"
