// The session of the component layer: the registry of table components and
// the layer's start-up and shut-down.
//
// Start-up takes the platform's regional settings (the layer cannot ask the
// windowing toolkit itself): the windowed program passes what the system
// locale says, a program without windows passes the defaults of
// vz::RegionalSettings (".", "," and "MM/dd/yy"), tests pass fixed values.
// From them the engine's separators, CenturyOn and DateFormat are set
// (vz::ApplyRegionalSettings), the memo manager is started (so that tables
// open with their memo files), and the one process-wide TTzSession is made.
// Shut-down frees the session, and with it the table components still
// registered, last first.
#ifndef QUILLPRINT_COMPONENTS_SESSION_H_
#define QUILLPRINT_COMPONENTS_SESSION_H_

#include <string_view>
#include <vector>

#include "components/component.h"
#include "engine/national.h"

namespace vz {

// The registry of table components; their names' first 10 characters serve
// as table aliases and must be unique among them.
class TTzSession : public TComponent {
 public:
  TTzSession();
  // Frees the components still registered, last first.
  ~TTzSession() override;

  // Registering twice keeps one entry; removing an absent one does nothing.
  void Add(TComponent* component);
  void Remove(TComponent* component);
  int Count() const { return static_cast<int>(components_.size()); }
  TComponent* Item(int index) const;  // nullptr outside

  // The first registered component other than `asking` whose name's first
  // 10 characters equal those of `name`, without regard to ASCII case; or
  // nullptr.
  TComponent* FindByAlias(std::string_view name, const TComponent* asking) const;

 private:
  std::vector<TComponent*> components_;
};

// The session between StartComponentLayer and StopComponentLayer; nullptr
// outside.
TTzSession* Session();

// Applies the regional settings and makes the session (a second start only
// applies the settings).
void StartComponentLayer(const RegionalSettings& settings);
// Frees the session; nothing when it is not there.
void StopComponentLayer();

// Start-up and shut-down as a scope.
class ComponentLayer {
 public:
  explicit ComponentLayer(const RegionalSettings& settings) { StartComponentLayer(settings); }
  ~ComponentLayer() { StopComponentLayer(); }
  ComponentLayer(const ComponentLayer&) = delete;
  ComponentLayer& operator=(const ComponentLayer&) = delete;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_SESSION_H_
