// Headless registry: the text store kept in memory (or, for tests that ask, in a file).
#include <memory>

#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"
#include "platform/common/RegistryFile.h"
#include "platform/headless/HeadlessSystem.h"

namespace {
// The back-end's own state: the store and, when a test asked for one, its file.
struct RegistryState {
    std::unique_ptr<plat::RegistryFile> file;
    std::unique_ptr<plat::FileRegistry> store = std::make_unique<plat::FileRegistry>();
};
RegistryState g_registry;
}  // namespace

namespace plat {
long RegOpenKeyEx(HKey parent, const char* sub, std::uint32_t, HKey* out) {
    return g_registry.store->OpenKey(parent, sub, out);
}
long RegCreateKeyEx(HKey parent, const char* sub, std::uint32_t, HKey* out) {
    return g_registry.store->CreateKey(parent, sub, out);
}
long RegQueryValueEx(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size) {
    return g_registry.store->QueryValue(key, name, type, data, size);
}
long RegSetValueEx(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    return g_registry.store->SetValue(key, name, type, data, size);
}
long RegCloseKey(HKey key) { return g_registry.store->CloseKey(key); }
void RegBeginWrites() { g_registry.store->BeginWrites(); }
bool RegEndWrites() { return g_registry.store->EndWrites(); }
std::string RegLastWriteError() { return g_registry.file ? g_registry.file->LastError() : std::string(); }
}  // namespace plat

namespace headless {
void ResetRegistry() {
    g_registry.store = std::make_unique<plat::FileRegistry>();
    g_registry.file.reset();
}

void UseRegistryFile(const std::string& path) {
    if (path.empty()) {
        ResetRegistry();
        return;
    }
    auto file = std::make_unique<plat::RegistryFile>(path);
    g_registry.store = std::make_unique<plat::FileRegistry>(file.get());
    g_registry.file = std::move(file);
}

bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t* type,
                      std::vector<std::uint8_t>* data) {
    return g_registry.store->GetValue(keyPath, name, type, data);
}

void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::vector<std::uint8_t>& data) {
    g_registry.store->PutValue(keyPath, name, type, data);
}

std::string RegistryText() { return g_registry.store->Serialise(); }

int OpenRegistryKeyCount() { return g_registry.store->OpenHandleCount(); }
}  // namespace headless
