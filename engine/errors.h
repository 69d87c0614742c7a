// The engine's error state: one process-wide code and message that every
// operation sets on failure, and the report that delivers them.
//
// Every engine failure passes through SetError() (or SetErrorCode() followed
// by Report()): one place to break on, one format. What a report does:
//
//   1. the reported-code copy := the error code;
//   2. an EngineErrorHandler, when installed, is called instead of 3-5;
//   3. with code 0 nothing more happens;
//   4. the text "Error # <code> (<description>)\r\n<message>" is composed
//      (the message is taken, see TakeMessage);
//   5. with RaiseEngineErrors on, EVozuvError is thrown with that text;
//      otherwise the halt hook shows it and ends the program with the code.
//
// The default halt hook writes the text to standard error and exits. An exit
// status carries only the low 8 bits of the code, so a code whose remainder
// is 0 (1280, say) exits with 255: a failure must never look like success.
// The windowed program installs a hook that shows the "Program halted." box.
//
// Not thread-safe: the engine runs on one thread.
#ifndef QUILLPRINT_ENGINE_ERRORS_H_
#define QUILLPRINT_ENGINE_ERRORS_H_

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vz {

// The one exception class of the engine and its components. Carries only its
// message text.
class EVozuvError : public std::runtime_error {
 public:
  explicit EVozuvError(const std::string& message) : std::runtime_error(message) {}
};

// ---- the error state ----------------------------------------------------------

// The current error code; 0 means no error.
uint16_t ErrorCode();

// Sets the code to 0. Most operations start with it.
void ClearError();

// Sets the code alone, leaving the message (callers then call Report()).
void SetErrorCode(uint16_t code);

// Stores code and message; reports at once when ReportErrors is on.
void SetError(uint16_t code, std::string message);

// Stores code and message without reporting, whatever ReportErrors says
// (failures that callers are expected to look at themselves).
void SetErrorQuiet(uint16_t code, std::string message);

// Delivers the current error as described at the top of this file.
void Report();

// Returns the stored message and clears it, together with the reported-code
// copy. Messages are UTF-8 throughout (they carry file names).
std::string TakeMessage();

// The code as it stood at the last Report(); cleared by TakeMessage().
uint16_t ReportedCode();

// "Error # <code> (<description>)".
std::string CodeText(unsigned code);
// The description alone ("File not found", "Undefined error" ...).
std::string_view CodeDescription(unsigned code);

// ---- switches -----------------------------------------------------------------

bool ReportErrors();
// Each returns the previous state, so callers can put it back.
bool ReportErrorsOff();
bool ReportErrorsOn();
void SetReportErrors(bool on);

bool RaiseEngineErrors();
void SetRaiseEngineErrors(bool on);

// Called by Report() instead of the normal delivery when set; empty resets.
void SetEngineErrorHandler(std::function<void()> handler);
bool HasEngineErrorHandler();

// Shows the composed text and ends the program (it should not return; if it
// does, the failing operation returns normally with the error state set).
using HaltHook = std::function<void(const std::string& text, unsigned code)>;
// Installs a hook; an empty one restores the default (stderr and exit).
void SetHaltHook(HaltHook hook);

// The exit status that stands for an error code (see the top of this file).
int ExitStatusFor(unsigned code);

// Releasing an absent memory block is an error: code 9, "Attempt to free NIL
// pointer [FreeMem()]". Returns false then.
bool CheckRelease(const void* block);

// Restores ReportErrors when it goes out of scope, however the scope is left.
class ReportErrorsGuard {
 public:
  explicit ReportErrorsGuard(bool on) : saved_(ReportErrors()) { SetReportErrors(on); }
  ~ReportErrorsGuard() { SetReportErrors(saved_); }
  ReportErrorsGuard(const ReportErrorsGuard&) = delete;
  ReportErrorsGuard& operator=(const ReportErrorsGuard&) = delete;

 private:
  bool saved_;
};

// Puts back the whole error configuration (switches, handler, halt hook) and
// clears the state. For tests, which must not leak settings into each other.
void ResetErrorStateForTesting();

}  // namespace vz

#endif  // QUILLPRINT_ENGINE_ERRORS_H_
