// TTzMemo: the display states, the rules that start an edit, writing the
// lines back, and the caption label.
#include "controls/memo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStringList>

#include "components/dataset.h"
#include "controls/fielddatalink.h"
#include "controls/usererror_p.h"
#include "resources/strings.h"

namespace qp {

namespace {

// The character codes the key rules speak of, for a key event: the control
// characters the keyboard sends (Backspace 8, Tab 9, Ctrl+Enter 10, Enter
// 13, paste 22, cut 24, Escape 27) or a printable character; -1 for a key
// that types nothing. Qt does not give the control characters as text on
// every platform, so they are told by the key.
int CharCode(const QKeyEvent* e, char32_t* typed) {
  if (e->matches(QKeySequence::Paste)) return 22;
  if (e->matches(QKeySequence::Cut)) return 24;
  switch (e->key()) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return (e->modifiers() & Qt::ControlModifier) ? 10 : 13;
    case Qt::Key_Escape: return 27;
    default: break;
  }
  if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return -1;
  const QList<uint> chars = e->text().toUcs4();
  if (chars.isEmpty() || chars.front() < 32 || chars.front() == 127) return -1;
  *typed = chars.front();
  return static_cast<int>(chars.front());
}

// The control's text as the field's lines: one per line of the text, none
// for an empty text.
vz::TStrings TextLines(const QString& text) {
  vz::TStrings lines;
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
  return lines;
}

// Gives a label a new parent and keeps it shown: QWidget::setParent hides.
void Reparent(QLabel* label, QWidget* parent) {
  if (label->parentWidget() == parent) return;
  const bool hidden = label->testAttribute(Qt::WA_WState_ExplicitShowHide) && label->isHidden();
  label->setParent(parent);
  if (!hidden && parent) label->setVisible(true);
}

// An auto-sized label takes the size of its text, growing away from the
// edge its alignment holds.
void FitToText(QLabel* label) {
  const QRect was = label->geometry();
  const QSize size = label->sizeHint();
  const int left = (label->alignment() & Qt::AlignRight) ? was.left() + was.width() - size.width() : was.left();
  label->setGeometry(left, was.top(), size.width(), size.height());
}

QString LinesText(const vz::TStrings& lines) {
  QStringList parts;
  parts.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) parts.append(QString::fromStdString(line));
  return parts.join(QLatin1Char('\n'));
}

}  // namespace

struct TTzMemo::Private {
  std::unique_ptr<TTzFieldDataLink> link = std::make_unique<TTzFieldDataLink>();
  bool auto_display = true;
  bool memo_loaded = false;
  bool writable_blobs = false;
  // Set while the control itself puts a text in: that is no change of the
  // user's.
  bool showing = false;
  bool designing = vz::DesignMode();
  QPointer<QLabel> caption_label;
  TTzCaptionPosType caption_pos = cpDetached;
};

TTzMemo::TTzMemo(QWidget* parent) : QPlainTextEdit(parent), d_(std::make_unique<Private>()) {
  setReadOnly(true);
  setTabChangesFocus(true);
  TTzFieldDataLink* link = d_->link.get();
  link->SetControl(this);
  link->OnDataChange = [this](vz::TObject*) { DataChange(); };
  link->OnEditingChange = [this](vz::TObject*) { EditingChange(); };
  link->OnUpdateData = [this](vz::TObject*) { WriteBack(); };
  connect(this, &QPlainTextEdit::textChanged, this, &TTzMemo::TextChanged);
  connect(this, &QObject::objectNameChanged, this, &TTzMemo::NameChanged);
}

TTzMemo::~TTzMemo() {
  // The base's teardown must not reach the handlers of a half-gone memo.
  disconnect(this, nullptr, this, nullptr);
  d_->link.reset();
  // A label made while the memo had no parent has no one else to go with.
  if (d_->caption_label && !d_->caption_label->parent()) delete d_->caption_label.data();
}

// ---- properties ---------------------------------------------------------------------

vz::TTzDataSource* TTzMemo::DataSource() const { return d_->link->DataSource(); }
void TTzMemo::SetDataSource(vz::TTzDataSource* source) { d_->link->SetDataSource(source); }
QString TTzMemo::DataField() const { return QString::fromStdString(d_->link->FieldName()); }
void TTzMemo::SetDataField(const QString& name) { d_->link->SetFieldName(name.toStdString()); }
vz::TTzField* TTzMemo::Field() const { return d_->link->Field(); }
bool TTzMemo::ReadOnly() const { return d_->link->ReadOnly(); }
void TTzMemo::SetReadOnly(bool on) { d_->link->SetReadOnly(on); }
bool TTzMemo::AutoDisplay() const { return d_->auto_display; }

void TTzMemo::SetAutoDisplay(bool on) {
  if (d_->auto_display == on) return;
  d_->auto_display = on;
  if (on) LoadMemo();
}

