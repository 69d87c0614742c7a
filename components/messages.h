// Component messages: texts from the resource string table, filled in,
// raised as errors or shown as warnings.
//
// Errors of the component layer throw vz::EVozuvError with the filled text.
// Warnings go through one installable warning service, and only while the
// message level is 2: the default service writes the text and a line end to
// standard error, the windowed program installs one that shows a modal box,
// tests install one that records.
//
// The message level is a process-wide byte, 2 at start. Level 1 silences
// warnings and also keeps engine error reporting off while a table
// component opens its table.
//
// Filling: each "%s" or "%d" takes the next argument in order (an integer
// argument is written in decimal); "%%" is one "%"; a place without an
// argument left becomes empty; other "%" sequences stay as they are.
#ifndef QUILLPRINT_COMPONENTS_MESSAGES_H_
#define QUILLPRINT_COMPONENTS_MESSAGES_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine/textutil.h"
#include "resources/strings.h"

namespace vz {

// One argument of a message: a text, or an integer written in decimal.
class MsgArg {
 public:
  MsgArg(std::string_view text) : text_(text) {}  // NOLINT: implicit on purpose
  MsgArg(const char* text) : text_(text ? text : "") {}  // NOLINT
  MsgArg(const std::string& text) : text_(text) {}  // NOLINT
  template <typename Int, std::enable_if_t<std::is_integral_v<Int> && !std::is_same_v<Int, char> &&
                                               !std::is_same_v<Int, bool>, int> = 0>
  MsgArg(Int value) : text_(NumberText(static_cast<int64_t>(value))) {}  // NOLINT
  MsgArg(char c) : text_(1, c) {}  // NOLINT

  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

std::string FormatMessage(std::string_view pattern, std::initializer_list<MsgArg> args = {});

// The resource string `id`, filled with `args`.
std::string ComponentText(qp::StrId id, std::initializer_list<MsgArg> args = {});

// Throws EVozuvError with the filled resource string.
[[noreturn]] void ComponentError(qp::StrId id, std::initializer_list<MsgArg> args = {});

// Shows the filled resource string as a warning when the message level is 2.
void ComponentWarning(qp::StrId id, std::initializer_list<MsgArg> args = {});
// The same for a text already made.
void ShowWarning(const std::string& text);

uint8_t MessageLevel();
// Sets the level; 0 leaves it unchanged. Returns the level now in force.
uint8_t SetMessageLevel(uint8_t level);

using WarningService = std::function<void(const std::string& text)>;
// Installs the warning service; an empty one puts the default back.
void SetWarningService(WarningService service);

// Level 2 and the default service again (tests).
void ResetComponentMessagesForTesting();

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_MESSAGES_H_
