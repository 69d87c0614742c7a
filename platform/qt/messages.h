// The message service: every modal message box of the program, the print
// dialog and the dialog naming a file to write pass through one replaceable
// object.
//
// The program shows QMessageBox and QPrintDialog through the production
// service. Tests install a scripted answerer (platform/qt/scripted_messages.h)
// that records each message and answers from a queue, so that a test never
// blocks in a modal loop and can check what the user would have been told.
#ifndef QUILLPRINT_PLATFORM_QT_MESSAGES_H_
#define QUILLPRINT_PLATFORM_QT_MESSAGES_H_

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace qp {

// The kind of box, which decides its icon: a question mark for a
// confirmation, the stop sign for errors and for kStop, "i" for information,
// the exclamation mark for warnings.
enum class MsgType { kConfirmation, kError, kInformation, kWarning, kStop };
enum class MsgButtons { kOk, kYesNo, kOkCancel };
// kCancel: the Cancel button, or the box was closed without one of its
// buttons (Escape on an OK box gives kOk, on a Yes/No box kNo, as the
// buttons' roles say; on an OK/Cancel box kCancel).
enum class MsgResult { kOk, kYes, kNo, kCancel };

class MessageService {
 public:
  virtual ~MessageService();

  // Shows a modal box over `parent` (or the active window when null) and
  // returns the button the user chose.
  virtual MsgResult Show(QWidget* parent, const QString& caption, const QString& text,
                         MsgType type, MsgButtons buttons) = 0;

  // Runs the print dialog for `printer`, which it configures. True when the
  // user confirmed printing.
  virtual bool ExecPrintDialog(QPrinter* printer, QWidget* parent) = 0;

  // Asks for the name of a file to write, starting at `suggested`, with
  // `caption` as the dialog's title and `filter` as its file types ("CSV
  // files (*.csv)"). The name chosen, or "" when the user cancelled. An
  // existing file is asked about by the dialog before it is named.
  virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                               const QString& filter) = 0;
};

// The installed service; the production one unless another was set.
MessageService& Messages();

// Installs a service (the caller gives up ownership). Null puts the
// production service back.
void SetMessageService(std::unique_ptr<MessageService> service);

// The application's title, the caption of the program's message boxes:
// "Quillprint" until set otherwise.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Shows a message through the installed service with the application's title
// as caption unless `caption` is given.
MsgResult ShowMessage(QWidget* parent, const QString& text, MsgType type,
                      MsgButtons buttons = MsgButtons::kOk, const QString& caption = QString());

}  // namespace qp

#endif  // QUILLPRINT_PLATFORM_QT_MESSAGES_H_
