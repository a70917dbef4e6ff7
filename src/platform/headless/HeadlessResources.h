// Test control of the headless resources: replace or add a resource for the rest of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Resources.h"

namespace headless {

// Tests call this to add or replace resource (type, id) with these bytes (copied).
void SetResource(plat::ResType type, std::uint16_t id, std::vector<std::uint8_t> bytes);
// Tests call this to hide resource (type, id), as if the executable did not hold it.
void RemoveResource(plat::ResType type, std::uint16_t id);
// Tests call this to drop every override, so lookups see only the embedded resources again.
void ResetResources();

}  // namespace headless
