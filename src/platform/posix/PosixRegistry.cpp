// Desktop registry: HKEY_CURRENT_USER as the text file $XDG_CONFIG_HOME/morgrave/registry.reg.
#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"
#include "platform/common/RegistryFile.h"
#include "platform/posix/PosixPaths.h"

namespace {
// The back-end's own state: the store file and the registry over it.
struct RegistryState {
    plat::RegistryFile file{plat::posix::ConfigDir() + "/registry.reg"};
    plat::FileRegistry store{&file};
};
RegistryState g_registry;
}  // namespace

namespace plat {
long RegOpenKeyEx(HKey parent, const char* sub, std::uint32_t, HKey* out) {
    return g_registry.store.OpenKey(parent, sub, out);
}
long RegCreateKeyEx(HKey parent, const char* sub, std::uint32_t, HKey* out) {
    return g_registry.store.CreateKey(parent, sub, out);
}
long RegQueryValueEx(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size) {
    return g_registry.store.QueryValue(key, name, type, data, size);
}
long RegSetValueEx(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    return g_registry.store.SetValue(key, name, type, data, size);
}
long RegCloseKey(HKey key) { return g_registry.store.CloseKey(key); }
void RegBeginWrites() { g_registry.store.BeginWrites(); }
bool RegEndWrites() { return g_registry.store.EndWrites(); }
std::string RegLastWriteError() { return g_registry.file.LastError(); }
}  // namespace plat
