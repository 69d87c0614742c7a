// TPosition: which file names it takes, where its file lives, what a form
// looks like after Loaded() for the files users end up with (none, partial,
// damaged, from a screen that is gone), and what Save() leaves on disk.
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

#include "platform/appdir.h"
#include "platform/file.h"
#include "platform/ini.h"
#include "winsupport/gradientform.h"
#include "winsupport/position.h"

Q_DECLARE_METATYPE(qp::TIniFileDirectory)

class TestPosition : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void iniFileName_data();
  void iniFileName();
  void defaultNameFromOwner_data();
  void defaultNameFromOwner();
  void iniPath_data();
  void iniPath();
  void firstStartOpensCentredAndSaveWritesAllKeys();
  void restore_data();
  void restore();
  void save_data();
  void save();
  void saveIntoMissingFolderFails();
  void windowsDirFileIsCreatedAndReadBack();

 private:
  QString FilePath(const QString& name) const { return dir_->filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes);
  QByteArray ReadFile(const QString& name) const;

  QTemporaryDir config_;
  std::unique_ptr<QTemporaryDir> dir_;
};

namespace {

// A main window of design size 536 x 432 at 133, 101.
class DesignForm : public qp::TGradientForm {
 public:
  DesignForm() {
    setObjectName("MainForm");
    setGeometry(133, 101, 536, 432);
  }
};

QPoint CentreOfScreen() { return QGuiApplication::primaryScreen()->geometry().center(); }

// Whether the form stands in the middle of the primary screen (to the pixel
// that integer halving leaves).
bool Centred(const QWidget& w) {
  const QPoint d = w.geometry().center() - CentreOfScreen();
  return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

}  // namespace

void TestPosition::initTestCase() {
  QVERIFY(config_.isValid());
  // Keep the user's configuration folder out of reach.
  qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
  QCoreApplication::setApplicationName("quillprint-test");
}

void TestPosition::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  plat::SetProgramFolder(dir_->path().toStdString());
}

void TestPosition::cleanup() {
  plat::SetProgramFolder("");
  dir_.reset();
}

