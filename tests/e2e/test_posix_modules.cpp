// Password modules on the posix back-end, without a display: where they are looked for, that only
// regular files are loaded, and the check in a helper process (this test's own executable serves
// as the helper, as the saver's does), whose crash, abort or exit refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/System.h"

namespace {

namespace fs = std::filesystem;

constexpr int kNoModule = -1;

// What the saver's check gets from the password module found first: its answer, or kNoModule.
int Check() {
    plat::HModule module = plat::LoadLibrary("Password.cpl");
    if (module == nullptr) return kNoModule;
    using Verify = int (*)(plat::Hwnd);
    auto verify = reinterpret_cast<Verify>(plat::GetProcAddress(module, "VerifyScreenSavePwd"));
    const int answer = verify != nullptr ? verify(42) : kNoModule;
    plat::FreeLibrary(module);
    return answer;
}

TEST(PosixModules, TheCheckRunsApartAndOnlyItsOwnAnswerAllowsTheClose) {
    const fs::path modules = MG_MODULES_DIR;
    const fs::path dir = fs::temp_directory_path() / ("mg-modules-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path so = dir / "password.so";
    setenv("HOME", "/nonexistent", 1);
    // A module folder of the build, or a file planted here: a truncated module kills dlopen itself
    // (SIGBUS); text does not load, which is as if there were no module, so the saver may end.
    const std::pair<std::string, int> cases[] = {{"refuse", 0},    {"accept", 1},       {"crash", 0},
                                                 {"abort", 0},     {"exit", 0},         {"text", 1},
                                                 {"truncated", 0}, {"fifo", kNoModule}, {"missing", kNoModule}};
    for (const auto& [kind, answer] : cases) {
        const bool built = fs::exists(modules / kind);
        fs::remove(so);
        EXPECT_TRUE(kind != "fifo" || mkfifo(so.c_str(), 0600) == 0);
        if (kind == "text") std::ofstream(so) << "not a shared object\n";
        if (kind == "truncated") fs::copy_file(modules / "accept" / "password.so", so);
        if (kind == "truncated") fs::resize_file(so, 4096);
        setenv("MORGRAVE_MODULE_DIR", (built ? modules / kind : dir).c_str(), 1);
        EXPECT_EQ(answer, Check()) << kind;
    }
    // A relative folder, or a relative home, never leads to a module in the working folder.
    fs::create_directories(dir / "rel" / ".local" / "lib" / "morgrave");
    fs::copy_file(modules / "accept" / "password.so", dir / "rel" / ".local" / "lib" / "morgrave" / "password.so");
    fs::copy_file(modules / "accept" / "password.so", dir / "rel" / "password.so");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    setenv("MORGRAVE_MODULE_DIR", "rel", 1);
    setenv("HOME", "rel", 1);
    EXPECT_EQ(kNoModule, Check());
    setenv("HOME", (dir / "rel").c_str(), 1);  // the same module through an absolute home is found
    EXPECT_EQ(1, Check());
    fs::current_path(cwd);
    fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
    plat::StartProcess(argc, argv);  // the helper invocation runs here
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
