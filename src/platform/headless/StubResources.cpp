// Scaffolding until this back-end's resource reader lands: no resource is found.
#include "platform/Resources.h"

namespace plat {
ResData FindResource(ResType, std::uint16_t) { return ResData{}; }
bool LoadString(std::uint16_t, std::string*) { return false; }
}  // namespace plat
