// What the check-desk tests share beyond the fixture: typing into the main
// window as a user would, its dialogs answered, closing it, and checks.dbf as
// another program reads it.
#ifndef QUILLPRINT_TESTS_APP_DESKHELPERS_H_
#define QUILLPRINT_TESTS_APP_DESKHELPERS_H_

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/mainform.h"
#include "appfixture.h"
#include "controls/entry/entrynotebook.h"

namespace qptest {

struct DbfField {
  std::string name;
  char type;
  int length;
  int decimals;
  int offset;  // in the record, after the deletion mark
};

// checks.dbf as another program reads it.
struct DbfImage {
  bool ok = false;  // the fields fill the record, and the records are all there
  QByteArray bytes;
  uint32_t count = 0;  // from the header
  int header = 0;
  int record = 0;
  std::vector<DbfField> fields;

  // Where a field of a record starts in the file.
  int At(int rec, const std::string& field) const {
    for (const DbfField& f : fields) {
      if (f.name == field) return header + rec * record + f.offset;
    }
    return -1;
  }
  std::string Value(int rec, const std::string& field) const {
    for (const DbfField& f : fields) {
      if (f.name == field) return bytes.mid(header + rec * record + f.offset, f.length).toStdString();
    }
    return "<no field " + field + ">";
  }
  bool Deleted(int rec) const { return bytes[header + rec * record] == '*'; }
};

inline DbfImage ReadDbf(const QString& path) {
  DbfImage image;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || (image.bytes = f.readAll()).size() < 32) return image;
  const QByteArray& b = image.bytes;
  auto u16 = [&b](int at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; };
  image.count = uint32_t(u16(4)) | uint32_t(u16(6)) << 16;
  image.header = u16(8);
  image.record = u16(10);
  int offset = 1;
  for (int at = 32; at + 32 <= image.header && b[at] != 0x0D; at += 32) {  // names are NUL-padded
    image.fields.push_back({b.mid(at, 11).constData(), b[at + 11], uint8_t(b[at + 16]), uint8_t(b[at + 17]), offset});
    offset += uint8_t(b[at + 16]);
  }
  image.ok = offset == image.record && image.header + qint64(image.count) * image.record <= b.size();
  return image;
}

// Writes bytes into a file at an offset, as another program would.
inline bool Patch(const QString& path, qint64 at, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::ReadWrite) && f.seek(at) && f.write(bytes) == bytes.size();
}

inline std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
}

// Runs `act` as soon as `dialog` shows (inside its exec()); `act` closes it.
inline void WhenShown(QDialog* dialog, std::function<void()> act) {
  auto* timer = new QTimer(dialog);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, dialog, [dialog, timer, act] {
    if (!dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    // Clicks reach a window only once it is active, which on a loaded
    // machine may come a little after it shows.
    if (!QTest::qWaitForWindowActive(dialog)) qWarning("WhenShown: %s never became active", qPrintable(dialog->objectName()));
    // Its layout too: the grid's rows must be where the clicks go.
    QCoreApplication::processEvents();
    act();
  });
  timer->start();
}

// Types into a field as the user would, on whatever page it is, over what
// the field holds.
inline void Type(qp::TMainForm& form, QWidget* field, const QString& text) {
  form.Notebook1->setCurrentWidget(field->parentWidget());
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  for (QChar c : text) {
    // QTest knows ASCII keys only; others come as a key press's text, as a
    // keyboard layout delivers them.
    if (c.unicode() < 0x80) {
      QTest::keyClick(field, c.toLatin1());
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &press);
  }
}

// Closes the window, answering Yes.
inline void CloseWindow(qp::TMainForm& form, AppFixture& fx) {
  fx.msgs->Answer(qp::MsgResult::kYes);
  QVERIFY(form.close());
}

}  // namespace qptest

#endif  // QUILLPRINT_TESTS_APP_DESKHELPERS_H_
