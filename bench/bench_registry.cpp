// Start-up on hostile settings stores at the size limit: the time to read and settle the settings.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "platform/common/FileRegistry.h"
#include "platform/common/RegistryFile.h"
#include "platform/headless/HeadlessSystem.h"

namespace {

const std::string kSettings = "[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\morgrave\\Settings]\n";

// A store of `unit` repeated up to just under the size limit.
std::string Repeated(const std::string& head, const std::string& unit) {
    std::string text = head;
    const std::size_t limit = plat::RegistryFile::kMaxBytes - 64;
    text.reserve(limit);
    while (text.size() + unit.size() <= limit) text += unit;
    return text;
}

struct Store {
    const char* name;
    std::string text;
};

std::vector<Store> Stores() {
    return {
        {"settings headers", Repeated("", kSettings)},
        {"headers on the way to the settings", Repeated("", "[HKEY_CURRENT_USER\\Software]\n")},
        {"headers of another root", Repeated("", "[a]\n")},
        {"newlines", Repeated("", "\n")},
        {"newlines in the settings", Repeated(kSettings, "\n")},
        {"values", Repeated(kSettings, "\"v\"=dword:1\n")},
        {"one hex value", Repeated(kSettings + "\"h\"=hex:00,\\\n", "00,00,00,00,00,00,00,00,00,00,\\\n")},
        {"empty keys on the way between other keys", Repeated("", "[HKEY_CURRENT_USER\\Software]\n[a]\n")},
        {"values of another key (every write refused)",
         Repeated("[HKEY_CURRENT_USER\\Software\\Other]\n", "\"v\"=dword:1\n")},
    };
}

// One start-up of the saver's settings mode without a mode: read, defaults written back.
void StartUp() {
    std::string arg0 = "morgrave", arg1 = "/save";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    theApp.m_argc = 2;
    theApp.m_argv = argv;
    theApp.m_bConfigure = theApp.m_bPreview = theApp.m_bFullScreen = 0;
    theApp.InitInstance();
    theApp.m_argc = 0;
    theApp.m_argv = nullptr;
}

void BM_StartUpOnStore(benchmark::State& state) {
    const Store store = Stores()[static_cast<std::size_t>(state.range(0))];
    char pattern[] = "/tmp/morgrave-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(pattern) + "/registry.reg";
    headless::SetModuleFileName("/usr/lib/morgrave/morgrave");
    theApp.m_pszAppName = nullptr;
    theApp.SetCurrentHandles();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(path, std::ios::binary) << store.text;
        headless::UseRegistryFile(path);
        state.ResumeTiming();
        StartUp();
    }
    state.SetLabel(std::string(store.name) + ", " + std::to_string(store.text.size()) + " bytes");
    headless::ResetRegistry();
    std::remove(path.c_str());
    std::remove((path + ".lock").c_str());
    ::rmdir(pattern);
}
BENCHMARK(BM_StartUpOnStore)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parse alone, once per operation that finds the text changed.
void BM_ParseStore(benchmark::State& state) {
    const Store store = Stores()[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        plat::FileRegistry registry;
        registry.Parse(store.text);
        benchmark::DoNotOptimize(registry.OpenHandleCount());
    }
    state.SetLabel(store.name);
}
BENCHMARK(BM_ParseStore)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
