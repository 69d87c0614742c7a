// TEntryController: keyboard behaviour of a data-entry window, kept in
// command tables.
//
// The command table "Default" makes Enter act as Tab: Enter in any field of
// the window moves the focus to the next control in tab order (Shift+Enter
// to the previous), exactly where Tab would go, also from a page's last field;
// the Enter key itself is consumed. Multi-line text editors keep their Enter
// for new lines. The tables "WordStar" and "Grid" are known by name and can
// be switched on, but bind no keys yet.
//
// The controller sees the keys before the focused field does (as a window
// that previews keystrokes), so field-level key-press handlers never see an
// Enter it has taken.
#ifndef QUILLPRINT_CONTROLS_ENTRY_ENTRYCONTROLLER_H_
#define QUILLPRINT_CONTROLS_ENTRY_ENTRYCONTROLLER_H_

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

class TEntryController : public QObject {
  Q_OBJECT

 public:
  static constexpr char kDefaultTable[] = "Default";
  static constexpr char kWordStarTable[] = "WordStar";
  static constexpr char kGridTable[] = "Grid";

  // Watches the keys of `window` and every widget in it. The controller is
  // the window's child and lives as long as it.
  explicit TEntryController(QWidget* window);
  ~TEntryController() override;

  // "Default", "WordStar", "Grid", in that order.
  QStringList CommandTables() const;
  // False for a name that is no command table.
  bool IsCommandTableActive(const QString& name) const;
  // False, and nothing changes, for a name that is no command table.
  bool SetCommandTableActive(const QString& name, bool active);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Private;
  std::unique_ptr<Private> d_;
};

#endif  // QUILLPRINT_CONTROLS_ENTRY_ENTRYCONTROLLER_H_
