// TAboutBox: the OK button, the raised maker's name, and what
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
  void cleanup() { qp::SetUrlOpener({}); }

  // OK closes with a click or by Enter, as the default button; the box is
  // a fixed one, centred on the screen.
  void okClosesWithResultOk() {
    for (bool by_key : {false, true}) {
      qp::TAboutBox box;
      QCOMPARE(box.windowTitle(), QString("About Quillprint"));
      QCOMPARE(box.minimumSize(), box.maximumSize());
      box.open();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      const QPoint off = box.frameGeometry().center() - QApplication::primaryScreen()->geometry().center();
      QVERIFY(off.manhattanLength() <= 2);
      if (by_key) QTest::keyClick(&box, Qt::Key_Return);
      if (!by_key) QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
      QTRY_VERIFY(!box.isVisible());
      QCOMPARE(box.result(), int(QDialog::Accepted));
    }
  }

  // The box stays open whether a browser starts or not; without one it says so.
  void browseWebsite() {
    for (bool browser_starts : {true, false}) {
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
      QVERIFY(box.isVisible());
      QCOMPARE(msgs->messages().size(), size_t{browser_starts ? 0u : 1u});
      if (browser_starts) continue;
      const qp::RecordedMessage& m = msgs->messages()[0];
      QCOMPARE(m.text, QString("Web Browser Program Not Found!"));
      QCOMPARE(m.type, qp::MsgType::kInformation);
      QCOMPARE(m.buttons, qp::MsgButtons::kOk);
      QCOMPARE(m.parent.data(), &box);
    }
  }

  void makerNameIsRaised() {
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
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
