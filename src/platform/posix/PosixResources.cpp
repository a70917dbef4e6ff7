// Linux resources: the .res compiled from the resource script and embedded in the executable.
#include "platform/Resources.h"
#include "platform/common/EmbeddedResources.h"

namespace plat {

ResData FindResource(ResType type, std::uint16_t id) { return FindEmbeddedResource(type, id); }

bool LoadString(std::uint16_t id, std::string* out) { return LoadEmbeddedString(id, out); }

}  // namespace plat
