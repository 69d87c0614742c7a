// The scripted message service used by tests.
#include "platform/qt/scripted_messages.h"

#include <memory>

namespace qp {

void ScriptedMessages::Clear() {
  answers_.clear();
  print_answers_.clear();
  save_answers_.clear();
  save_dialogs_.clear();
  messages_.clear();
  print_dialogs_ = 0;
  unanswered_ = 0;
}

MsgResult ScriptedMessages::Show(QWidget* parent, const QString& caption, const QString& text,
                                 MsgType type, MsgButtons buttons) {
  MsgResult answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else {
    switch (buttons) {
      case MsgButtons::kYesNo: answer = MsgResult::kNo; break;
      case MsgButtons::kOkCancel: answer = MsgResult::kCancel; break;
      default: answer = MsgResult::kOk; break;
    }
    ++unanswered_;
  }
  RecordedMessage record{parent, caption, text, type, buttons, answer};
  messages_.push_back(record);
  if (on_message) on_message(record);
  return answer;
}

bool ScriptedMessages::ExecPrintDialog(QPrinter* printer, QWidget*) {
  ++print_dialogs_;
  if (!print_answers_.empty()) {
    bool accept = print_answers_.front();
    print_answers_.pop_front();
    return accept;
  }
  return print_hook ? print_hook(printer) : false;
}

QString ScriptedMessages::SaveFileName(QWidget*, const QString& caption, const QString&,
                                       const QString&) {
  save_dialogs_.push_back(caption);
  if (save_answers_.empty()) return QString();
  QString path = save_answers_.front();
  save_answers_.pop_front();
  return path;
}

ScopedScriptedMessages::ScopedScriptedMessages() {
  auto service = std::make_unique<ScriptedMessages>();
  service_ = service.get();
  SetMessageService(std::move(service));
}

ScopedScriptedMessages::~ScopedScriptedMessages() { SetMessageService(nullptr); }

}  // namespace qp
