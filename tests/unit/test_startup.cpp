// Start-up: mode letters, argument 2 as a handle, the host window request and the generator's seed.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "framework/WinApp.h"
#include "platform/common/HostWindow.h"
#include "platform/headless/HeadlessSystem.h"
#include "scene/SceneRandom.h"

namespace {

using Mode = CSaverApp::Mode;

Mode Select(std::vector<std::string> args) {
    args.insert(args.begin(), "morgrave");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return CSaverApp::SelectMode(static_cast<int>(args.size()), argv.data());
}

TEST(Startup, ArgumentOneSelectsTheModeWithOneLetterAndOnePrefix) {
    EXPECT_EQ(Mode::Settings, Select({}));
    for (const char* a : {"c", "C", "/c", "-c", "/C", "/c:1234", "-C:0", "/c:", "/C:12x"})
        EXPECT_EQ(Mode::Settings, Select({a})) << a;
    for (const char* a : {"s", "S", "/s", "-S"}) EXPECT_EQ(Mode::FullScreen, Select({a})) << a;
    for (const char* a : {"p", "/P", "-p"}) EXPECT_EQ(Mode::Preview, Select({a, "1234"})) << a;
    for (const char* a : {"a", "/A", "-a"}) EXPECT_EQ(Mode::Password, Select({a, "1234"})) << a;
    for (const char* a : {"//s", "--c", "/s:0", "/save", "cc", "-", "/", "", " c", "c ", "x", "/p:1", "c:1", "//c:1"})
        EXPECT_EQ(Mode::None, Select({a})) << a;
    // Only argument 1 picks the mode.
    EXPECT_EQ(Mode::None, Select({"x", "s"}));
    EXPECT_EQ(Mode::FullScreen, Select({"s", "c", "p"}));
    // The settings switch's owner: the number after the colon.
    EXPECT_EQ(static_cast<HWND>(1234), CSaverApp::OwnerFromSettingsSwitch("-C:1234"));
    EXPECT_EQ(static_cast<HWND>(0), CSaverApp::OwnerFromSettingsSwitch("/c:"));
    EXPECT_EQ(static_cast<HWND>(0), CSaverApp::OwnerFromSettingsSwitch("/c"));
}

TEST(Startup, ArgumentTwoIsASignedDecimalNumberClampedTo32Bits) {
    const struct {
        const char* text;
        LONG value;
    } cases[] = {
        {"+1234", 1234},
        {"1234abc", 1234},
        {"\t\n\v\f\r 1234 5", 1234},
        {"-5", -5},
        {nullptr, 0},
        {"", 0},
        {"abc", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999999999999999999", INT_MAX},
        {"-99999999999999999999999999999999999999", INT_MIN},
        {"0000000000000000000000000000077", 77},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value, CSaverApp::ParseHandleArgument(c.text)) << (c.text ? c.text : "-");

    // The window handle comes from argument 2; none gives 0, a negative number sign-extends.
    std::string a0 = "morgrave", a1 = "/p", a2 = "-5";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    theApp.m_argc = 3;
    theApp.m_argv = argv;
    EXPECT_EQ(static_cast<HWND>(static_cast<std::intptr_t>(-5)), theApp.GetArgumentWindow());
    theApp.m_argc = 2;
    EXPECT_EQ(static_cast<HWND>(0), theApp.GetArgumentWindow());
    theApp.m_argc = 0;
    theApp.m_argv = nullptr;
}

// The desktop's host window (-window-id, else $XSCREENSAVER_WINDOW): an id that names no plausible
// window stays a request with id 0 (the back-end refuses it) instead of silently becoming "no host".
TEST(Startup, HostWindowRequestIsReadStrictly) {
    const std::string huge(1 << 20, 'x');
    const struct {
        std::vector<const char*> args;  // after "morgrave"
        const char* env;
        bool requested;
        unsigned long id;
    } cases[] = {
        {{"s"}, nullptr, false, 0},
        {{"s"}, "", false, 0},
        {{"s"}, "0x99", true, 0x99},
        {{"s"}, "0x1fffffff0", true, 0},
        {{"s", "--window-id", "4194317"}, nullptr, true, 4194317},
        {{"s", "-window-id", "0X1fffffff"}, nullptr, true, 0x1fffffff},
        {{"s", huge.c_str(), "--window-id", "12", "--window-id", "13", huge.c_str()}, "0x99", true, 12},
        {{"--window-id", "12"}, nullptr, false, 0},  // argument 1 is the mode letter
        {{"s", "--window-id"}, nullptr, true, 0},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"morgrave"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto r = plat::ReadHostWindowRequest(static_cast<int>(argv.size()), argv.data(), c.env);
        EXPECT_TRUE(r.requested == c.requested && r.id == c.id) << argv.size() << " env " << (c.env ? c.env : "(none)");
    }
    for (const char* bad : {"garbage", "0", "-1", "+5", " 5", "5 ", "0x", "0x20000000", "99999999999999999999",
                            "18446744073709551617"}) {  // 2^64 + 1 must not wrap
        const char* argv[] = {"morgrave", "s", "--window-id", bad};
        const plat::HostWindowRequest r = plat::ReadHostWindowRequest(4, argv, nullptr);
        EXPECT_TRUE(r.requested && r.id == 0) << bad;
    }
}

TEST(Startup, StartUpSeedsTheGeneratorFromTheClockAndEndsQuietlyWithoutAMode) {
    headless::ResetModules();
    headless::SetModuleFileName("/usr/lib/morgrave/morgrave");
    headless::SetClockMs(1234567890123);
    CSceneRandom::Seed(1);
    std::string a0 = "morgrave", a1 = "/save";
    char* argv[] = {a0.data(), a1.data(), nullptr};
    theApp.m_pMainWnd = nullptr;
    theApp.m_bConfigure = theApp.m_bPreview = theApp.m_bFullScreen = 0;
    // The framework's entry: no mode, so no message loop and exit code 0.
    EXPECT_EQ(0, AfxWinMain(2, argv));
    EXPECT_EQ(1234567890u, CSceneRandom::GetState());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(0, theApp.m_bConfigure + theApp.m_bPreview + theApp.m_bFullScreen + headless::ModuleLoadAttempts());
    theApp.m_argc = 0;
    theApp.m_argv = nullptr;
}

}  // namespace
