// A message service for tests: it records every box the program would have
// shown and answers from a queue, so tests run without modal loops and can
// check captions, texts and box types.
//
//   qp::ScopedScriptedMessages msgs;          // installed until end of scope
//   msgs->Answer(qp::MsgResult::kYes);        // the next box is answered Yes
//   window.close();
//   QCOMPARE(msgs->messages().at(0).text, QString("Exit Quillprint Now?"));
#ifndef QUILLPRINT_PLATFORM_QT_SCRIPTED_MESSAGES_H_
#define QUILLPRINT_PLATFORM_QT_SCRIPTED_MESSAGES_H_

#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

#include "platform/qt/messages.h"

namespace qp {

struct RecordedMessage {
  QPointer<QWidget> parent;
  QString caption;
  QString text;
  MsgType type;
  MsgButtons buttons;
  MsgResult answer;
};

class ScriptedMessages : public MessageService {
 public:
  // Queues the answer to the next box. A box that finds the queue empty is
  // answered with the choice that changes nothing: kOk for an OK box, kNo for
  // a Yes/No box, kCancel for an OK/Cancel box; unanswered() counts those.
  void Answer(MsgResult answer) { answers_.push_back(answer); }
  // Queues the outcome of the next print dialog. With the queue empty the
  // print hook decides, and without a hook the dialog counts as cancelled.
  void AnswerPrintDialog(bool accept) { print_answers_.push_back(accept); }

  // Called with the printer of each print dialog the queue does not answer;
  // a test may set the printer up (an output file, say) and accept.
  std::function<bool(QPrinter*)> print_hook;
  // Called for each box before it is answered, while the program waits for
  // the answer, as a user would look at the screen.
  std::function<void(const RecordedMessage&)> on_message;

  // Queues the name the next file dialog gives ("" cancels). With the
  // queue empty the dialog counts as cancelled.
  void AnswerSaveFile(const QString& path) { save_answers_.push_back(path); }
  // The captions of the file dialogs shown, in order.
  const std::vector<QString>& save_dialogs() const { return save_dialogs_; }

  const std::vector<RecordedMessage>& messages() const { return messages_; }
  int print_dialogs() const { return print_dialogs_; }
  int unanswered() const { return unanswered_; }
  // Forgets the record and the queued answers.
  void Clear();

  MsgResult Show(QWidget* parent, const QString& caption, const QString& text, MsgType type,
                 MsgButtons buttons) override;
  bool ExecPrintDialog(QPrinter* printer, QWidget* parent) override;
  QString SaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter) override;

 private:
  std::deque<MsgResult> answers_;
  std::deque<bool> print_answers_;
  std::deque<QString> save_answers_;
  std::vector<QString> save_dialogs_;
  std::vector<RecordedMessage> messages_;
  int print_dialogs_ = 0;
  int unanswered_ = 0;
};

// Installs a ScriptedMessages for its own lifetime and puts the production
// service back afterwards.
class ScopedScriptedMessages {
 public:
  ScopedScriptedMessages();
  ~ScopedScriptedMessages();
  ScopedScriptedMessages(const ScopedScriptedMessages&) = delete;
  ScopedScriptedMessages& operator=(const ScopedScriptedMessages&) = delete;

  ScriptedMessages* operator->() const { return service_; }
  ScriptedMessages& operator*() const { return *service_; }

 private:
  ScriptedMessages* service_;  // owned by the installed-service slot
};

}  // namespace qp

#endif  // QUILLPRINT_PLATFORM_QT_SCRIPTED_MESSAGES_H_
