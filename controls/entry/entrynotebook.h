// TEntryNotebook: the tabbed notebook that holds the pages of entry fields.
//
// Each page has a caption with an accelerator ("&Payor Information": Alt+P
// shows it) and a hint shown over its tab and over the page's bare
// background. Tabs can be given one fixed size, and the active tab's caption
// its own font. Ctrl+Tab and Ctrl+Shift+Tab (also Ctrl+PgDn and Ctrl+PgUp)
// cycle through the pages from anywhere inside the notebook; when the focus
// was on the page that goes, it moves to the field last used on the page that
// comes (or its first field). A page chosen by its accelerator or a click on
// its tab, from the tabs or from a field of another page, puts the focus in
// the page's first field in tab order.
#ifndef QUILLPRINT_CONTROLS_ENTRY_ENTRYNOTEBOOK_H_
#define QUILLPRINT_CONTROLS_ENTRY_ENTRYNOTEBOOK_H_

#include <memory>

#include <QFont>
#include <QSize>
#include <QString>
#include <QTabWidget>

#include "controls/entry/keypress.h"

class TEntryNotebook : public QTabWidget {
  Q_OBJECT

 public:
  explicit TEntryNotebook(QWidget* parent = nullptr);
  ~TEntryNotebook() override;

  // Appends `page` (the notebook takes ownership) and returns its index.
  int AddPage(QWidget* page, const QString& caption, const QString& hint);

  // The page's hint; empty for an index out of range.
  QString PageHint(int index) const;
  // Ignored for an index out of range.
  void SetPageHint(int index, const QString& hint);

  // Every tab gets this size. An empty size (the default) leaves the size to
  // the style and the caption.
  void SetTabSize(const QSize& size);
  QSize TabSize() const;

  // The font of the active tab's caption; the other tabs use the notebook's
  // font. Until set, the notebook's font in bold.
  void SetActiveTabFont(const QFont& font);
  QFont ActiveTabFont() const;
  // The font tab `index` is drawn in now.
  QFont TabFont(int index) const;

  // Sees the key presses that reach the notebook: those its tabs leave while
  // they have the focus (Enter among them; not the arrows that move between
  // tabs) and those the fields of a page leave unhandled (a plain edit
  // leaves Enter to its parents).
  void SetKeyPressHandler(qp::KeyPressHandler handler);

 private:
  // Gives the focus to the first field of page `index` in tab order.
  void FocusFirstField(int index);
  // Shows the next enabled page (step 1) or the previous one (-1), round.
  void StepPage(int step);

  struct Private;
  std::unique_ptr<Private> d_;
};

#endif  // QUILLPRINT_CONTROLS_ENTRY_ENTRYNOTEBOOK_H_
