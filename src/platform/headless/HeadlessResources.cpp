// Headless resources: the embedded .res, with per-test overrides layered on top.
#include "platform/headless/HeadlessResources.h"

#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace {

using Key = std::tuple<std::uint16_t, std::string, std::uint16_t>;

Key MakeKey(plat::ResType type, std::uint16_t id) {
    std::string name;
    if (type.name != nullptr) {
        for (const char* p = type.name; *p; ++p)
            name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*p))));
    }
    return Key{type.name ? 0 : type.ordinal, name, id};
}

// One override: bytes, or "absent" (nullopt).
struct Overrides {
    std::map<Key, std::optional<std::vector<std::uint8_t>>> entries;
};

// The back-end's one state object: what an OS would hold for the process.
Overrides g_state;

Overrides& State() { return g_state; }

}  // namespace

namespace headless {

void SetResource(plat::ResType type, std::uint16_t id, std::vector<std::uint8_t> bytes) {
    State().entries[MakeKey(type, id)] = std::move(bytes);
}

void RemoveResource(plat::ResType type, std::uint16_t id) { State().entries[MakeKey(type, id)] = std::nullopt; }

void ResetResources() { State().entries.clear(); }

}  // namespace headless

namespace plat {

// Embedded lookup, provided by the shared .res reader.
ResData FindEmbeddedResource(ResType type, std::uint16_t id);
bool LoadEmbeddedString(std::uint16_t id, std::string* out);

ResData FindResource(ResType type, std::uint16_t id) {
    auto it = State().entries.find(MakeKey(type, id));
    if (it != State().entries.end()) {
        if (!it->second) return ResData{};
        return ResData{it->second->data(), static_cast<std::uint32_t>(it->second->size())};
    }
    return FindEmbeddedResource(type, id);
}

bool LoadString(std::uint16_t id, std::string* out) { return LoadEmbeddedString(id, out); }

void ReleaseResource(ResData) {}

}  // namespace plat
