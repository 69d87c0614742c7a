// Error state, report delivery and the table of error texts.
#include "engine/errors.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vz {

namespace {

struct ErrorState {
  uint16_t code = 0;
  uint16_t reported = 0;
  std::string message;
  bool report_errors = true;
  bool raise = false;
  std::function<void()> handler;
  HaltHook halt;
};

ErrorState& State() {
  static ErrorState state;
  return state;
}

void DefaultHalt(const std::string& text, unsigned code) {
  std::fflush(stdout);
  std::fprintf(stderr, "Program halted.\n%s\n", text.c_str());
  std::fflush(stderr);
  std::exit(ExitStatusFor(code));
}

struct CodeEntry {
  uint16_t code;
  const char* text;
};

// Codes below 200 are the operating system's and the run-time library's;
// from 200 on they are the engine's own.
constexpr CodeEntry kCodeTexts[] = {
    {1, "Invalid DOS function code"},
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {6, "Invalid file handle"},
    {8, "Not enough memory"},
    {9, "Memory block address invalid"},
    {10, "Environment invalid"},
    {11, "Format invalid"},
    {12, "Invalid file access code"},
    {13, "Data invalid"},
    {14, "Unknown unit"},
    {15, "Invalid drive number"},
    {16, "Cannot remove current directory"},
    {17, "Cannot rename across drives"},
    {18, "Too many open files"},
    {19, "Disk write-protected"},
    {20, "Unknown unit"},
    {21, "Drive not ready"},
    {22, "Unknown command"},
    {23, "CRC error in data"},
    {24, "Bad drive request structure length"},
    {25, "Disk seek error"},
    {26, "Unknown media type"},
    {27, "Disk sector not found"},
    {28, "Printer out of paper"},
    {29, "Device write fault"},
    {30, "Device read fault"},
    {31, "General failure"},
    {32, "File sharing violation"},
    {33, "File lock violation"},
    {34, "Disk change invalid"},
    {35, "File Control Block unavailable"},
    {36, "File sharing buffer overflow"},
    {50, "Unsupported network request"},
    {51, "Remote machine not listening"},
    {52, "Duplicate name on network"},
    {53, "Network name not found"},
    {54, "Network busy"},
    {55, "Device no longer exists on network"},
    {56, "Net-Bios command limit exceeded"},
    {57, "Error in network adapter hardware"},
    {58, "Incorrect response from network"},
    {59, "Unexpected network error"},
    {60, "Remote adapter incompatible"},
    {100, "Disk read error"},
    {101, "Disk write error (probable cause: Disk Full)."},
    {102, "File not assigned"},
    {103, "File not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {106, "Invalid numeric format"},
    {150, "Disk write-protected"},
    {151, "Unknown unit"},
    {152, "Drive not ready"},
    {153, "Unknown command"},
    {154, "CRC error in data"},
    {155, "Bad drive request structure length"},
    {156, "Disk seek error"},
    {157, "Unknown media type"},
    {158, "Disk sector not found"},
    {159, "Printer out of paper"},
    {160, "Device write fault"},
    {161, "Device read fault"},
    {162, "File sharing violation"},
    {200, "Division by zero error"},
    {201, "Range check error"},
    {202, "Stack overflow error"},
    {203, "Heap overflow error"},
    {204, "Invalid pointer operation"},
    {205, "Floating point overflow"},
    {206, "Floating point underflow"},
    {207, "Invalid floating point operation"},
    {208, "Overlay-manager not installed"},
    {209, "Overlay file read error"},
    {210, "Not a dBASE data file"},
    {211, "Invalid database field type encountered"},
    {212, "Request beyond range"},
    {213, "End of file found unexpectedly"},
    {214, "File already in use"},
    {215, "No database in use"},
    {216, "GP Fault"},
    {217, "Insufficient memory"},
    {218, "Invalid pointer specified"},
    {219, "Cannot duplicate file handle"},
    {220, "Invalid parameter"},
    {221, "Index file not open"},
    {222, "Corrupted index file"},
    {223, "Index version mismatch"},
    {224, "Cyclical relationship detected"},
    {225, "Exclusive Use() required"},
    {226, "BROWSE not active"},
    {227, "Insufficient disk space "},
    {228, "Unbalanced Push/Pop operation "},
    {229, "dBASE IV memo files not supported"},
    {230, "No dBASE memory variables loaded"},
    {231, "Screen library not open"},
    {239, "Missing colon in time"},
    {240, "Non-numeric character in time"},
    {241, "Invalid time specified"},
    {242, "Negative time specified"},
    {243, "TimeDiff result negative"},
    {254, "Vozuv internal error"},
    {266, "Invalid size"},
    {1003, "Invalid memo address"},
    {1004, "Disk full"},
    {1005, "Memo file write error"},
    {1007, "Memo file is already open"},
    {1012, "Insufficient disk space to pack memo file"},
    {1017, "Cannot lock memo file"},
    {1018, "Cannot unlock memo file"},
    {1019, "Invalid memo operation: database not open or no memo field in database"},
    {1100, "Not a valid operation on Linked List"},
    {1101, "Virtual File Manager Unit not Linked in"},
    {1102, "Virtual File Memory Management Error"},
    {1103, "Invalid Operation "},
    {1200, "Record not locked"},
    {1201, "File not locked"},
    {1202,
     "Semaphore file error. Possible solutions: log into network or load SHARE.EXE before "
     "running Windows"},
    {1300, "File format not supported"},
};

}  // namespace

uint16_t ErrorCode() { return State().code; }

void ClearError() { State().code = 0; }

void SetErrorCode(uint16_t code) { State().code = code; }

void SetError(uint16_t code, std::string message) {
  ErrorState& s = State();
  s.code = code;
  s.message = std::move(message);
  if (s.report_errors) Report();
}

void SetErrorQuiet(uint16_t code, std::string message) {
  ErrorState& s = State();
  s.code = code;
  s.message = std::move(message);
}

void Report() {
  ErrorState& s = State();
  s.reported = s.code;
  if (s.handler) {
    // Copy: the handler may replace itself.
    auto handler = s.handler;
    handler();
    return;
  }
  if (s.code == 0) return;
  unsigned code = s.code;
  std::string text = CodeText(code) + "\r\n" + TakeMessage();
  if (s.raise) throw EVozuvError(text);
  if (s.halt) {
    auto halt = s.halt;
    halt(text, code);
  } else {
    DefaultHalt(text, code);
  }
}

std::string TakeMessage() {
  ErrorState& s = State();
  std::string m = std::move(s.message);
  s.message.clear();
  s.reported = 0;
  return m;
}

uint16_t ReportedCode() { return State().reported; }

std::string_view CodeDescription(unsigned code) {
  if (code >= 1203 && code <= 1299) return "Network Error";
  for (const auto& e : kCodeTexts) {
    if (e.code == code) return e.text;
  }
  return "Undefined error";
}

std::string CodeText(unsigned code) {
  std::string text = "Error # ";
  text += std::to_string(code % 100000u);
  text += " (";
  text += CodeDescription(code);
  text += ")";
  return text;
}

bool ReportErrors() { return State().report_errors; }

bool ReportErrorsOff() {
  bool old = State().report_errors;
  State().report_errors = false;
  return old;
}

bool ReportErrorsOn() {
  bool old = State().report_errors;
  State().report_errors = true;
  return old;
}

void SetReportErrors(bool on) { State().report_errors = on; }

bool RaiseEngineErrors() { return State().raise; }
void SetRaiseEngineErrors(bool on) { State().raise = on; }

void SetEngineErrorHandler(std::function<void()> handler) { State().handler = std::move(handler); }
bool HasEngineErrorHandler() { return static_cast<bool>(State().handler); }

void SetHaltHook(HaltHook hook) { State().halt = std::move(hook); }

int ExitStatusFor(unsigned code) {
  int status = static_cast<int>(code % 256u);
  if (code != 0 && status == 0) status = 255;
  return status;
}

bool CheckRelease(const void* block) {
  if (block) return true;
  SetError(9, "Attempt to free NIL pointer [FreeMem()]");
  return false;
}

void ResetErrorStateForTesting() { State() = ErrorState{}; }

}  // namespace vz
