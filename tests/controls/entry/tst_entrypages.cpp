// The check pages: Enter as Tab, to the next field instead of the default
// button, and the notebook: the active tab's font in a fixed tab size, the
// keys that show another page and its key-press event.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <tuple>

#include "controls/entry/datefield.h"
#include "controls/entry/entrycontroller.h"
#include "controls/entry/entrynotebook.h"
#include "controls/entry/numericfield.h"

namespace {

// A dialog with a default button, which Enter must not reach.
struct Dialog {
  QDialog window;
  QPushButton* ok = new QPushButton("OK", &window);

  Dialog() { ok->setDefault(true); }
  bool Show() {
    window.show();
    return QTest::qWaitForWindowActive(&window);
  }
};

// A check page: fields made in reading order (the default tab order), then
// tabbed through in another order.
struct CheckPage : Dialog {
  QLineEdit* payee;
  TNumericField* amount;
  TEntryController* controller;

  CheckPage() {
    auto add = [this](QWidget* field, const char* name, int x, int y) {
      field->setParent(&window);
      field->setObjectName(name);
      field->move(x, y);
      return field;
    };
    QWidget* number = add(new QLineEdit, "number", 24, 32);
    amount = static_cast<TNumericField*>(add(new TNumericField, "amount", 136, 32));
    QWidget* date = add(new TDateField, "date", 304, 32);
    QWidget* words = add(new QLineEdit, "words", 24, 80);
    payee = static_cast<QLineEdit*>(add(new QLineEdit, "payee", 24, 128));
    ok->move(24, 170);
    QWidget* const order[] = {date, amount, payee, words, number, ok};
    for (int i = 1; i < 6; ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    controller = new TEntryController(&window);
    window.resize(460, 210);
  }

  void Focus(const QString& name) { window.findChild<QWidget*>(name)->setFocus(); }
};

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr ? focus->objectName() : QString("<none>");
}

constexpr const char* kPages[][2] = {
    {"&Payor Information", "Payor's Personal Information"},
    {"&Bank Information", "Payor's Bank Information"},
    {"&Check Information", "Check Details"},
};

// The three check pages, each a field of `kind` ("edit", "numeric", "date") and an edit.
struct Book : Dialog {
  TEntryNotebook* notebook;
  QWidget* fields[3][2];

  explicit Book(const QString& kind = "edit") {
    auto* layout = new QVBoxLayout(&window);
    notebook = new TEntryNotebook;
    layout->addWidget(notebook);
    layout->addWidget(ok);
    notebook->SetTabSize(QSize(174, 18));  // before the pages
    for (int p = 0; p < 3; ++p) {
      auto* page = new QWidget;
      fields[p][0] = kind == "numeric" ? static_cast<QWidget*>(new TNumericField(page))
                     : kind == "date"  ? static_cast<QWidget*>(new TDateField(page))
                                       : static_cast<QWidget*>(new QLineEdit(page));
      fields[p][1] = new QLineEdit(page);
      fields[p][1]->move(24, 48);
      notebook->AddPage(page, kPages[p][0], kPages[p][1]);
    }
    window.resize(560, 300);
  }
};

struct PageKey {
  QString kind;  // of the field with the focus
  int start;
  QKeyCombination key;
  int disabled;  // a page whose tab is disabled, or -1
  int page;
};

// Dark pixels in a rectangle of an image: the ink of a caption.
int Ink(const QImage& image, const QRect& rect) {
  int ink = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) ink += qGray(image.pixel(x, y)) < 96;
  }
  return ink;
}

}  // namespace

Q_DECLARE_METATYPE(PageKey)

class TestEntryPages : public QObject {
  Q_OBJECT

 private slots:
  void enterIsConsumed() {
    CheckPage page;
    QVERIFY(page.Show());
    QSignalSpy returned(page.payee, &QLineEdit::returnPressed);
    QSignalSpy clicked(page.ok, &QPushButton::clicked);
    page.Focus("payee");
    QTest::keyClick(page.payee, Qt::Key_Return);
    QCOMPARE(returned.count(), 0);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(page.window.isVisible());

    // The next field is entered as by Tab: the amount's text selected.
    QSignalSpy changed(page.amount, &TNumericField::Changed);
    page.amount->SetValue(12.5);
    page.Focus("date");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(page.amount->selectedText(), QString("12.50"));
    QCOMPARE(changed.count(), 0);
    // On in the tab order (the order itself is the main window's to check),
    // by keypad Enter too; back by Shift+Enter; Ctrl+Enter stays.
    for (const auto& [key, modifiers, to] : {std::tuple{Qt::Key_Enter, Qt::KeypadModifier, "payee"},
                                             {Qt::Key_Return, Qt::ShiftModifier, "amount"},
                                             {Qt::Key_Return, Qt::ControlModifier, "amount"}}) {
      QTest::keyClick(QApplication::focusWidget(), key, modifiers);
      QCOMPARE(FocusName(), QString(to));
    }

    // Without the "Default" table Enter is an ordinary key again; a table
    // of another name cannot be switched.
    QCOMPARE(page.controller->CommandTables(), QStringList({"Default", "WordStar", "Grid"}));
    QVERIFY(!page.controller->SetCommandTableActive("Emacs", true));
    QVERIFY(page.controller->SetCommandTableActive("Default", false));
    QVERIFY(!page.controller->IsCommandTableActive("Default"));
    page.Focus("payee");
    QTest::keyClick(page.payee, Qt::Key_Return);
    QCOMPARE(FocusName(), QString("payee"));
    QCOMPARE(returned.count(), 1);
  }

