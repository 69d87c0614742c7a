// The engine's process-wide settings.
#include "engine/settings.h"

namespace vz {

EngineSettings& Settings() {
  static EngineSettings settings;
  return settings;
}

void ResetEngineSettings() { Settings() = EngineSettings{}; }

}  // namespace vz
