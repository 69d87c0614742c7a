// The registry of table components and the layer's start-up.
#include "components/session.h"

#include <algorithm>

#include "engine/memo.h"
#include "engine/textutil.h"

namespace vz {

namespace {

constexpr size_t kAliasLength = 10;

TTzSession* g_session = nullptr;

}  // namespace

TTzSession::TTzSession() : TComponent(nullptr) {}

TTzSession::~TTzSession() {
  // A component leaving on its own removes itself from the list while we
  // walk it, so take each one off before freeing it.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    delete c;
  }
  if (g_session == this) g_session = nullptr;
}

void TTzSession::Add(TComponent* component) {
  if (!component) return;
  if (std::find(components_.begin(), components_.end(), component) == components_.end()) {
    components_.push_back(component);
  }
}

void TTzSession::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

TComponent* TTzSession::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return components_[static_cast<size_t>(index)];
}

TComponent* TTzSession::FindByAlias(std::string_view name, const TComponent* asking) const {
  std::string wanted = ToUpperAscii(name.substr(0, std::min(name.size(), kAliasLength)));
  for (TComponent* c : components_) {
    if (c == asking) continue;
    std::string_view other = c->Name();
    if (ToUpperAscii(other.substr(0, std::min(other.size(), kAliasLength))) == wanted) return c;
  }
  return nullptr;
}

TTzSession* Session() { return g_session; }

void StartComponentLayer(const RegionalSettings& settings) {
  ApplyRegionalSettings(settings);
  // Tables with memo fields open their memo files only through the memo
  // manager: without it a program's notes could be neither read nor
  // written, and Pack would leave dead notes in the memo file for ever.
  StartMemoManager();
  if (!g_session) g_session = new TTzSession();
}

void StopComponentLayer() {
  TTzSession* s = g_session;
  g_session = nullptr;
  delete s;
}

}  // namespace vz
