// The in-program help viewer over QTextBrowser.
#include "platform/qt/help.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include "platform/qt/messages.h"
#include "platform/qt/urlopen.h"

namespace qp {

namespace {

constexpr int kBlockRole = Qt::UserRole;

QPointer<HelpWindow>& Viewer() {
  static QPointer<HelpWindow> viewer;
  return viewer;
}

bool Readable(const QString& path) {
  QFileInfo info(path);
  return info.exists() && info.isFile() && info.isReadable();
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(new QTextBrowser),
      contents_(new QTreeWidget) {
  setWindowTitle(ApplicationTitle() + QStringLiteral(" Help"));
  // An open help window must not keep the program running once the main
  // window has closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  contents_->setHeaderHidden(true);
  contents_->setColumnCount(1);
  // Links inside the help file stay in the window; web addresses go to the
  // browser through the program's opener.
  browser_->setOpenLinks(false);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] { RebuildContents(); });
  connect(contents_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { GoToHeading(item); });
  connect(contents_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { GoToHeading(item); });

  auto* splitter = new QSplitter(Qt::Horizontal);
  splitter->addWidget(contents_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 3);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);
  resize(720, 520);
}

bool HelpWindow::Load(const QString& path) {
  if (!Readable(path)) return false;
  const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  if (browser_->source() == url) {
    browser_->reload();  // the file may have changed since it was shown
  } else {
    browser_->setSource(url, QTextDocument::HtmlResource);
  }
  RebuildContents();
  browser_->verticalScrollBar()->setValue(0);
  return true;
}

void HelpWindow::RebuildContents() {
  contents_->clear();
  std::vector<std::pair<int, QTreeWidgetItem*>> open;  // heading level, item
  for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    const QString text = block.text().simplified();
    if (level <= 0 || text.isEmpty()) continue;
    while (!open.empty() && open.back().first >= level) open.pop_back();
    auto* item = open.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(open.back().second);
    item->setText(0, text);
    item->setData(0, kBlockRole, block.position());
    open.emplace_back(level, item);
  }
  contents_->expandAll();
}

void HelpWindow::GoToHeading(QTreeWidgetItem* item) {
  if (!item) return;
  QTextBlock block = browser_->document()->findBlock(item->data(0, kBlockRole).toInt());
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  browser_->setTextCursor(cursor);
  const QRectF rect = browser_->document()->documentLayout()->blockBoundingRect(block);
  // The document margin above the first block is no part of any heading.
  const qreal top = rect.top() - browser_->document()->documentMargin();
  browser_->verticalScrollBar()->setValue(static_cast<int>(top));
}

void HelpWindow::FollowLink(const QUrl& url) {
  const QUrl target = browser_->source().resolved(url);
  if (!target.isLocalFile()) {
    OpenUrl(url);
    return;
  }
  if (target.path() == browser_->source().path()) {
    if (url.hasFragment()) browser_->scrollToAnchor(url.fragment());
    return;
  }
  // A page the help file points to but that is missing leaves the window
  // on the page it shows.
  if (Readable(target.toLocalFile())) browser_->setSource(target, QTextDocument::HtmlResource);
}

bool ShowHelpContents(const QString& help_file, QWidget* parent) {
  if (!Readable(help_file)) {
    const QString why = QFileInfo::exists(help_file) ? QStringLiteral("cannot be read")
                                                     : QStringLiteral("cannot be found");
    ShowMessage(parent, QStringLiteral("The help file \"%1\" %2.")
                            .arg(QDir::toNativeSeparators(help_file), why),
                MsgType::kError);
    return false;
  }
  QPointer<HelpWindow>& viewer = Viewer();
  if (!viewer) viewer = new HelpWindow(parent);
  if (!viewer->Load(help_file)) return false;
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return true;
}

HelpWindow* HelpViewer() { return Viewer().data(); }

}  // namespace qp
