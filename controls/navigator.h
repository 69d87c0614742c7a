// TTzNavigator: a bar of ten buttons that moves through the records of a
// data source and edits them: first, prior, next, last, insert, delete or
// restore, edit, post, cancel, refresh.
//
// Enabling (own: the navigator's own enabled flag; active: the data source
// is open; editing: it is in edit or insert state):
//
//   1. first, prior   own, active and not at the beginning (Bof)
//   2. next, last     own, active and not at the end (Eof)
//   3. delete         own, active and the data set not empty
//   4. insert         own and active
//   5. edit           own, active and not editing
//   6. post, cancel   own, active and editing
//   7. refresh        own and active
//   8. otherwise (no source, source closed, navigator disabled): none.
// Rows 1-3 follow every change of the record window, rows 4-7 every change
// of the editing state; opening, closing and enabling redo them all.
//
// The delete button marks the current record deleted, or takes the mark
// back from a marked record, each after a confirmation ("Delete Record ?",
// "Restore Record ?", OK/Cancel) unless ConfirmDelete or ConfirmRestore is
// off. Prior and next repeat while held: the first repeat after 400 ms,
// then every 100 ms. With TabStop the navigator takes the focus; Left and
// Right move the focus mark over the visible buttons and Space clicks the
// marked one.
//
// Sizing. Neighbouring buttons share their border pixel, so n visible
// buttons of width w take n * (w - 1) + 1 pixels. The bar is never
// narrower than n * 19 + 1 nor lower than 18 pixels. Unaligned (Align
// alNone) its width snaps to the buttons' width; aligned (placed by the
// parent) the pixels left over widen some buttons by one, spread evenly.
#ifndef QUILLPRINT_CONTROLS_NAVIGATOR_H_
#define QUILLPRINT_CONTROLS_NAVIGATOR_H_

#include <QAbstractButton>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "components/dataset.h"

class QTimer;

namespace qp {

class TTzNavigator;

enum TNavigateBtn : uint8_t {
  nbFirst = 0,
  nbPrior = 1,
  nbNext = 2,
  nbLast = 3,
  nbInsert = 4,
  nbDelete = 5,
  nbEdit = 6,
  nbPost = 7,
  nbCancel = 8,
  nbRefresh = 9,
};
inline constexpr int kNavButtonCount = 10;

// A set of buttons: bit i stands for the button of ordinal i.
using TButtonSet = uint16_t;
constexpr TButtonSet NavButtons(std::initializer_list<TNavigateBtn> buttons) {
  TButtonSet set = 0;
  for (TNavigateBtn b : buttons) set = static_cast<TButtonSet>(set | (1u << b));
  return set;
}
inline constexpr TButtonSet kAllNavButtons = 1023;

// How the parent places a control: alNone leaves it where it is put; the
// others stand for a place the parent (its layout) gives it.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

using ENavClick = std::function<void(TTzNavigator* Sender, TNavigateBtn Button)>;

// One button of the navigator: a style-drawn button face with a glyph of
// two images (normal, disabled) and the focus mark the navigator asks for.
class TNavButton : public QAbstractButton {
  Q_OBJECT

 public:
  TNavButton(TTzNavigator* navigator, TNavigateBtn index);
  ~TNavButton() override;

  TNavigateBtn Index() const;
  // Repeating its click while held (prior and next).
  bool AllowTimer() const;
  void SetAllowTimer(bool on);
  // The repeat timer, made at the first press; nullptr before.
  QTimer* RepeatTimer() const;

  // The glyph resource ("tzn_First"); the bitmap holds the normal and the
  // disabled image side by side.
  void SetGlyph(const QString& resource_name);
  // The image painted in the present state, at the screen's scale.
  QPixmap CurrentGlyph() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Private;

  void TimerExpired();

  std::unique_ptr<Private> d_;
};

// The navigator's link to its data source.
class TNavDataLink : public vz::TTzDataLink {
 public:
  explicit TNavDataLink(TTzNavigator* navigator) : navigator_(navigator) {}
  // Detaches without telling the navigator.
  ~TNavDataLink() override;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void EditingChanged() override;

 private:
  TTzNavigator* navigator_;
};

class TTzNavigator : public QWidget {
  Q_OBJECT

 public:
  // 241 by 25 pixels, all ten buttons, no data source.
  explicit TTzNavigator(QWidget* parent = nullptr);
  ~TTzNavigator() override;

  vz::TTzDataSource* DataSource() const;
  void SetDataSource(vz::TTzDataSource* source);

  TButtonSet VisibleButtons() const;  // default kAllNavButtons
  // Shows and hides the buttons and sizes the bar anew.
  void SetVisibleButtons(TButtonSet buttons);

  // Line i, when not empty, replaces the default hint (tool tip) of button
  // i, hidden buttons included; lines after the tenth are not used.
  const QStringList& Hints() const;
  void SetHints(const QStringList& hints);

  bool ConfirmDelete() const;  // default true
  void SetConfirmDelete(bool on);
  bool ConfirmRestore() const;  // default true
  void SetConfirmRestore(bool on);

  bool TabStop() const;  // default false
  void SetTabStop(bool on);

  TAlign Align() const;  // default alNone
  void SetAlign(TAlign align);

  // The width of a button without its extra pixel (0 before the first
  // sizing).
  int ButtonWidth() const;
  TNavigateBtn FocusedButton() const;  // initially nbFirst
  TNavButton* Button(TNavigateBtn index) const;

  // Runs the button's action on the data set when a source is set and open
  // (asking first for delete and restore), then fires OnClick. Errors of
  // the data set throw EVozuvError; OnClick does not fire then.
  void BtnClick(TNavigateBtn index);

  // Moves and sizes the bar by the sizing rule at once (sizes of a hidden
  // widget reach resizeEvent only when it is shown).
  void SetBounds(int left, int top, int width, int height);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  ENavClick OnClick;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  friend class TNavButton;
  friend class TNavDataLink;
  struct Private;

  bool OwnEnabled() const;
  void ActiveChanged();
  void DataChanged();
  void EditingChanged();
  // A click of the user: errors end in an error box; false after one.
  bool ClickFromUser(TNavigateBtn index);
  void ButtonMouseDown(TNavigateBtn index);
  int VisibleCount() const;
  QSize CorrectedSize(QSize size) const;
  void ApplySize();
  void LayoutButtons();
  void ApplyHints();
  void MoveFocus(int step);

  std::unique_ptr<Private> d_;
};

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_NAVIGATOR_H_
