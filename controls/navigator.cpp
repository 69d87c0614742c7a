// TTzNavigator and its buttons: sizing, enabling, the actions with their
// prompts, auto-repeat, the arrow keys and the focus mark.
#include "controls/navigator.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <array>

#include "controls/usererror_p.h"
#include "platform/qt/messages.h"
#include "resources/bitmaps.h"
#include "resources/strings.h"

namespace qp {

namespace {

constexpr int kMinButtonWidth = 20;
constexpr int kMinButtonHeight = 18;
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;
// The focus mark lies this far inside the button's edge.
constexpr int kFocusInset = 3;

struct ButtonInfo {
  const char* name;  // the glyph resource is "tzn_" + name
  StrId hint;
};

constexpr std::array<ButtonInfo, kNavButtonCount> kButtons = {{
    {"First", StrId::kHintFirst},
    {"Prior", StrId::kHintPrior},
    {"Next", StrId::kHintNext},
    {"Last", StrId::kHintLast},
    {"Insert", StrId::kHintInsert},
    {"Delete", StrId::kHintDelete},
    {"Edit", StrId::kHintEdit},
    {"Post", StrId::kHintPost},
    {"Cancel", StrId::kHintCancel},
    {"Refresh", StrId::kHintRefresh},
}};

QString Text(StrId id) { return QString::fromUtf8(LoadStr(id)); }

}  // namespace

// ---- TNavButton ----------------------------------------------------------------------

struct TNavButton::Private {
  TTzNavigator* navigator;
  TNavigateBtn index;
  bool allow_timer = false;
  bool held = false;  // pressed with the left button and not yet released
  QTimer* timer = nullptr;
  QString glyph_name;
  qreal glyph_ratio = 0;  // the scale the glyphs below were loaded for
  QPixmap glyphs[2];      // normal, disabled

  void LoadGlyphs(qreal ratio) {
    if (ratio == glyph_ratio) return;
    glyph_ratio = ratio;
    const QPixmap strip = LoadResourceBitmap(glyph_name.toStdString(), ratio);
    const int half = strip.width() / 2;
    for (int i = 0; i < 2; ++i) {
      glyphs[i] = strip.isNull() ? QPixmap() : strip.copy(i * half, 0, half, strip.height());
      glyphs[i].setDevicePixelRatio(strip.devicePixelRatio());
    }
  }
};

TNavButton::TNavButton(TTzNavigator* navigator, TNavigateBtn index)
    : QAbstractButton(navigator), d_(std::make_unique<Private>()) {
  d_->navigator = navigator;
  d_->index = index;
  // The navigator takes the keyboard, never a button of it.
  setFocusPolicy(Qt::NoFocus);
}

TNavButton::~TNavButton() = default;

TNavigateBtn TNavButton::Index() const { return d_->index; }
bool TNavButton::AllowTimer() const { return d_->allow_timer; }
void TNavButton::SetAllowTimer(bool on) { d_->allow_timer = on; }
QTimer* TNavButton::RepeatTimer() const { return d_->timer; }

void TNavButton::SetGlyph(const QString& resource_name) {
  d_->glyph_name = resource_name;
  d_->glyph_ratio = 0;
  update();
}

QPixmap TNavButton::CurrentGlyph() const {
  d_->LoadGlyphs(devicePixelRatioF());
  return d_->glyphs[isEnabled() ? 0 : 1];
}

QSize TNavButton::sizeHint() const { return QSize(kMinButtonWidth, kMinButtonHeight); }

void TNavButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton face;
  face.initFrom(this);
  face.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawControl(QStyle::CE_PushButtonBevel, &face, &painter, this);

  // The glyph sits in the middle, on whole pixels so that it stays sharp,
  // and moves down and right by one while the button is pressed.
  const QPixmap glyph = CurrentGlyph();
  const QSize size = glyph.deviceIndependentSize().toSize();
  QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
  if (isDown()) at += QPoint(1, 1);
  if (!glyph.isNull()) painter.drawPixmap(at, glyph);

  if (d_->navigator->hasFocus() && d_->navigator->FocusedButton() == d_->index) {
    QStyleOptionFocusRect mark;
    mark.initFrom(this);
    // Styles that hide focus marks until the keyboard is used would leave
    // this one out; the bar's mark is always shown.
    mark.state |= QStyle::State_KeyboardFocusChange;
    mark.rect = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
    if (isDown()) mark.rect.translate(1, 1);
    mark.backgroundColor = palette().color(QPalette::Button);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &mark, &painter, this);
  }
}

