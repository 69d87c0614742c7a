// TAboutBox: its layout, the OK button, the raised maker's name, and what
// "&Browse Website" does when a browser starts and when none does.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "platform/qt/scripted_messages.h"
#include "platform/qt/urlopen.h"
#include "winsupport/aboutbox.h"
#include "winsupport/raisedlabel.h"

class TestAboutBox : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();
  void layout_data();
  void layout();
  void okClosesWithResultOk_data();
  void okClosesWithResultOk();
  void browseWebsite_data();
  void browseWebsite();
  void makerNameIsRaised();
};

void TestAboutBox::cleanup() { qp::SetUrlOpener({}); }

void TestAboutBox::layout_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QRect>("geometry");  // an empty size: only the position is fixed
  QTest::addColumn<QString>("text");
  QTest::newRow("panel") << "Panel1" << QRect(8, 8, 281, 161) << "";
  QTest::newRow("icon") << "ProgramIcon" << QRect(8, 8, 72, 61) << "";
  QTest::newRow("product") << "ProductName" << QRect(128, 16, 0, 0) << "Quillprint";
  QTest::newRow("version") << "Version" << QRect(128, 40, 0, 0) << "Version 1.30";
  QTest::newRow("small label") << "Comments" << QRect(98, 80, 0, 0) << "";
  QTest::newRow("maker") << "MakerLabel" << QRect(48, 88, 0, 0) << "";
  QTest::newRow("browse") << "BrowseButton" << QRect(82, 136, 134, 25) << "&Browse Website";
  QTest::newRow("ok") << "OKButton" << QRect(111, 180, 0, 0) << "OK";
}

void TestAboutBox::layout() {
  QFETCH(QString, name);
  QFETCH(QRect, geometry);
  QFETCH(QString, text);
  qp::TAboutBox box;
  auto* w = box.findChild<QWidget*>(name);
  QVERIFY(w);
  if (geometry.isEmpty()) {
    QCOMPARE(w->pos(), geometry.topLeft());
  } else {
    QCOMPARE(w->geometry(), geometry);
  }
  // Everything but the OK button sits on the panel, and nothing spills over.
  QCOMPARE(w->parentWidget()->objectName(), name == "OKButton" || name == "Panel1" ? QString() : "Panel1");
  QVERIFY(w->parentWidget()->rect().contains(w->geometry()));
  if (text.isEmpty()) return;
  if (auto* label = qobject_cast<QLabel*>(w)) QCOMPARE(label->text(), text);
  if (auto* button = qobject_cast<QPushButton*>(w)) QCOMPARE(button->text(), text);
}

void TestAboutBox::okClosesWithResultOk_data() {
  QTest::addColumn<bool>("by_key");
  QTest::newRow("click") << false;
  QTest::newRow("enter key") << true;  // OK is the default button
}

void TestAboutBox::okClosesWithResultOk() {
  QFETCH(bool, by_key);
  qp::TAboutBox box;
  QCOMPARE(box.windowTitle(), QString("About Quillprint"));
  QCOMPARE(box.size(), QSize(298, 213));
  QCOMPARE(box.minimumSize(), box.maximumSize());
  box.open();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  const QPoint off = box.frameGeometry().center() - QApplication::primaryScreen()->geometry().center();
  QVERIFY(off.manhattanLength() <= 2);  // centred on the screen
  if (by_key) {
    QTest::keyClick(&box, Qt::Key_Return);
  } else {
    QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
  }
  QTRY_VERIFY(!box.isVisible());
  QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestAboutBox::browseWebsite_data() {
  QTest::addColumn<bool>("browser_starts");
  QTest::newRow("browser starts") << true;
  QTest::newRow("no browser") << false;
}

void TestAboutBox::browseWebsite() {
  QFETCH(bool, browser_starts);
  QList<QUrl> opened;
  qp::SetUrlOpener([&](const QUrl& url) {
    opened << url;
    return browser_starts;
  });
  qp::ScopedScriptedMessages msgs;
  qp::TAboutBox box;
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QTest::mouseClick(box.findChild<QPushButton*>("BrowseButton"), Qt::LeftButton);

  QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromLatin1(qp::kMakerWebsite))});
  QVERIFY(box.isVisible());  // the box stays open either way
  if (browser_starts) {
    QVERIFY(msgs->messages().empty());
    return;
  }
  QCOMPARE(msgs->messages().size(), size_t{1});
  const qp::RecordedMessage& m = msgs->messages()[0];
  QCOMPARE(m.text, QString("Web Browser Program Not Found!"));
  QCOMPARE(m.type, qp::MsgType::kInformation);
  QCOMPARE(m.buttons, qp::MsgButtons::kOk);
  QCOMPARE(m.caption, QString("Quillprint"));
  QCOMPARE(m.parent.data(), &box);
}

void TestAboutBox::makerNameIsRaised() {
  qp::TAboutBox box;
  auto* maker = box.findChild<qp::RaisedLabel*>("MakerLabel");
  QVERIFY(maker);
  QCOMPARE(maker->text(), QString::fromLatin1(qp::kMakerName));
  QCOMPARE(maker->font().family(), QString("Times New Roman"));
  QCOMPARE(maker->font().pointSize(), 20);
  // The letters show all three colours pure, and nothing but them: teal
  // face, aqua highlight, navy shadow.
  const QImage image = maker->grab().toImage();
  const QRgb background = image.pixel(0, 0) & 0xFFFFFF;
  QMap<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb px = image.pixel(x, y) & 0xFFFFFF;
      if (px != background) ++counts[px];
    }
  }
  QCOMPARE(QList<QRgb>(counts.keys()), (QList<QRgb>{0x000080, 0x008080, 0x00FFFF}));
  // The face covers most of each letter; highlight and shadow are rims.
  QVERIFY(counts[0x008080] > counts[0x00FFFF]);
  QVERIFY(counts[0x008080] > counts[0x000080]);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
