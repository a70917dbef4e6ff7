// Start-up: mode letters, argument 2 as a handle, seeding, the application object and its entry.
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

TEST(Startup, MatchSwitchAcceptsOneLetterWithOnePrefix) {
    for (const char* yes : {"c", "C", "/c", "-c", "/C", "-C"}) EXPECT_EQ(1, MatchSwitch(yes, "c")) << yes;
    for (const char* no : {"//c", "--c", "/c:0", "/config", "cc", "-", "/", "", " c", "c ", "p"}) {
        EXPECT_EQ(0, MatchSwitch(no, "c")) << no;
    }
    EXPECT_EQ(0, MatchSwitch(nullptr, "c"));
}

TEST(Startup, ArgumentOneSelectsTheMode) {
    EXPECT_EQ(Mode::Settings, Select({}));
    for (const char* a : {"c", "C", "/c", "-c", "/C", "/c:1234", "-C:0", "/c:", "/C:12x"})
        EXPECT_EQ(Mode::Settings, Select({a})) << a;
    for (const char* a : {"s", "S", "/s", "/S", "-s", "-S"}) EXPECT_EQ(Mode::FullScreen, Select({a})) << a;
    for (const char* a : {"p", "/P", "-p"}) EXPECT_EQ(Mode::Preview, Select({a, "1234"})) << a;
    for (const char* a : {"a", "/A", "-a"}) EXPECT_EQ(Mode::Password, Select({a, "1234"})) << a;
    for (const char* a : {"//s", "/s:0", "/save", "-", "", "x", "/p:1234", "/a:1", "c:1", "/c1", "//c:1"})
        EXPECT_EQ(Mode::None, Select({a})) << a;
    // The settings switch's owner: the number after the colon.
    EXPECT_EQ(static_cast<HWND>(1234), CSaverApp::OwnerFromSettingsSwitch("/c:1234"));
    EXPECT_EQ(static_cast<HWND>(0), CSaverApp::OwnerFromSettingsSwitch("/c:"));
    EXPECT_EQ(static_cast<HWND>(0), CSaverApp::OwnerFromSettingsSwitch("/c"));
    // Only argument 1 picks the mode.
    EXPECT_EQ(Mode::None, Select({"x", "s"}));
    EXPECT_EQ(Mode::FullScreen, Select({"s", "c", "p"}));
}

TEST(Startup, ArgumentTwoIsASignedDecimalNumber) {
    EXPECT_EQ(1234, CSaverApp::ParseHandleArgument("+1234"));
    EXPECT_EQ(1234, CSaverApp::ParseHandleArgument("1234abc"));
    EXPECT_EQ(1234, CSaverApp::ParseHandleArgument("   1234"));  // a quoted argument with blanks
    EXPECT_EQ(1234, CSaverApp::ParseHandleArgument("\t\n\v\f\r 1234 5"));
    EXPECT_EQ(-5, CSaverApp::ParseHandleArgument("-5"));
    EXPECT_EQ(0, CSaverApp::ParseHandleArgument(nullptr));
    EXPECT_EQ(0, CSaverApp::ParseHandleArgument(""));
    EXPECT_EQ(0, CSaverApp::ParseHandleArgument("abc"));
    EXPECT_EQ(0, CSaverApp::ParseHandleArgument("+-5"));
    EXPECT_EQ(0, CSaverApp::ParseHandleArgument("- 5"));
    EXPECT_EQ(INT_MAX, CSaverApp::ParseHandleArgument("2147483647"));
    EXPECT_EQ(INT_MIN, CSaverApp::ParseHandleArgument("-2147483648"));
    // Beyond 32 bits: clamped, never overflowing.
    EXPECT_EQ(INT_MAX, CSaverApp::ParseHandleArgument("2147483648"));
    EXPECT_EQ(INT_MIN, CSaverApp::ParseHandleArgument("-2147483649"));
    EXPECT_EQ(INT_MAX, CSaverApp::ParseHandleArgument("99999999999999999999999999999999999999"));
    EXPECT_EQ(INT_MIN, CSaverApp::ParseHandleArgument("-99999999999999999999999999999999999999"));
    EXPECT_EQ(77, CSaverApp::ParseHandleArgument("0000000000000000000000000000077"));

    // The window handle comes from argument 2; none gives 0, a negative number sign-extends.
    std::string a0 = "morgrave", a1 = "/p", a2 = "  +4711x";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    theApp.m_argc = 3;
    theApp.m_argv = argv;
    EXPECT_EQ(static_cast<HWND>(4711), theApp.GetArgumentWindow());
    a2 = "-5";
    argv[2] = a2.data();
    EXPECT_EQ(static_cast<HWND>(static_cast<std::intptr_t>(-5)), theApp.GetArgumentWindow());
    theApp.m_argc = 2;
    EXPECT_EQ(static_cast<HWND>(0), theApp.GetArgumentWindow());
    theApp.m_argc = 0;
    theApp.m_argv = nullptr;
}