void TestPosition::WriteFile(const QString& name, const QByteArray& bytes) {
  QFile f(FilePath(name));
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray TestPosition::ReadFile(const QString& name) const {
  QFile f(FilePath(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// ---- the file name ----------------------------------------------------------

void TestPosition::iniFileName_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("stored");  // "" when refused: the old name stays
  QTest::newRow("plain") << "mainform.ini" << "mainform.ini";
  QTest::newRow("stored lower case") << "MainForm.ini" << "mainform.ini";
  QTest::newRow("twelve characters") << "abcdefgh.ini" << "abcdefgh.ini";
  QTest::newRow("thirteen characters") << "abcdefghi.ini" << "";
  QTest::newRow("upper-case extension") << "setup.INI" << "";
  QTest::newRow("other extension") << "setup.cfg" << "";
  QTest::newRow("no extension") << "setup" << "";
  QTest::newRow("extension with blank") << "setup.ini " << "";
  QTest::newRow("inner dot") << "a.b.ini" << "a.b.ini";
  QTest::newRow("empty") << "" << "";
  QTest::newRow("parent folder") << "../x.ini" << "";
  QTest::newRow("sub folder") << "sub/x.ini" << "";
  QTest::newRow("backslash folder") << "..\\x.ini" << "";
  QTest::newRow("drive") << "c:x.ini" << "";
}

void TestPosition::iniFileName() {
  QFETCH(QString, name);
  QFETCH(QString, stored);
  QWidget owner;
  qp::TPosition position(&owner);
  QVERIFY(position.SetIniFileName("old.ini"));
  QCOMPARE(position.SetIniFileName(name), !stored.isEmpty());
  QCOMPARE(position.IniFileName(), stored.isEmpty() ? QString("old.ini") : stored);
}

void TestPosition::defaultNameFromOwner_data() {
  QTest::addColumn<QString>("object_name");
  QTest::addColumn<QString>("expected");
  QTest::newRow("named owner") << "MainForm" << "MainForm.ini";
  QTest::newRow("unnamed form") << "" << "GradientForm.ini";
}

void TestPosition::defaultNameFromOwner() {
  QFETCH(QString, object_name);
  QFETCH(QString, expected);
  qp::TGradientForm owner;
  owner.setObjectName(object_name);
  qp::TPosition position(&owner);
  QCOMPARE(position.IniFileName(), expected);
  QCOMPARE(position.IniFileDirectory(), qp::ProgramDir);
  QVERIFY(position.SaveDimension());
  QVERIFY(position.SavePosition());
}

void TestPosition::iniPath_data() {
  QTest::addColumn<qp::TIniFileDirectory>("directory");
  QTest::addColumn<QString>("folder");  // "program" or "config"
  QTest::newRow("program folder") << qp::ProgramDir << "program";
  QTest::newRow("settings folder") << qp::WindowsDir << "config";
}

void TestPosition::iniPath() {
  QFETCH(qp::TIniFileDirectory, directory);
  QFETCH(QString, folder);
  QWidget owner;
  qp::TPosition position(&owner);
  position.SetIniFileName("mainform.ini");
  position.SetIniFileDirectory(directory);
  const QString expected = folder == "program"
                               ? dir_->path() + "/mainform.ini"
                               : config_.path() + "/quillprint-test/mainform.ini";
  QCOMPARE(position.IniPath(), expected);
}

// ---- restoring and saving ---------------------------------------------------

void TestPosition::firstStartOpensCentredAndSaveWritesAllKeys() {
  DesignForm form;
  qp::TPosition position(&form);
  QVERIFY(position.SetIniFileName("mainform.ini"));
  position.Loaded();
  QCOMPARE(form.size(), QSize(536, 432));
  QVERIFY(Centred(form));
  QCOMPARE(ReadFile("mainform.ini"), QByteArray("<missing>"));  // reading creates nothing

  form.setGeometry(40, 30, 600, 400);
  QCOMPARE(position.Save(), 0);
  QCOMPARE(ReadFile("mainform.ini"), QByteArray("[Values]\nWidth=600\nHeight=400\nLeft=40\nTop=30\n"));

  // The next start comes back where the last one ended.
  DesignForm next;
  qp::TPosition again(&next);
  again.SetIniFileName("mainform.ini");
  again.Loaded();
  QCOMPARE(next.geometry(), QRect(40, 30, 600, 400));
}

void TestPosition::restore_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<bool>("dimension");
  QTest::addColumn<bool>("position");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<QPoint>("pos");  // (-1, -1): centred

  const QPoint centred(-1, -1);
  const QSize design(536, 432);
  const QByteArray all = "[Values]\nWidth=600\nHeight=400\nLeft=40\nTop=30\n";
  QTest::newRow("all four") << all << true << true << QSize(600, 400) << QPoint(40, 30);
  QTest::newRow("names in any case") << QByteArray("[VALUES]\nwidth=600\nHEIGHT=400\nleft=40\ntop=30\n")
                                     << true << true << QSize(600, 400) << QPoint(40, 30);
  QTest::newRow("size only: centred at that size")
      << QByteArray("[Values]\nWidth=600\nHeight=400\n") << true << true << QSize(600, 400) << centred;
  QTest::newRow("position only") << QByteArray("[Values]\nLeft=40\nTop=30\n") << true << true << design
                                 << QPoint(40, 30);
  QTest::newRow("dimension not restored") << all << false << true << design << QPoint(40, 30);
  QTest::newRow("position not restored") << all << true << false << QSize(600, 400) << QPoint(133, 101);
  QTest::newRow("partly off screen kept") << QByteArray("[Values]\nLeft=-100\nTop=10\n") << true << true
                                          << design << QPoint(-100, 10);
  // A screen that has gone away: the window would open out of reach.
  QTest::newRow("far right of every screen") << QByteArray("[Values]\nLeft=5000\nTop=100\n") << true
                                             << true << design << centred;
  QTest::newRow("far above every screen") << QByteArray("[Values]\nLeft=10\nTop=-3000\n") << true
                                          << true << design << centred;
  QTest::newRow("minimised on another system") << QByteArray("[Values]\nLeft=-32000\nTop=-32000\n")
                                               << true << true << design << centred;
  // A size of nothing would leave no window to see or grab.
  QTest::newRow("zero size") << QByteArray("[Values]\nWidth=0\nHeight=-5\nLeft=40\nTop=30\n") << true
                             << true << design << QPoint(40, 30);
  QTest::newRow("damaged values") << QByteArray("[Values]\nWidth=wide\nHeight=\nLeft=4O\nTop=1e3\n")
                                  << true << true << design << centred;
  QTest::newRow("binary junk") << QByteArray("\x01\x02[Val\xffues\n=\n\n") << true << true << design
                               << centred;
  QTest::newRow("other section only") << QByteArray("[Other]\nWidth=600\n") << true << true << design
                                      << centred;
}

void TestPosition::restore() {
  QFETCH(QByteArray, file);
  QFETCH(bool, dimension);
  QFETCH(bool, position);
  QFETCH(QSize, size);
  QFETCH(QPoint, pos);
  WriteFile("mainform.ini", file);
  DesignForm form;
  qp::TPosition store(&form);
  store.SetIniFileName("mainform.ini");
  store.SetSaveDimension(dimension);
  store.SetSavePosition(position);
  store.Loaded();
  QCOMPARE(form.size(), size);
  if (pos == QPoint(-1, -1)) {
    QVERIFY2(Centred(form), qPrintable(QString("at %1, %2").arg(form.x()).arg(form.y())));
  } else {
    QCOMPARE(form.pos(), pos);
  }
  QCOMPARE(ReadFile("mainform.ini"), file);  // restoring writes nothing
}

void TestPosition::save_data() {
  QTest::addColumn<bool>("dimension");
  QTest::addColumn<bool>("position");
  QTest::addColumn<QByteArray>("before");
  QTest::addColumn<QByteArray>("after");
  QTest::newRow("both") << true << true << QByteArray() << QByteArray("[Values]\nWidth=600\nHeight=400\nLeft=-20\nTop=30\n");
  QTest::newRow("size only") << true << false << QByteArray() << QByteArray("[Values]\nWidth=600\nHeight=400\n");
  QTest::newRow("position only") << false << true << QByteArray() << QByteArray("[Values]\nLeft=-20\nTop=30\n");
  QTest::newRow("neither") << false << false << QByteArray() << QByteArray("<missing>");
  QTest::newRow("other entries kept")
      << true << true << QByteArray("; placement\r\n[Values]\r\nTop=1\r\nState=2\r\n")
      << QByteArray("; placement\r\n[Values]\r\nTop=30\r\nState=2\r\nWidth=600\r\nHeight=400\r\nLeft=-20\r\n");
}

void TestPosition::save() {
  QFETCH(bool, dimension);
  QFETCH(bool, position);
  QFETCH(QByteArray, before);
  QFETCH(QByteArray, after);
  if (!before.isEmpty()) WriteFile("mainform.ini", before);
  DesignForm form;
  qp::TPosition store(&form);
  store.SetIniFileName("mainform.ini");
  store.SetSaveDimension(dimension);
  store.SetSavePosition(position);
  form.setGeometry(-20, 30, 600, 400);
  QCOMPARE(store.Save(), 0);
  QCOMPARE(ReadFile("mainform.ini"), after);
}

void TestPosition::saveIntoMissingFolderFails() {
  plat::SetProgramFolder(FilePath("gone").toStdString());
  DesignForm form;
  qp::TPosition store(&form);
  store.SetIniFileName("mainform.ini");
  QCOMPARE(store.Save(), int(plat::kPathNotFound));
}

void TestPosition::windowsDirFileIsCreatedAndReadBack() {
  DesignForm form;
  qp::TPosition store(&form);
  store.SetIniFileName("mainform.ini");
  store.SetIniFileDirectory(qp::WindowsDir);
  form.setGeometry(50, 60, 500, 300);
  QCOMPARE(store.Save(), 0);
  QVERIFY(QFile::exists(config_.path() + "/quillprint-test/mainform.ini"));
  QCOMPARE(ReadFile("mainform.ini"), QByteArray("<missing>"));  // not in the program folder

  DesignForm next;
  qp::TPosition again(&next);
  again.SetIniFileName("mainform.ini");
  again.SetIniFileDirectory(qp::WindowsDir);
  again.Loaded();
  QCOMPARE(next.geometry(), QRect(50, 60, 500, 300));
}

QTEST_MAIN(TestPosition)
#include "tst_position.moc"
