// TEntryNotebook: a QTabWidget whose tab bar has a fixed tab size and draws
// the active caption in its own font.
//
// The caption font is switched inside a proxy style rather than by painting
// the tabs ourselves, so the tabs keep the look of whatever style is in use.
#include "controls/entry/entrynotebook.h"

#include <functional>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOption>
#include <QTabBar>

namespace {

class EntryTabBar : public QTabBar {
 public:
  explicit EntryTabBar(QWidget* parent) : QTabBar(parent) {}

  // Called after a page was chosen by its accelerator or a click on its
  // tab, when the focus was on the tabs or the page changed.
  std::function<void()> page_chosen;

  void SetTabSize(const QSize& size) {
    size_ = size;
    // The bar caches its layout; setting the elide mode is the public call
    // that makes it ask for the tab sizes anew.
    setElideMode(elideMode());
  }
  QSize TabSize() const { return size_; }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::Shortcut) return QTabBar::event(event);
    const bool from_tabs = hasFocus();
    const int before = currentIndex();
    const bool handled = QTabBar::event(event);
    if ((from_tabs || currentIndex() != before) && page_chosen) page_chosen();
    return handled;
  }
  void mousePressEvent(QMouseEvent* event) override {
    const bool on_tab = event->button() == Qt::LeftButton && tabAt(event->position().toPoint()) >= 0;
    const bool from_tabs = hasFocus();
    const int before = currentIndex();
    QTabBar::mousePressEvent(event);
    if (on_tab && (from_tabs || currentIndex() != before) && page_chosen) page_chosen();
  }

  QSize tabSizeHint(int index) const override {
    return size_.isEmpty() ? QTabBar::tabSizeHint(index) : size_;
  }
  QSize minimumTabSizeHint(int index) const override {
    return size_.isEmpty() ? QTabBar::minimumTabSizeHint(index) : size_;
  }

 private:
  QSize size_;
};

// Draws the selected tab's caption in the notebook's active-tab font. The
// style draws a caption with the painter's font, so setting that font around
// the caption is all it takes. The style keeps the font itself, so it never
// reaches into a notebook being destroyed.
class ActiveCaptionStyle : public QProxyStyle {
 public:
  ActiveCaptionStyle() : QProxyStyle(QApplication::style()->name()) {}

  // An unset font means the tab bar's own font in bold.
  void SetFont(const QFont& font) {
    font_ = font;
    font_set_ = true;
  }
  QFont Font(const QWidget* bar) const {
    if (font_set_) return font_;
    QFont bold = bar->font();
    bold.setBold(true);
    return bold;
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_TabBarTabLabel && option != nullptr && widget != nullptr &&
        (option->state & State_Selected)) {
      painter->save();
      painter->setFont(Font(widget));
      QProxyStyle::drawControl(element, option, painter, widget);
      painter->restore();
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

 private:
  QFont font_;
  bool font_set_ = false;
};

}  // namespace

struct TEntryNotebook::Private {
  EntryTabBar* bar = nullptr;                   // owned by the notebook
  ActiveCaptionStyle* caption_style = nullptr;  // owned by the tab bar
};

TEntryNotebook::TEntryNotebook(QWidget* parent) : QTabWidget(parent), d_(new Private) {
  auto* bar = new EntryTabBar(this);
  d_->bar = bar;
  d_->caption_style = new ActiveCaptionStyle;
  d_->caption_style->setParent(bar);
  bar->setStyle(d_->caption_style);
  bar->setExpanding(false);
  bar->setElideMode(Qt::ElideRight);
  setTabBar(bar);
  // A page chosen by its accelerator or its tab starts at its first field:
  // with the focus left on the tabs what the user typed next went nowhere,
  // and with the focus sent back to the field last used on the page (Qt's
  // way) a new check's first name went into the zip code; either way every
  // later value landed in the wrong field.
  bar->page_chosen = [this] { FocusFirstField(currentIndex()); };

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

void TEntryNotebook::FocusFirstField(int index) {
  QWidget* page = widget(index);
  if (page == nullptr) return;
  // The focus chain runs from the tabs through the fields in tab order.
  QWidget* bar = tabBar();
  for (QWidget* w = bar->nextInFocusChain(); w != bar; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
        w->isVisible()) {
      w->setFocus(Qt::TabFocusReason);
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
  d_->bar->SetTabSize(size);
  updateGeometry();
}

QSize TEntryNotebook::TabSize() const { return d_->bar->TabSize(); }

void TEntryNotebook::SetActiveTabFont(const QFont& font) {
  d_->caption_style->SetFont(font);
  tabBar()->update();
}

QFont TEntryNotebook::ActiveTabFont() const { return d_->caption_style->Font(tabBar()); }

QFont TEntryNotebook::TabFont(int index) const {
  return index == currentIndex() ? ActiveTabFont() : tabBar()->font();
}

void TEntryNotebook::SetKeyPressHandler(qp::KeyPressHandler handler) {
  // On the notebook alone: a key its tab bar leaves comes up to it anyway,
  // and a second binding on the bar would show such a key twice.
  qp::SetKeyPressHandler(this, std::move(handler));
}