// The desktop's host window: a request that names no plausible window stays a request (the
// back-end refuses it) instead of silently becoming "no host".
TEST(Startup, HostWindowRequestIsReadStrictly) {
    struct Case {
        std::vector<const char*> args;  // after "morgrave"
        const char* env;
        bool requested;
        unsigned long id;
    };
    const std::string huge(1 << 20, 'x');
    const Case cases[] = {
        {{"s"}, nullptr, false, 0},
        {{"s"}, "", false, 0},
        {{"s", "--window-id", "4194317"}, nullptr, true, 4194317},
        {{"s", "-window-id", "0x40000d"}, nullptr, true, 0x40000d},
        {{"s", "--window-id", "0X1fffffff"}, nullptr, true, 0x1fffffff},
        {{"s", "--window-id", "12", huge.c_str()}, nullptr, true, 12},
        {{"s", huge.c_str(), "--window-id", "12"}, nullptr, true, 12},
        {{"s", "--window-id", "12", "--window-id", "13"}, nullptr, true, 12},
        {{"s", "--window-id", "12"}, "0x99", true, 12},
        {{"s"}, "0x99", true, 0x99},
        {{"--window-id", "12"}, nullptr, false, 0},  // argument 1 is the mode letter
        {{"s", "--window-id"}, nullptr, true, 0},
        {{"s", "--window-id", "garbage"}, nullptr, true, 0},
        {{"s", "--window-id", "0"}, nullptr, true, 0},
        {{"s", "--window-id", "-1"}, nullptr, true, 0},
        {{"s", "--window-id", "+5"}, nullptr, true, 0},
        {{"s", "--window-id", " 5"}, nullptr, true, 0},
        {{"s", "--window-id", "5 "}, nullptr, true, 0},
        {{"s", "--window-id", "0x"}, nullptr, true, 0},
        {{"s", "--window-id", "0x20000000"}, nullptr, true, 0},
        {{"s", "--window-id", "99999999999999999999"}, nullptr, true, 0},
        {{"s", "--window-id", "18446744073709551617"}, nullptr, true, 0},  // 2^64 + 1 must not wrap
        {{"s"}, "garbage", true, 0},
        {{"s"}, "0x1fffffff0", true, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"morgrave"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const plat::HostWindowRequest r =
            plat::ReadHostWindowRequest(static_cast<int>(argv.size()), argv.data(), c.env);
        const std::string what = (c.args.size() > 2 ? std::string(c.args[2]).substr(0, 24) : "") + " env " +
                                 (c.env ? c.env : "(none)");
        EXPECT_EQ(c.requested, r.requested) << what;
        EXPECT_EQ(c.id, r.id) << what;
    }
}

TEST(Startup, StartUpSeedsTheGeneratorAndEndsQuietlyWithoutAMode) {
    headless::ResetRegistry();
    headless::ResetModules();
    headless::ClearSoundLog();
    headless::SetModuleFileName("/usr/lib/morgrave/morgrave");
    headless::SetClockMs(1234567890123);
    CSceneRandom::Seed(1);
    std::string a0 = "morgrave", a1 = "/save";
    char* argv[] = {a0.data(), a1.data(), nullptr};
    theApp.m_pMainWnd = nullptr;
    theApp.m_bConfigure = theApp.m_bPreview = theApp.m_bFullScreen = 0;
    // The framework's entry: no mode, so no message loop and exit code 0.
    EXPECT_EQ(0, AfxWinMain(2, argv));
    EXPECT_EQ(2, theApp.m_argc);
    EXPECT_STREQ("morgrave", theApp.m_pszAppName);
    EXPECT_STREQ("Tarnwick Productions Ltd", theApp.m_pszRegistryKey);
    EXPECT_EQ(1234567890u, CSceneRandom::GetState());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(0, theApp.m_bConfigure + theApp.m_bPreview + theApp.m_bFullScreen);
    EXPECT_EQ(0, headless::ModuleLoadAttempts());
    EXPECT_TRUE(headless::SoundLog().empty());
    theApp.m_argc = 0;
    theApp.m_argv = nullptr;
}

TEST(Startup, TheApplicationObjectAndItsCommandTable) {
    EXPECT_EQ(&theApp, AfxGetApp());
    theApp.m_pMainWnd = nullptr;
    EXPECT_EQ(nullptr, AfxGetMainWnd());
    EXPECT_TRUE(theApp.Enable3dControls());
    // The help command has its entry (it shows nothing); other commands are not the app's.
    EXPECT_TRUE(theApp.OnCmdMsg(ID_HELP));
    EXPECT_EQ(57670u, ID_HELP);
    EXPECT_FALSE(theApp.OnCmdMsg(1));
    // Without a main window the loop does not start.
    EXPECT_EQ(0, theApp.Run());
    // No settings store before SetRegistryKey: defaults, and writes refused.
    CWinApp plain("plain");
    EXPECT_EQ(nullptr, plain.m_pszRegistryKey);
    EXPECT_STREQ("plain", plain.m_pszAppName);
    EXPECT_EQ(5u, plain.GetProfileInt("Settings", "Pain", 5));
    EXPECT_FALSE(plain.WriteProfileInt("Settings", "Pain", 5));
    EXPECT_FALSE(plain.OnCmdMsg(ID_HELP));
    EXPECT_EQ(&theApp, AfxGetApp());
}

}  // namespace
