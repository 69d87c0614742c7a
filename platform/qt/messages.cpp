// The production message service over QMessageBox and QPrintDialog, and the
// process-wide slot that holds whichever service is installed.
#include "platform/qt/messages.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace qp {

namespace {

class BoxService final : public MessageService {
 public:
  MsgResult Show(QWidget* parent, const QString& caption, const QString& text, MsgType type,
                 MsgButtons buttons) override {
    QMessageBox box(IconFor(type), caption, text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    if (buttons == MsgButtons::kYesNo) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
    } else if (buttons == MsgButtons::kOkCancel) {
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
    } else {
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
    }
    switch (box.exec()) {
      case QMessageBox::Ok: return MsgResult::kOk;
      case QMessageBox::Yes: return MsgResult::kYes;
      case QMessageBox::No: return MsgResult::kNo;
      default: return MsgResult::kCancel;
    }
  }

  bool ExecPrintDialog(QPrinter* printer, QWidget* parent) override {
    QPrintDialog dialog(printer, parent ? parent : QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
  }

  QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter) override {
    return QFileDialog::getSaveFileName(parent ? parent : QApplication::activeWindow(), caption,
                                        suggested, filter);
  }

 private:
  static QMessageBox::Icon IconFor(MsgType type) {
    switch (type) {
      case MsgType::kConfirmation: return QMessageBox::Question;
      case MsgType::kInformation: return QMessageBox::Information;
      case MsgType::kWarning: return QMessageBox::Warning;
      case MsgType::kError:
      case MsgType::kStop: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
  }
};

std::unique_ptr<MessageService>& Slot() {
  static std::unique_ptr<MessageService> service;
  return service;
}

QString& Title() {
  static QString title = QStringLiteral("Quillprint");
  return title;
}

}  // namespace

MessageService::~MessageService() = default;

MessageService& Messages() {
  std::unique_ptr<MessageService>& slot = Slot();
  if (!slot) slot = std::make_unique<BoxService>();
  return *slot;
}

void SetMessageService(std::unique_ptr<MessageService> service) { Slot() = std::move(service); }

QString ApplicationTitle() { return Title(); }

void SetApplicationTitle(const QString& title) { Title() = title; }

MsgResult ShowMessage(QWidget* parent, const QString& text, MsgType type, MsgButtons buttons,
                      const QString& caption) {
  return Messages().Show(parent, caption.isEmpty() ? ApplicationTitle() : caption, text, type,
                         buttons);
}

}  // namespace qp
