// TEntryNotebook: a QTabWidget whose tab bar has a fixed tab size and draws
// the active caption in its own font.
//
// The caption font is switched inside a proxy style rather than by painting
// the tabs ourselves, so the tabs keep the look of whatever style is in use.
#include "controls/entrynotebook.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOption>
#include <QTabBar>

struct TEntryNotebook::Private {
  QSize tab_size;
  QFont active_font;
  bool active_font_set = false;
};

namespace {

class EntryTabBar : public QTabBar {
 public:
  EntryTabBar(QWidget* parent, const QSize* size) : QTabBar(parent), size_(size) {}

 protected:
  QSize tabSizeHint(int index) const override {
    return size_->isEmpty() ? QTabBar::tabSizeHint(index) : *size_;
  }
  QSize minimumTabSizeHint(int index) const override {
    return size_->isEmpty() ? QTabBar::minimumTabSizeHint(index) : *size_;
  }

 private:
  const QSize* size_;  // the notebook's, which outlives its tab bar
};

// Draws the selected tab's caption in the notebook's active-tab font. The
// style draws a caption with the painter's font, so setting that font around
// the caption is all it takes.
class ActiveCaptionStyle : public QProxyStyle {
 public:
  explicit ActiveCaptionStyle(const TEntryNotebook* notebook)
      : QProxyStyle(QApplication::style()->name()), notebook_(notebook) {}

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_TabBarTabLabel && option != nullptr && (option->state & State_Selected)) {
      painter->save();
      painter->setFont(notebook_->ActiveTabFont());
      QProxyStyle::drawControl(element, option, painter, widget);
      painter->restore();
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

 private:
  const TEntryNotebook* notebook_;
};

}  // namespace

TEntryNotebook::TEntryNotebook(QWidget* parent) : QTabWidget(parent), d_(new Private) {
  auto* bar = new EntryTabBar(this, &d_->tab_size);
  auto* style = new ActiveCaptionStyle(this);
  style->setParent(bar);
  bar->setStyle(style);
  bar->setExpanding(false);
  bar->setElideMode(Qt::ElideRight);
  setTabBar(bar);

  // QTabWidget knows Ctrl+Tab only as a key that reaches it unhandled, and a
  // date field keeps it; shortcuts work from whatever field has the focus.
  const struct {
    QKeySequence keys;
    int step;
  } page_keys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
  };
  for (const auto& page_key : page_keys) {
    auto* shortcut = new QShortcut(page_key.keys, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    const int step = page_key.step;
    connect(shortcut, &QShortcut::activated, this, [this, step] { StepPage(step); });
  }
}

void TEntryNotebook::StepPage(int step) {
  const int pages = count();
  int index = currentIndex();
  for (int tried = 1; tried < pages; ++tried) {
    index = (index + step + pages) % pages;
    if (isTabEnabled(index)) {
      setCurrentIndex(index);
      return;
    }
  }
}

TEntryNotebook::~TEntryNotebook() = default;

int TEntryNotebook::AddPage(QWidget* page, const QString& caption, const QString& hint) {
  int index = addTab(page, caption);
  SetPageHint(index, hint);
  return index;
}

QString TEntryNotebook::PageHint(int index) const {
  return index >= 0 && index < count() ? tabToolTip(index) : QString();
}

void TEntryNotebook::SetPageHint(int index, const QString& hint) {
  if (index < 0 || index >= count()) return;
  setTabToolTip(index, hint);
  // Labels have no hint of their own, so resting over a label or the bare
  // page shows the page's hint; the fields keep theirs.
  widget(index)->setToolTip(hint);
}

void TEntryNotebook::SetTabSize(const QSize& size) {
  d_->tab_size = size;
  // The tab bar caches its layout; setting the elide mode is the public call
  // that makes it ask for the tab sizes anew.
  tabBar()->setElideMode(tabBar()->elideMode());
  updateGeometry();
}

QSize TEntryNotebook::TabSize() const { return d_->tab_size; }

void TEntryNotebook::SetActiveTabFont(const QFont& font) {
  d_->active_font = font;
  d_->active_font_set = true;
  tabBar()->update();
}

QFont TEntryNotebook::ActiveTabFont() const {
  if (d_->active_font_set) return d_->active_font;
  QFont bold = tabBar()->font();
  bold.setBold(true);
  return bold;
}

QFont TEntryNotebook::TabFont(int index) const {
  return index == currentIndex() ? ActiveTabFont() : tabBar()->font();
}

void TEntryNotebook::SetKeyPressHandler(qp::KeyPressHandler handler) {
  // On the notebook alone: a key its tab bar leaves comes up to it anyway,
  // and a second binding on the bar would show such a key twice.
  qp::SetKeyPressHandler(this, std::move(handler));
}
