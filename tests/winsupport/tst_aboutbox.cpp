// TAboutBox: "&Browse Website" with and without a browser, and the OK button.
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "platform/qt/scripted_messages.h"
#include "platform/qt/urlopen.h"
#include "winsupport/aboutbox.h"

class TestAboutBox : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { qp::SetUrlOpener({}); }

  // Browsing leaves the fixed, centred box open, and says so when no browser
  // starts. OK then closes it, by a click or, as the default button, by Enter.
  void browseWebsiteThenOk() {
    for (bool browser_starts : {true, false}) {
      QList<QUrl> opened;
      qp::SetUrlOpener([&](const QUrl& url) { return opened << url, browser_starts; });
      qp::ScopedScriptedMessages msgs;
      qp::TAboutBox box;
      QCOMPARE(box.minimumSize(), box.maximumSize());
      box.open();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      const QPoint off = box.frameGeometry().center() - QApplication::primaryScreen()->geometry().center();
      QVERIFY(off.manhattanLength() <= 2);
      QTest::mouseClick(box.findChild<QPushButton*>("BrowseButton"), Qt::LeftButton);
      QCOMPARE(opened, QList<QUrl>{QUrl(QString::fromLatin1(qp::kMakerWebsite))});
      QVERIFY(box.isVisible());
      QCOMPARE(msgs->messages().size(), size_t{browser_starts ? 0u : 1u});
      if (!browser_starts) {
        const qp::RecordedMessage& m = msgs->messages()[0];
        QCOMPARE(m.text, QString("Web Browser Program Not Found!"));
        QCOMPARE(m.type, qp::MsgType::kInformation);
        QCOMPARE(m.buttons, qp::MsgButtons::kOk);
        QCOMPARE(m.parent.data(), &box);
      }
      if (browser_starts) QTest::keyClick(&box, Qt::Key_Return);
      if (!browser_starts) QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
      QTRY_VERIFY(!box.isVisible());
      QCOMPARE(box.result(), int(QDialog::Accepted));
    }
  }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