void TNavButton::mousePressEvent(QMouseEvent* event) {
  QAbstractButton::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  d_->held = true;
  d_->navigator->ButtonMouseDown(d_->index);
  if (!d_->allow_timer) return;
  if (!d_->timer) {
    d_->timer = new QTimer(this);
    connect(d_->timer, &QTimer::timeout, this, &TNavButton::TimerExpired);
  }
  d_->timer->setInterval(kFirstRepeatMs);
  d_->timer->start();
}

void TNavButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    d_->held = false;
    if (d_->timer) d_->timer->stop();
  }
  QAbstractButton::mouseReleaseEvent(event);
}

void TNavButton::TimerExpired() {
  d_->timer->setInterval(kRepeatMs);
  // A release the button never saw (it went to a box that opened meanwhile)
  // ends the repeating as a release on the button would.
  if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) d_->held = false;
  if (!d_->held) {
    d_->timer->stop();
    setDown(false);
    return;
  }
  // Pulled off the button: no click until the pointer is back on it.
  if (!isDown()) return;
  // No tick while the click runs: it may show a box with a loop of its own.
  d_->timer->stop();
  if (!d_->navigator->ClickFromUser(d_->index)) {
    d_->held = false;
    setDown(false);
    return;
  }
  if (d_->held) d_->timer->start();
}

// ---- TNavDataLink --------------------------------------------------------------------

TNavDataLink::~TNavDataLink() {
  navigator_ = nullptr;
  SetDataSource(nullptr);
}

void TNavDataLink::ActiveChanged() {
  if (navigator_) navigator_->ActiveChanged();
}

void TNavDataLink::DataSetChanged() {
  if (navigator_) navigator_->DataChanged();
}

void TNavDataLink::EditingChanged() {
  if (navigator_) navigator_->EditingChanged();
}

// ---- TTzNavigator --------------------------------------------------------------------

struct TTzNavigator::Private {
  std::unique_ptr<TNavDataLink> link;
  std::array<TNavButton*, kNavButtonCount> buttons{};
  TButtonSet visible = kAllNavButtons;
  QStringList hints;
  int button_width = 0;
  TNavigateBtn focused = nbFirst;
  bool confirm_delete = true;
  bool confirm_restore = true;
  bool tab_stop = false;
  TAlign align = alNone;
  bool designing = vz::DesignMode();

  bool Shown(int i) const { return (visible >> i) & 1u; }
};

TTzNavigator::TTzNavigator(QWidget* parent) : QWidget(parent), d_(std::make_unique<Private>()) {
  d_->link = std::make_unique<TNavDataLink>(this);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kNavButtonCount; ++i) {
    const auto index = static_cast<TNavigateBtn>(i);
    auto* button = new TNavButton(this, index);
    button->setObjectName(QStringLiteral("nb") + QLatin1String(kButtons[i].name));
    button->setVisible(d_->Shown(i));
    button->setGeometry(i * kMinButtonWidth, 0, kMinButtonWidth, kMinButtonHeight);
    button->SetGlyph(QStringLiteral("tzn_") + QLatin1String(kButtons[i].name));
    connect(button, &QAbstractButton::clicked, this, [this, index] { ClickFromUser(index); });
    d_->buttons[i] = button;
  }
  ApplyHints();
  d_->buttons[nbPrior]->SetAllowTimer(true);
  d_->buttons[nbNext]->SetAllowTimer(true);
  resize(241, 25);
  ApplySize();
  ActiveChanged();
}

TTzNavigator::~TTzNavigator() = default;

vz::TTzDataSource* TTzNavigator::DataSource() const { return d_->link->DataSource(); }

void TTzNavigator::SetDataSource(vz::TTzDataSource* source) {
  d_->link->SetDataSource(source);
  ActiveChanged();
}

TButtonSet TTzNavigator::VisibleButtons() const { return d_->visible; }

void TTzNavigator::SetVisibleButtons(TButtonSet buttons) {
  d_->visible = static_cast<TButtonSet>(buttons & kAllNavButtons);
  for (int i = 0; i < kNavButtonCount; ++i) d_->buttons[i]->setVisible(d_->Shown(i));
  ApplySize();
  update();
}

