// TTzMemo: a multi-line text control that shows and edits the text of one
// memo field of the current record, with an optional caption label it keeps
// placed beside itself.
//
// Display states, re-entered whenever the record or the field changes:
//
//   state        shows                      MemoLoaded  writable
//   unbound      nothing (the object name   false       no
//                at design time)
//   placeholder  "(Memo)"                   false       no
//   loaded       the field's text           true        while the link edits
//   blob         "(Blob)"                   true        while the link edits
//
// The placeholder appears with AutoDisplay off: Enter, a double click or
// turning AutoDisplay on loads the text. A field counts as memo text unless
// it reports itself a blob and WritableBlobs is off; a blob shown as
// "(Blob)" is never written back.
//
// Editing. The control is read-only until the data set edits: typing a
// character, Backspace, Enter, Delete, cutting or pasting in the loaded
// state asks the data set to edit first (a character the field refuses
// beeps and starts nothing). Escape re-reads the field and drops what was
// typed. The lines go back into the field when the record is posted or the
// focus leaves the control; when that fails the control keeps the focus and
// the error is shown.
//
// Caption label. Caption creates a label named after the memo plus
// "Caption" in the memo's parent (or adopts such a label found in the
// memo's window) and CaptionPos places it, following the memo as it moves:
//
//   CaptionPos     label top      horizontal edge            alignment
//   cpLeft         T + 4          right edge at L - 4        right
//   cpRight        T + 4          left edge at L + W + 4     left
//   cpTopLeft      T - h - 4      left edge at L             left
//   cpTopRight     T - h - 4      right edge at L + W        right
//   cpBottomLeft   T + H + 4      left edge at L             left
//   cpBottomRight  T + H + 4      right edge at L + W        right
//   cpDetached     the label stays where it is
//
// (L, T, W, H: the memo's geometry in its parent; h: the label's height.)
// The label belongs to the memo's parent, not to the memo: deleting it
// elsewhere is noticed, renaming the memo renames it.
#ifndef QUILLPRINT_CONTROLS_MEMO_H_
#define QUILLPRINT_CONTROLS_MEMO_H_

#include <QPlainTextEdit>
#include <QString>

#include <cstdint>
#include <memory>

#include "components/dataset.h"

class QLabel;

namespace qp {

class TTzFieldDataLink;

enum TTzCaptionPosType : uint8_t {
  cpLeft = 0,
  cpRight = 1,
  cpTopLeft = 2,
  cpTopRight = 3,
  cpBottomLeft = 4,
  cpBottomRight = 5,
  cpDetached = 6,
};

class TTzMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TTzMemo(QWidget* parent = nullptr);
  // Detaches from the data source; the caption label stays with its parent.
  ~TTzMemo() override;

  vz::TTzDataSource* DataSource() const;
  // Attaches to `source` (nullptr detaches); the field is bound once the
  // source is open.
  void SetDataSource(vz::TTzDataSource* source);
  QString DataField() const;
  // While the source is open, a name the data set does not know throws
  // EVozuvError "Field '%s' not found".
  void SetDataField(const QString& name);
  // The bound field, or nullptr.
  vz::TTzField* Field() const;

  // The link's read-only flag (the control never edits the field then); not
  // the edit control's own read-only state, which follows the data set.
  bool ReadOnly() const;
  void SetReadOnly(bool on);

  bool AutoDisplay() const;  // default true
  // Turning it on loads the text.
  void SetAutoDisplay(bool on);
  bool WritableBlobs() const;  // default false
  void SetWritableBlobs(bool on);
  // Tab goes into the text instead of to the next control (default false).
  bool WantTabs() const;
  void SetWantTabs(bool on);

  // The control holds the field's text (or the blob placeholder).
  bool MemoLoaded() const;
  // Loads the field's text unless it is loaded already or the field is no
  // memo text. A field of another type than memo throws EVozuvError "Field
  // '%s' is not of the expected type".
  void LoadMemo();

  // The caption label's text; "" without a label.
  QString Caption() const;
  // A non-empty text creates or adopts the label (a created one switches
  // cpDetached to cpLeft) and places it; an empty text deletes the label.
  void SetCaption(const QString& caption);
  TTzCaptionPosType CaptionPos() const;  // default cpDetached
  void SetCaptionPos(TTzCaptionPosType pos);
  QLabel* CaptionLabel() const;  // nullptr without one

  // Moves and resizes the memo and places the caption at once (moves of a
  // hidden widget reach moveEvent only when it is shown).
  void SetBounds(int left, int top, int width, int height);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void insertFromMimeData(const QMimeData* source) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Private;

  bool CountsAsMemoText() const;
  void DataChange();
  void EditingChange();
  void WriteBack();
  void TextChanged();
  void SetShownText(const QString& text);
  void FindCaptionLabel();
  void PlaceCaption();
  void NameChanged(const QString& name);

  std::unique_ptr<Private> d_;
};

}  // namespace qp

#endif  // QUILLPRINT_CONTROLS_MEMO_H_
