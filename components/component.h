// The component model of the table components and controls: ownership,
// names, the loading phase and removal notifications.
//
// A component created with an owner is owned by it: deleting the owner
// deletes its components, the last created first, and a component deleted on
// its own leaves its owner's list. Components without an owner belong to
// whoever made them.
//
// Removal notifications. When a component goes away, these hear of it with
// Notification(component, TOperation::opRemove), in this order:
//   1. the components that asked with FreeNotification(), last asker first;
//   2. its owner, whose Notification passes it on to every component the
//      owner holds (and they to theirs), so siblings learn of it.
// Inserting a component into an owner is announced the same way with
// opInsert. A class whose watchers may need to know its type sends the
// notification from its own destructor with NotifyRemoval(); otherwise the
// base destructor sends it, and the receiver then gets a component whose
// derived parts are already gone: compare its address, never cast or call it.
// While an owner is being destroyed its own Notification override is gone;
// the base one still passes the news of its leaving components to the rest.
//
// Loading. BeginLoading() puts a component and everything it owns into the
// loading phase (components created while their owner loads join it);
// EndLoading() ends it by calling Loaded() on each loading component, owner
// before owned, in creation order. Property setters that must wait for the
// whole form (opening a table) remember their value while Loading() and act
// in Loaded().
//
// Design mode is one process-wide switch, always off in the program; a
// component records it when created (Designing()).
//
// Not thread-safe: components live on the user-interface thread.
#ifndef QUILLPRINT_COMPONENTS_COMPONENT_H_
#define QUILLPRINT_COMPONENTS_COMPONENT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vz {

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
};

class TPersistent : public TObject {};

enum class TOperation : uint8_t { opInsert, opRemove };

// Process-wide design-mode switch (off at start).
bool DesignMode();
void SetDesignMode(bool on);

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }

  const std::string& Name() const { return name_; }
  // Renames the component. Subclasses may refuse a name (and say why).
  virtual void SetName(const std::string& name);

  int Tag = 0;

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // The owned component at `index`, or nullptr outside 0..ComponentCount()-1.
  TComponent* Components(int index) const;
  // The first owned component named `name` (without regard to ASCII case),
  // or nullptr.
  TComponent* FindComponent(std::string_view name) const;

  // Takes `component` away from its present owner and makes this its owner.
  void InsertComponent(TComponent* component);
  // Gives `component` up (it then has no owner and is not deleted).
  void RemoveComponent(TComponent* component);

  // Asks to be told (Notification with opRemove) when `component` goes away.
  // Either side may go first; the other forgets it.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  bool Loading() const { return loading_; }
  bool Designing() const { return designing_; }
  bool Destroying() const { return destroying_; }

  void BeginLoading();
  void EndLoading();

 protected:
  // Ends this component's loading phase. Overrides call the base first.
  virtual void Loaded();
  // The base forgets a removed component it watched and passes the news on
  // to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);
  // Sends the removal notifications now (once); see the top of this file.
  void NotifyRemoval();

 private:
  void CollectLoading(std::vector<TComponent*>* out);
  bool Holds(const TComponent* c) const;  // c is this or below it
  void MarkDestroying();

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  bool loading_ = false;
  bool designing_ = false;
  bool destroying_ = false;
  bool removal_sent_ = false;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_COMPONENT_H_