bool TTzMemo::WritableBlobs() const { return d_->writable_blobs; }
void TTzMemo::SetWritableBlobs(bool on) { d_->writable_blobs = on; }
bool TTzMemo::WantTabs() const { return !tabChangesFocus(); }
void TTzMemo::SetWantTabs(bool on) { setTabChangesFocus(!on); }
bool TTzMemo::MemoLoaded() const { return d_->memo_loaded; }

// ---- the memo text ------------------------------------------------------------------

bool TTzMemo::CountsAsMemoText() const {
  vz::TTzField* field = d_->link->Field();
  return field && (!field->IsBlob() || d_->writable_blobs);
}

void TTzMemo::SetShownText(const QString& text) {
  d_->showing = true;
  setPlainText(text);
  d_->showing = false;
}

void TTzMemo::LoadMemo() {
  if (d_->memo_loaded || !CountsAsMemoText()) return;
  const QString text = LinesText(d_->link->Field()->Lines());
  SetShownText(text);
  d_->memo_loaded = true;
  EditingChange();
}

void TTzMemo::DataChange() {
  vz::TTzField* field = d_->link->Field();
  if (!field) {
    SetShownText(d_->designing ? objectName() : QString());
    d_->memo_loaded = false;
  } else if (CountsAsMemoText()) {
    if (!d_->auto_display && (!d_->link->Editing() || !d_->memo_loaded)) {
      SetShownText(QString::fromUtf8(LoadStr(StrId::kMemoPlaceholder)));
      d_->memo_loaded = false;
    } else {
      d_->memo_loaded = false;
      LoadMemo();
    }
  } else {
    SetShownText(QString::fromUtf8(LoadStr(StrId::kBlobPlaceholder)));
    d_->memo_loaded = true;
  }
  // Every state has its writability (see the table in memo.h).
  EditingChange();
}

void TTzMemo::EditingChange() {
  const bool writable = d_->link->Editing() && d_->memo_loaded;
  setReadOnly(!writable);
  // Read-only with a loaded text, the caret still moves, so that typing
  // starts the edit where the user put it.
  if (!writable && d_->memo_loaded) {
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  }
}

void TTzMemo::WriteBack() {
  if (!CountsAsMemoText()) return;
  d_->link->Field()->SetLines(TextLines(toPlainText()));
}

void TTzMemo::TextChanged() {
  // Only the user's own changes count: the texts the control shows itself
  // would otherwise be written back as a new memo when the focus leaves.
  if (d_->memo_loaded && !d_->showing) d_->link->SetModified();
  d_->memo_loaded = true;
}

// ---- keys and mouse -----------------------------------------------------------------

void TTzMemo::keyPressEvent(QKeyEvent* event) {
  TTzFieldDataLink* link = d_->link.get();
  char32_t typed = 0;
  const int code = CharCode(event, &typed);
  bool pass_on = false;
  RunUserAction(this, [&] {
    if (!d_->memo_loaded) {
      if (code == 13) LoadMemo();
      return;  // nothing else happens before the text is there
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->key() == Qt::Key_Delete || (event->key() == Qt::Key_Insert && shift)) link->Edit();
    if (code >= 32) {
      vz::TTzField* field = link->Field();
      if (field && !field->IsValidChar(typed)) {
        QApplication::beep();
        return;
      }
    }
    if (code == 27) {
      link->Reset();
      return;
    }
    if (code == 8 || code == 9 || code == 10 || code == 13 || code == 22 || code == 24 || code >= 32) {
      link->Edit();
    }
    pass_on = true;
  });
  if (pass_on) {
    QPlainTextEdit::keyPressEvent(event);
  } else {
    event->accept();
  }
}

void TTzMemo::mouseDoubleClickEvent(QMouseEvent* event) {
  if (d_->memo_loaded) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    return;
  }
  RunUserAction(this, [this] { LoadMemo(); });
}

void TTzMemo::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the selection of X11: an edit must start first.
  if (event->button() == Qt::MiddleButton && d_->memo_loaded && isReadOnly() &&
      QApplication::clipboard()->supportsSelection()) {
    RunUserAction(this, [this] { d_->link->Edit(); });
  }
  QPlainTextEdit::mouseReleaseEvent(event);
}

void TTzMemo::insertFromMimeData(const QMimeData* source) {
  // Every paste and drop ends here: start the edit, then insert (the base
  // inserts nothing while the control stays read-only).
  if (!RunUserAction(this, [this] { d_->link->Edit(); })) return;
  QPlainTextEdit::insertFromMimeData(source);
}

