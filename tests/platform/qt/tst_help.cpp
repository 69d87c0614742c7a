// The help viewer: the help file's headings become its contents, one window
// is reused, a missing file is reported by name, links inside the file stay
// in the window and web addresses go to the installed opener.
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

#include "platform/qt/help.h"
#include "platform/qt/scripted_messages.h"
#include "platform/qt/urlopen.h"

namespace {

// The contents tree as text: "A(B,C),D".
QString Outline(QTreeWidgetItem* parent) {
  QStringList parts;
  for (int i = 0; i < parent->childCount(); ++i) {
    QTreeWidgetItem* item = parent->child(i);
    parts << item->text(0) + (item->childCount() > 0 ? "(" + Outline(item) + ")" : QString());
  }
  return parts.join(',');
}
QString Contents() { return Outline(qp::HelpViewer()->contents()->invisibleRootItem()); }

}  // namespace

class TestHelp : public QObject {
  Q_OBJECT

 private slots:
  void init() { dir_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() { qp::SetUrlOpener({}), dir_.reset(); }
  void unusableFileIsReported() {
    for (bool folder : {false, true}) {
      const QString path = dir_->filePath(folder ? "folder.hlp" : "quill.hlp");
      if (folder) QVERIFY(QDir().mkpath(path));
      qp::ScopedScriptedMessages msgs;
      QVERIFY(!qp::ShowHelpContents(path));
      QCOMPARE(msgs->messages().size(), size_t{1});
      const qp::RecordedMessage& m = msgs->messages()[0];
      QCOMPARE(m.type, qp::MsgType::kError);
      QVERIFY2(m.text.contains(path) && m.text.contains(folder ? "cannot be read" : "cannot be found"),
               qPrintable(m.text));
      QVERIFY(!qp::HelpViewer() || !qp::HelpViewer()->isVisible());
    }
  }
  void oneWindowIsReloadedAndScrollsToHeadings() {
    qp::ScopedScriptedMessages msgs;
    // Levels nest under the last higher heading; a deeper one first and a blank one stay out of it.
    const QString path = Write("quill.hlp",
                               "<h3>Deep</h3><h1>Quillprint</h1><p>x</p><h2>Printing</h2><h2>Saving</h2>"
                               "<h1> </h1><h1>Data  base</h1><h3>Pack</h3>");
    QVERIFY(qp::ShowHelpContents(path));
    qp::HelpWindow* viewer = qp::HelpViewer();
    QCOMPARE(Contents(), QString("Deep,Quillprint(Printing,Saving),Data base(Pack)"));
    viewer->close();
    Write("quill.hlp", "<h1>Top</h1>" + QString("<p>line</p>").repeated(200) + "<h1>Bottom</h1>");
    QVERIFY(qp::ShowHelpContents(path));
    QCOMPARE(qp::HelpViewer(), viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(Contents(), QString("Top,Bottom"));
    QScrollBar* bar = viewer->browser()->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    viewer->GoToHeading(viewer->contents()->topLevelItem(1));
    QVERIFY(bar->value() > 0);
    QCOMPARE(viewer->browser()->textCursor().block().text(), QString("Bottom"));
    viewer->GoToHeading(viewer->contents()->topLevelItem(0));
    QCOMPARE(bar->value(), 0);
    QVERIFY(msgs->messages().empty());
  }
  void linksStayInsideWebAddressesGoOut() {
    QList<QUrl> opened;
    qp::SetUrlOpener([&opened](const QUrl& url) { return opened << url, true; });
    Write("other.html", "<h1>Other page</h1>");
    QVERIFY(qp::ShowHelpContents(Write("quill.hlp", "<h1>Main</h1>")));
    QTextBrowser* browser = qp::HelpViewer()->browser();
    emit browser->anchorClicked(QUrl("https://www.quillprint.net/"));
    QCOMPARE(opened, QList<QUrl>{QUrl("https://www.quillprint.net/")});
    emit browser->anchorClicked(QUrl("other.html"));
    QCOMPARE(browser->source(), QUrl::fromLocalFile(dir_->filePath("other.html")));
    QCOMPARE(Contents(), QString("Other page"));
    emit browser->anchorClicked(QUrl("missing.html"));  // stays where it is
    QCOMPARE(browser->source(), QUrl::fromLocalFile(dir_->filePath("other.html")));
    emit browser->anchorClicked(QUrl("quill.hlp#top"));
    QCOMPARE(browser->source().adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(dir_->filePath("quill.hlp")));
    QCOMPARE(Contents(), QString("Main"));
    QCOMPARE(opened.size(), 1);
  }

 private:
  QString Write(const QString& name, const QString& html) {
    QFile f(dir_->filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(html.toUtf8()) >= 0 ? f.fileName() : QString();
  }
  std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
