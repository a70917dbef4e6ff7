// Scaffolding until the .res reader lands: the embedded resources hold nothing.
#include <cstdint>
#include <string>

#include "platform/Resources.h"

namespace plat {
ResData FindEmbeddedResource(ResType, std::uint16_t) { return ResData{}; }
bool LoadEmbeddedString(std::uint16_t, std::string*) { return false; }
}  // namespace plat