  void activeTabIsDrawnInItsFont() {
    // Three tabs with one caption: only the active one's ink differs, clearly so with
    // a small normal font and a large bold one; the size set after the pages holds.
    TEntryNotebook notebook;
    QFont small("Arial"), arial("Arial");
    small.setPixelSize(9);
    arial.setPixelSize(14);
    arial.setBold(true);
    notebook.setFont(small);
    for (int i = 0; i < 3; ++i) notebook.AddPage(new QWidget, "Information", QString());
    notebook.SetTabSize(QSize(174, 18));
    QVERIFY(notebook.ActiveTabFont().bold());  // bold until set
    notebook.SetActiveTabFont(arial);
    notebook.resize(536, 200);
    notebook.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notebook));

    QTabBar* bar = notebook.tabBar();
    for (int active = 0; active < 3; ++active) {
      notebook.setCurrentIndex(active);
      const int inactive = (active + 1) % 3;
      QCOMPARE(notebook.TabFont(active), arial);
      QCOMPARE(notebook.TabFont(inactive), small);
      const QImage image = bar->grab().toImage();
      const int ink_active = Ink(image, bar->tabRect(active).adjusted(8, 4, -8, -4));
      const int ink_inactive = Ink(image, bar->tabRect(inactive).adjusted(8, 4, -8, -4));
      QVERIFY(ink_active > ink_inactive * 3 / 2);
      QCOMPARE(bar->tabRect(active).size(), QSize(174, 18));
    }
  }

  void keysShowAnotherPage_data() {
    QTest::addColumn<PageKey>("c");
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const QKeyCombination tab = ctrl | Qt::Key_Tab;
    QTest::newRow("Ctrl+Tab") << PageKey{"edit", 0, tab, -1, 1};
    QTest::newRow("Ctrl+Tab wraps") << PageKey{"edit", 2, tab, -1, 0};
    QTest::newRow("Ctrl+Shift+Tab wraps") << PageKey{"edit", 0, ctrl | Qt::ShiftModifier | Qt::Key_Backtab, -1, 2};
    QTest::newRow("Ctrl+PgDn") << PageKey{"edit", 1, ctrl | Qt::Key_PageDown, -1, 2};
    QTest::newRow("disabled page skipped") << PageKey{"edit", 0, tab, 1, 2};
    QTest::newRow("Ctrl+Tab from the amount") << PageKey{"numeric", 0, tab, -1, 1};
    QTest::newRow("Ctrl+Tab from the date") << PageKey{"date", 0, tab, -1, 1};
    QTest::newRow("Alt+B from the date") << PageKey{"date", 0, Qt::AltModifier | Qt::Key_B, -1, 1};
  }

  void keysShowAnotherPage() {
    QFETCH(PageKey, c);
    Book book(c.kind);
    if (c.disabled >= 0) book.notebook->setTabEnabled(c.disabled, false);
    QVERIFY(book.Show());
    book.notebook->setCurrentIndex(c.start);
    book.fields[c.start][0]->setFocus();
    QTest::keyClick(QApplication::focusWidget(), c.key.key(), c.key.keyboardModifiers());
    QCOMPARE(book.notebook->currentIndex(), c.page);
    QCOMPARE(book.notebook->tabBar()->tabRect(c.page).size(), QSize(174, 18));  // the bold caption widens nothing
    // The focus left the hidden page for the first field of the one shown.
    QCOMPARE(QApplication::focusWidget(), book.fields[c.page][0]);
  }

  void keyPressHandlerCanSwallowEnter() {
    // A plain edit leaves Enter to its parents, where the default button would take
    // it; the notebook's handler sees it first, as it sees the keys its tabs leave.
    Book book;
    QVERIFY(book.Show());
    QSignalSpy clicked(book.ok, &QPushButton::clicked);
    QList<int> seen;
    book.notebook->SetKeyPressHandler([&seen](QKeyEvent* event) {
      seen << event->key();
      return qp::IsEnterKey(event);
    });
    book.fields[0][1]->setFocus();
    QTest::keyClick(book.fields[0][1], Qt::Key_Return);
    QTabBar* bar = book.notebook->tabBar();
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(bar, Qt::Key_Right);  // the tabs' own key
    QTest::keyClick(bar, Qt::Key_X);      // left by the tabs, seen once
    QCOMPARE(seen, QList<int>({Qt::Key_Return, Qt::Key_Enter, Qt::Key_X}));
    QCOMPARE(book.notebook->currentIndex(), 1);
    QCOMPARE(clicked.count(), 0);

    book.notebook->SetKeyPressHandler({});
    book.fields[1][1]->setFocus();
    QTest::keyClick(book.fields[1][1], Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
  }
};

QTEST_MAIN(TestEntryPages)
#include "tst_entrypages.moc"
