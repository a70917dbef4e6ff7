// The compiled resource file (.res) embedded in the Linux executable by the build.
#pragma once

#include <cstddef>

namespace plat {

extern const unsigned char kSaverRes[];
extern const std::size_t kSaverResSize;

}  // namespace plat