void TTzMemo::contextMenuEvent(QContextMenuEvent* event) {
  // Offer Cut, Paste and Delete in browse state too; choosing one starts
  // the edit first, as the keys do.
  const bool can_start = d_->memo_loaded && isReadOnly() && d_->link->CanModify();
  if (can_start) setReadOnly(false);
  std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
  if (can_start) EditingChange();
  if (can_start) {
    for (QAction* action : menu->actions()) {
      const QString name = action->objectName();
      if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo")) {
        action->setEnabled(false);
      } else if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste") ||
                 name == QLatin1String("edit-delete")) {
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this, name] {
          if (!RunUserAction(this, [this] { d_->link->Edit(); }) || isReadOnly()) return;
          if (name == QLatin1String("edit-cut")) {
            cut();
          } else if (name == QLatin1String("edit-paste")) {
            paste();
          } else {
            textCursor().removeSelectedText();
          }
        });
      }
    }
  }
  menu->exec(event->globalPos());
}

bool TTzMemo::focusNextPrevChild(bool next) {
  // With WantTabs the Tab key is the memo's in every state, as a key that
  // starts the edit.
  if (!tabChangesFocus()) return false;
  return QPlainTextEdit::focusNextPrevChild(next);
}

void TTzMemo::focusOutEvent(QFocusEvent* event) {
  // A popup (the context menu) or another window taking the keyboard is no
  // leaving of the control.
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
    std::optional<QString> error = CatchUserError([this] { d_->link->UpdateRecord(); });
    if (error) {
      setFocus(Qt::OtherFocusReason);
      ReportUserError(this, *error);
      return;
    }
  }
  QPlainTextEdit::focusOutEvent(event);
}

// ---- the caption label --------------------------------------------------------------

QLabel* TTzMemo::CaptionLabel() const { return d_->caption_label.data(); }
QString TTzMemo::Caption() const { return d_->caption_label ? d_->caption_label->text() : QString(); }
TTzCaptionPosType TTzMemo::CaptionPos() const { return d_->caption_pos; }

void TTzMemo::FindCaptionLabel() {
  if (d_->caption_label || objectName().isEmpty()) return;
  const QString name = objectName() + QLatin1String("Caption");
  auto* label = window()->findChild<QLabel*>(name);
  if (!label || label == d_->caption_label) return;
  d_->caption_label = label;
  if (d_->caption_pos != cpDetached) Reparent(label, parentWidget());
}

void TTzMemo::SetCaption(const QString& caption) {
  if (caption.isEmpty()) {
    delete d_->caption_label.data();
    d_->caption_label = nullptr;
    return;
  }
  FindCaptionLabel();
  if (!d_->caption_label) {
    auto* label = new QLabel(parentWidget());
    label->setObjectName(objectName() + QLatin1String("Caption"));
    if (parentWidget()) label->setVisible(true);
    d_->caption_label = label;
    if (d_->caption_pos == cpDetached) d_->caption_pos = cpLeft;
  }
  d_->caption_label->setText(caption);
  FitToText(d_->caption_label);
  PlaceCaption();
}

void TTzMemo::SetCaptionPos(TTzCaptionPosType pos) {
  d_->caption_pos = pos;
  if (d_->caption_label && pos != cpDetached) Reparent(d_->caption_label, parentWidget());
  PlaceCaption();
}

void TTzMemo::PlaceCaption() {
  FindCaptionLabel();
  QLabel* label = d_->caption_label;
  if (!label || d_->caption_pos == cpDetached) return;
  // The label grows away from the memo from the edge its position names.
  const QSize size = label->sizeHint();
  const QRect memo = geometry();
  const int gap = 4;
  int top = memo.top();
  int left = 0;
  bool right_edge = false;
  switch (d_->caption_pos) {
    case cpLeft: top += gap; left = memo.left() - gap; right_edge = true; break;
    case cpRight: top += gap; left = memo.left() + memo.width() + gap; break;
    case cpTopLeft: top -= size.height() + gap; left = memo.left(); break;
    case cpTopRight: top -= size.height() + gap; left = memo.left() + memo.width(); right_edge = true; break;
    case cpBottomLeft: top += memo.height() + gap; left = memo.left(); break;
    case cpBottomRight: top += memo.height() + gap; left = memo.left() + memo.width(); right_edge = true; break;
    case cpDetached: return;
  }
  if (right_edge) left -= size.width();
  label->setAlignment((right_edge ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
  label->setGeometry(left, top, size.width(), size.height());
}

void TTzMemo::SetBounds(int left, int top, int width, int height) {
  setGeometry(left, top, width, height);
  PlaceCaption();
}

void TTzMemo::moveEvent(QMoveEvent* event) {
  QPlainTextEdit::moveEvent(event);
  PlaceCaption();
}

void TTzMemo::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  PlaceCaption();
}

void TTzMemo::NameChanged(const QString& name) {
  if (d_->caption_label) d_->caption_label->setObjectName(name + QLatin1String("Caption"));
}

}  // namespace qp
