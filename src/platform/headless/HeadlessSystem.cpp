// Headless system services: simulated clock, settable module and trace paths, sound log, modules.
#include "platform/headless/HeadlessSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "platform/System.h"

namespace {

std::string LowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string DefaultTracePath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/morgrave-headless-trace.txt";
}

struct Module {
    headless::ModuleSymbols symbols;
};

// The back-end's own state.
struct SystemState {
    std::int64_t clockMs = 1700000000000;  // a fixed, ordinary date: runs are repeatable
    std::string moduleFileName = "/usr/lib/morgrave/morgrave";
    std::string traceFilePath = DefaultTracePath();
    std::vector<std::uint16_t> sounds;
    std::map<std::string, std::unique_ptr<Module>> modules;  // by lower-case name
    int loads = 0;
    int frees = 0;
    int attempts = 0;
};
SystemState g_system;

}  // namespace

namespace plat {
std::int64_t TimeSeconds() {
    const std::int64_t ms = g_system.clockMs;
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

bool StartProcess(int, char**) { return true; }

std::string GetModuleFileName() { return g_system.moduleFileName; }

std::string TraceFilePath() { return g_system.traceFilePath; }

HModule LoadLibrary(const char* name) {
    ++g_system.attempts;
    if (name == nullptr) return nullptr;
    const auto it = g_system.modules.find(LowerCase(name));
    if (it == g_system.modules.end()) return nullptr;
    ++g_system.loads;
    return it->second.get();
}

void* GetProcAddress(HModule module, const char* symbol) {
    if (module == nullptr || symbol == nullptr) return nullptr;
    for (const auto& entry : g_system.modules) {
        if (entry.second.get() != module) continue;
        const auto it = entry.second->symbols.find(symbol);
        return it != entry.second->symbols.end() ? it->second : nullptr;
    }
    return nullptr;
}

void FreeLibrary(HModule module) {
    if (module != nullptr) ++g_system.frees;
}

void PlaySoundResource(std::uint16_t id) { g_system.sounds.push_back(id); }
}  // namespace plat

namespace headless {
void SetClockMs(std::int64_t ms) { g_system.clockMs = ms; }
void AdvanceClockMs(std::int64_t ms) { g_system.clockMs += ms; }
std::int64_t NowMs() { return g_system.clockMs; }

void SetModuleFileName(const std::string& path) { g_system.moduleFileName = path; }
void SetTraceFilePath(const std::string& path) { g_system.traceFilePath = path; }

const std::vector<std::uint16_t>& SoundLog() { return g_system.sounds; }
void ClearSoundLog() { g_system.sounds.clear(); }

void RegisterModule(const std::string& name, ModuleSymbols symbols) {
    auto module = std::make_unique<Module>();
    module->symbols = std::move(symbols);
    g_system.modules[LowerCase(name)] = std::move(module);
}

void ResetModules() {
    g_system.modules.clear();
    g_system.loads = 0;
    g_system.frees = 0;
    g_system.attempts = 0;
}

int ModuleLoadCount() { return g_system.loads; }
int ModuleFreeCount() { return g_system.frees; }
int ModuleLoadAttempts() { return g_system.attempts; }
}  // namespace headless