const QStringList& TTzNavigator::Hints() const { return d_->hints; }

void TTzNavigator::SetHints(const QStringList& hints) {
  d_->hints = hints;
  ApplyHints();
}

void TTzNavigator::ApplyHints() {
  for (int i = 0; i < kNavButtonCount; ++i) {
    const bool own = i < d_->hints.size() && !d_->hints[i].isEmpty();
    d_->buttons[i]->setToolTip(own ? d_->hints[i] : Text(kButtons[i].hint));
  }
}

bool TTzNavigator::ConfirmDelete() const { return d_->confirm_delete; }
void TTzNavigator::SetConfirmDelete(bool on) { d_->confirm_delete = on; }
bool TTzNavigator::ConfirmRestore() const { return d_->confirm_restore; }
void TTzNavigator::SetConfirmRestore(bool on) { d_->confirm_restore = on; }
bool TTzNavigator::TabStop() const { return d_->tab_stop; }

void TTzNavigator::SetTabStop(bool on) {
  d_->tab_stop = on;
  setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

TAlign TTzNavigator::Align() const { return d_->align; }

void TTzNavigator::SetAlign(TAlign align) {
  d_->align = align;
  ApplySize();
}

int TTzNavigator::ButtonWidth() const { return d_->button_width; }
TNavigateBtn TTzNavigator::FocusedButton() const { return d_->focused; }

TNavButton* TTzNavigator::Button(TNavigateBtn index) const {
  return index < kNavButtonCount ? d_->buttons[index] : nullptr;
}

// ---- sizing ----------------------------------------------------------------------------

int TTzNavigator::VisibleCount() const {
  int n = 0;
  for (int i = 0; i < kNavButtonCount; ++i) n += d_->Shown(i) ? 1 : 0;
  return n == 0 ? 1 : n;
}

QSize TTzNavigator::CorrectedSize(QSize size) const {
  const int n = VisibleCount();
  int w = std::max(size.width(), n * (kMinButtonWidth - 1) + 1);
  const int h = std::max(size.height(), kMinButtonHeight);
  const int button_width = (w - 1) / n + 1;
  if (d_->align == alNone) w = n * (button_width - 1) + 1;
  return QSize(w, h);
}

void TTzNavigator::ApplySize() {
  const int n = VisibleCount();
  setMinimumSize(n * (kMinButtonWidth - 1) + 1, kMinButtonHeight);
  const QSize corrected = CorrectedSize(size());
  if (corrected != size()) resize(corrected);
  LayoutButtons();
}

void TTzNavigator::LayoutButtons() {
  const int n = VisibleCount();
  const int w = width();
  const int button_width = (w - 1) / n + 1;
  d_->button_width = button_width;
  // The pixels the shared-border buttons leave over go one each to buttons
  // spread evenly along the bar.
  const int remainder = w - (n * (button_width - 1) + 1);
  int counter = n / 2;
  int x = 0;
  for (int i = 0; i < kNavButtonCount; ++i) {
    TNavButton* button = d_->buttons[i];
    if (!d_->Shown(i)) {
      button->setGeometry(w + 1, 0, button_width, height());
      continue;
    }
    int bw = button_width;
    if (remainder != 0) {
      counter -= remainder;
      if (counter < 0) {
        counter += n;
        ++bw;
      }
    }
    button->setGeometry(x, 0, bw, height());
    x += bw - 1;
  }
}

void TTzNavigator::SetBounds(int left, int top, int width, int height) {
  setGeometry(QRect(QPoint(left, top), CorrectedSize(QSize(width, height))));
  LayoutButtons();
}

QSize TTzNavigator::sizeHint() const { return CorrectedSize(QSize(VisibleCount() * 24 + 1, 25)); }

QSize TTzNavigator::minimumSizeHint() const { return CorrectedSize(QSize(0, 0)); }

void TTzNavigator::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplySize();
}

// ---- enabling ----------------------------------------------------------------------------

bool TTzNavigator::OwnEnabled() const { return !testAttribute(Qt::WA_ForceDisabled); }

void TTzNavigator::ActiveChanged() {
  if (OwnEnabled() && d_->link->Active()) {
    DataChanged();
    EditingChanged();
    d_->buttons[nbRefresh]->setEnabled(true);
  } else {
    for (TNavButton* button : d_->buttons) button->setEnabled(false);
  }
}

