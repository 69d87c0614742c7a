// The component model: ownership, notifications, loading.
#include "components/component.h"

#include <algorithm>

#include "engine/textutil.h"

namespace vz {

namespace {

bool g_design_mode = false;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

void Erase(std::vector<TComponent*>& list, TComponent* c) {
  list.erase(std::remove(list.begin(), list.end(), c), list.end());
}

}  // namespace

bool DesignMode() { return g_design_mode; }
void SetDesignMode(bool on) { g_design_mode = on; }

TComponent::TComponent(TComponent* owner) : designing_(g_design_mode) {
  if (owner) {
    loading_ = owner->loading_;
    owner->InsertComponent(this);
  }
}

TComponent::~TComponent() {
  NotifyRemoval();
  // Owned components go last created first, each leaving this list as it
  // goes, so a notification sent meanwhile never meets a deleted one.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    delete c;
    // A component whose destructor failed to unlink itself would loop here.
    if (!components_.empty() && components_.back() == c) components_.pop_back();
  }
  for (TComponent* w : free_notifies_) Erase(w->free_notifies_, this);
  free_notifies_.clear();
  if (owner_) {
    Erase(owner_->components_, this);
    owner_ = nullptr;
  }
}

void TComponent::MarkDestroying() {
  destroying_ = true;
  for (TComponent* c : components_) c->MarkDestroying();
}

void TComponent::NotifyRemoval() {
  if (removal_sent_) return;
  removal_sent_ = true;
  MarkDestroying();
  // A receiver may drop its interest (or others') while being told, so walk
  // a copy and skip the ones that left meanwhile.
  std::vector<TComponent*> watchers = free_notifies_;
  for (auto it = watchers.rbegin(); it != watchers.rend(); ++it) {
    TComponent* w = *it;
    if (std::find(free_notifies_.begin(), free_notifies_.end(), w) == free_notifies_.end()) continue;
    Erase(w->free_notifies_, this);
    Erase(free_notifies_, w);
    w->Notification(this, TOperation::opRemove);
  }
  // An owner in its own destructor answers with the base Notification,
  // which still tells the siblings.
  if (owner_) owner_->Notification(this, TOperation::opRemove);
}

void TComponent::SetName(const std::string& name) { name_ = name; }

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) return nullptr;
  return components_[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_) {
    if (SameName(c->name_, name)) return c;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component == this || component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, TOperation::opRemove);
  Erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), component) == free_notifies_.end()) {
    free_notifies_.push_back(component);
  }
  if (std::find(component->free_notifies_.begin(), component->free_notifies_.end(), this) ==
      component->free_notifies_.end()) {
    component->free_notifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  Erase(free_notifies_, component);
  Erase(component->free_notifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) {
    Erase(free_notifies_, component);
    Erase(component->free_notifies_, this);
  }
  // Owned components can leave during the walk (a handler deletes one):
  // walk a copy and skip the departed.
  std::vector<TComponent*> children = components_;
  for (TComponent* c : children) {
    if (c == component) continue;
    if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
    c->Notification(component, operation);
  }
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::CollectLoading(std::vector<TComponent*>* out) {
  if (loading_) out->push_back(this);
  for (TComponent* c : components_) c->CollectLoading(out);
}

bool TComponent::Holds(const TComponent* c) const {
  if (c == this) return true;
  for (TComponent* child : components_) {
    if (child->Holds(c)) return true;
  }
  return false;
}

void TComponent::EndLoading() {
  std::vector<TComponent*> pending;
  CollectLoading(&pending);
  for (TComponent* c : pending) {
    // A Loaded() may free other components; skip those that are gone.
    if (Holds(c) && c->loading_) c->Loaded();
  }
}

void TComponent::Loaded() { loading_ = false; }

}  // namespace vz
