// Lookups in the .res that the build embeds in the executable (plat::kSaverRes).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Resources.h"

namespace plat {

// The POSIX and headless FindResource call this for every resource the framework asks for.
ResData FindEmbeddedResource(ResType type, std::uint16_t id);

// The POSIX and headless LoadString call this; false when the string is absent or empty.
bool LoadEmbeddedString(std::uint16_t id, std::string* out);

}  // namespace plat