void TTzNavigator::DataChanged() {
  vz::TTzDataSet* ds = d_->link->DataSet();
  const bool can = OwnEnabled() && d_->link->Active() && ds;
  const bool up = can && !ds->Bof();
  const bool down = can && !ds->Eof();
  d_->buttons[nbFirst]->setEnabled(up);
  d_->buttons[nbPrior]->setEnabled(up);
  d_->buttons[nbNext]->setEnabled(down);
  d_->buttons[nbLast]->setEnabled(down);
  d_->buttons[nbDelete]->setEnabled(can && !(ds->Bof() && ds->Eof()));
}

void TTzNavigator::EditingChanged() {
  const bool can = OwnEnabled() && d_->link->Active();
  const bool editing = d_->link->Editing();
  d_->buttons[nbInsert]->setEnabled(can);
  d_->buttons[nbEdit]->setEnabled(can && !editing);
  d_->buttons[nbPost]->setEnabled(can && editing);
  d_->buttons[nbCancel]->setEnabled(can && editing);
  // Refresh follows the others: with the source closed it stays off.
  d_->buttons[nbRefresh]->setEnabled(can);
}

void TTzNavigator::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ActiveChanged();
}

// ---- clicks ------------------------------------------------------------------------------

void TTzNavigator::BtnClick(TNavigateBtn index) {
  vz::TTzDataSource* source = d_->link->DataSource();
  if (source && source->State() != vz::dsInactive) {
    vz::TTzDataSet* ds = source->DataSet();
    switch (index) {
      case nbFirst: ds->First(); break;
      case nbPrior: ds->Prior(); break;
      case nbNext: ds->Next(); break;
      case nbLast: ds->Last(); break;
      case nbInsert: ds->Insert(); break;
      case nbDelete: {
        const bool marked = ds->RowDeleted(ds->ActiveRecord());
        const bool confirm = marked ? d_->confirm_restore : d_->confirm_delete;
        const StrId prompt = marked ? StrId::kRestoreRecordPrompt : StrId::kDeleteRecordPrompt;
        if (confirm && ShowMessage(this, Text(prompt), MsgType::kConfirmation, MsgButtons::kOkCancel) ==
                           MsgResult::kCancel) {
          break;
        }
        if (marked) {
          ds->Restore();
        } else {
          ds->Delete();
        }
        break;
      }
      case nbEdit: ds->Edit(); break;
      case nbPost: ds->Post(); break;
      case nbCancel: ds->Cancel(); break;
      case nbRefresh: ds->Refresh(); break;
    }
  }
  if (!d_->designing && OnClick) OnClick(this, index);
}

bool TTzNavigator::ClickFromUser(TNavigateBtn index) {
  return RunUserAction(this, [this, index] { BtnClick(index); });
}

void TTzNavigator::ButtonMouseDown(TNavigateBtn index) {
  const TNavigateBtn old = d_->focused;
  d_->focused = index;
  if (!d_->tab_stop) return;
  if (!hasFocus()) {
    // Gaining the focus repaints the marked button.
    if (isVisible() && isEnabled()) setFocus(Qt::MouseFocusReason);
    return;
  }
  if (old != index) {
    d_->buttons[old]->update();
    d_->buttons[index]->update();
  }
}

// ---- keys and focus --------------------------------------------------------------------

void TTzNavigator::MoveFocus(int step) {
  // Only a visible button takes the mark: a hidden one would be clicked by
  // Space without the user seeing which.
  for (int i = d_->focused + step; i >= 0 && i < kNavButtonCount; i += step) {
    if (!d_->Shown(i)) continue;
    const TNavigateBtn old = d_->focused;
    d_->focused = static_cast<TNavigateBtn>(i);
    d_->buttons[old]->update();
    d_->buttons[i]->update();
    return;
  }
}

void TTzNavigator::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right: MoveFocus(1); break;
    case Qt::Key_Left: MoveFocus(-1); break;
    case Qt::Key_Space: {
      TNavButton* button = d_->buttons[d_->focused];
      if (button->isEnabled() && d_->Shown(d_->focused)) ClickFromUser(d_->focused);
      break;
    }
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void TTzNavigator::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  d_->buttons[d_->focused]->update();
}

void TTzNavigator::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  d_->buttons[d_->focused]->update();
}

}  // namespace qp
