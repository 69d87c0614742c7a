// The help viewer: the program's help file, an HTML page, in a window of the
// program with the page's headings listed beside it as its contents. One
// window serves the whole program; asking for help again brings it forward.
#ifndef QUILLPRINT_PLATFORM_QT_HELP_H_
#define QUILLPRINT_PLATFORM_QT_HELP_H_

#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace qp {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the HTML file at `path` from its top. False (and the window as it
  // was) when the file is missing, not a file or cannot be read.
  bool Load(const QString& path);

  QTextBrowser* browser() const { return browser_; }
  // One item per heading of the page, nested by heading level.
  QTreeWidget* contents() const { return contents_; }
  // Scrolls the page to the heading of a contents item.
  void GoToHeading(QTreeWidgetItem* item);

 private:
  void RebuildContents();
  void FollowLink(const QUrl& url);

  QTextBrowser* browser_;
  QTreeWidget* contents_;
};

// Opens the help file at its contents and index. A missing or unreadable file
// is reported in an error box (through the message service) that names it,
// and gives false.
bool ShowHelpContents(const QString& help_file, QWidget* parent = nullptr);

// The program's help window, or null while none exists.
HelpWindow* HelpViewer();

}  // namespace qp

#endif  // QUILLPRINT_PLATFORM_QT_HELP_H_
