// Component messages: filling, the level, the warning service.
#include "components/messages.h"

#include <cstdio>

#include "engine/errors.h"

namespace vz {

namespace {

uint8_t g_level = 2;

void DefaultWarning(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

WarningService& Service() {
  static WarningService service = DefaultWarning;
  return service;
}

}  // namespace

std::string FormatMessage(std::string_view pattern, std::initializer_list<MsgArg> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      char k = pattern[i + 1];
      if (k == 's' || k == 'd') {
        if (next != args.end()) out += (next++)->text();
        ++i;
        continue;
      }
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string ComponentText(qp::StrId id, std::initializer_list<MsgArg> args) {
  return FormatMessage(qp::LoadStr(id), args);
}

void ComponentError(qp::StrId id, std::initializer_list<MsgArg> args) {
  throw EVozuvError(ComponentText(id, args));
}

void ShowWarning(const std::string& text) {
  if (g_level != 2) return;
  WarningService& s = Service();
  if (s) s(text);
}

void ComponentWarning(qp::StrId id, std::initializer_list<MsgArg> args) {
  ShowWarning(ComponentText(id, args));
}

uint8_t MessageLevel() { return g_level; }

uint8_t SetMessageLevel(uint8_t level) {
  if (level != 0) g_level = level;
  return g_level;
}

void SetWarningService(WarningService service) {
  Service() = service ? std::move(service) : WarningService(DefaultWarning);
}

void ResetComponentMessagesForTesting() {
  g_level = 2;
  SetWarningService({});
}

}  // namespace vz
