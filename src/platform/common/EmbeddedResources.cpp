// The executable's own resources on platforms without a resource section: the embedded .res.
#include "platform/common/EmbeddedResources.h"

#include "platform/common/ResBlob.h"
#include "platform/common/ResFile.h"

namespace plat {

namespace {
ResFile Embedded() { return ResFile(kSaverRes, kSaverResSize); }
}  // namespace

ResData FindEmbeddedResource(ResType type, std::uint16_t id) { return Embedded().Find(type, id); }

bool LoadEmbeddedString(std::uint16_t id, std::string* out) { return Embedded().LoadString(id, out); }

}  // namespace plat
