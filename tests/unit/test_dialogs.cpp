// Settings, credits and legal dialogs on the headless dialog host, and the settings and password modes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/SaverApp.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDialog.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"
#include "resource.h"
#include "ui/SettingsDlg.h"

namespace {

using headless::SliderKey;
using Script = headless::DialogScript;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetDisplay(1024, 768, 32);
        headless::ResetDialogs();
        headless::ResetRegistry();
        headless::ResetModules();
        headless::SetModuleFileName("/usr/lib/morgrave/morgrave");
    }
    void TearDown() override { headless::ResetDialogs(); }

    static headless::ControlState Control(plat::Hwnd dlg, int id) {
        headless::ControlState s;
        EXPECT_TRUE(headless::GetControl(dlg, id, &s)) << "control " << id;
        return s;
    }
    static std::string Label(plat::Hwnd dlg) { return Control(dlg, IDC_PAIN_NAME).text; }

    // Runs a settings dialog with these fields; `script` acts while it is up (the host presses
    // Escape after it if the dialog still runs).
    struct Outcome {
        LRESULT result;
        int sound, subliminals, pain;
    };
    static Outcome RunSettings(int sound, int subliminals, int pain, const Script& script) {
        headless::SetDialogScript(script);
        CSettingsDlg dlg;
        dlg.m_nEnableSound = sound;
        dlg.m_nSubliminals = subliminals;
        dlg.m_nPain = pain;
        // As in the settings mode: the dialog is the main window, so the credits and legal
        // dialogs (no parent) are owned by it.
        theApp.m_pMainWnd = &dlg;
        const LRESULT r = dlg.DoModal();
        theApp.m_pMainWnd = nullptr;
        return Outcome{r, dlg.m_nEnableSound, dlg.m_nSubliminals, dlg.m_nPain};
    }
    // Start-up with this command line, as the framework runs it.
    static BOOL RunApp(std::vector<const char*> args, const Script& script) {
        headless::SetDialogScript(script);
        args.push_back(nullptr);
        theApp.m_argc = static_cast<int>(args.size()) - 1;
        theApp.m_argv = const_cast<char**>(args.data());
        theApp.m_bConfigure = 0;
        const BOOL result = theApp.InitInstance();
        theApp.m_argc = 0;
        theApp.m_argv = nullptr;
        return result;
    }
    // The three settings as the store holds them now.
    static std::vector<int> Stored() {
        std::vector<int> values;
        for (const char* name : {"Enable sound", "Pain", "Subliminals"})
            values.push_back(static_cast<int>(theApp.GetProfileInt("Settings", name, -999)));
        return values;
    }
};

// The slider shows levels 1 to 4 and its label names the level; a level out of range shows at
// the nearer end, Cancel keeps it as it came in and OK stores the end the slider shows.
TEST_F(DialogTest, ShowsTheLevelOnASliderOfFourWithItsName) {
    const struct {
        int pain, pos;
        const char* label;
    } cases[] = {{1, 1, "Tame"},  {2, 2, "Tortuous"}, {3, 3, "Twisted"}, {4, 4, "Terrible"},
                 {5, 4, "Weird"}, {9, 4, "Weird"},    {0, 1, "Weird"},   {-3, 1, "Weird"}};
    for (const auto& c : cases) {
        for (const bool ok : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.pain << (ok ? " OK" : " Cancel"));
            const Outcome out = RunSettings(1, 1, c.pain, [&](plat::Hwnd dlg, std::uint16_t) {
                const headless::ControlState slider = Control(dlg, IDC_PAIN);
                EXPECT_EQ(std::vector<int>({slider.rangeMin, slider.rangeMax, slider.pos}),
                          std::vector<int>({1, 4, c.pos}));
                EXPECT_EQ(Label(dlg), c.label);
                if (ok) headless::PressEnter(dlg);
            });
            EXPECT_EQ(out.result, ok ? IDOK : IDCANCEL);
            EXPECT_EQ(out.pain, ok ? c.pos : c.pain);
        }
    }
}

// A check box has the states 0, 1 and 2: others show unchecked and the field becomes 0, even on
// Cancel; OK stores what the boxes show.
TEST_F(DialogTest, CheckBoxesShowTheirFieldsAndNormaliseImpossibleStates) {
    enum Action { kCancel, kOk, kToggleBothThenOk };
    const struct {
        int sound, subliminals;
        Action action;
        int shownSound, shownSubliminals, outSound, outSubliminals;
    } cases[] = {{7, -1, kCancel, 0, 0, 0, 0},
                 {3, 2, kCancel, 0, 1, 0, 2},
                 {2, 0, kOk, 1, 0, 1, 0},
                 {1, 0, kToggleBothThenOk, 1, 0, 0, 1},
                 {0, 3, kToggleBothThenOk, 0, 0, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sound << " " << c.subliminals << " action " << c.action);
        const Outcome out = RunSettings(c.sound, c.subliminals, 3, [&](plat::Hwnd dlg, std::uint16_t) {
            EXPECT_EQ(Control(dlg, IDC_SOUND).check, c.shownSound);
            EXPECT_EQ(Control(dlg, IDC_SUBLIMINALS).check, c.shownSubliminals);
            if (c.action == kToggleBothThenOk) {
                EXPECT_TRUE(headless::Click(dlg, IDC_SOUND) && headless::Click(dlg, IDC_SUBLIMINALS));
            }
            if (c.action != kCancel) headless::PressEnter(dlg);
        });
        EXPECT_EQ(std::vector<int>({out.sound, out.subliminals, out.pain}),
                  std::vector<int>({c.outSound, c.outSubliminals, 3}));
    }
}

// The label follows every move of the slider; every way out but OK cancels (the system menu's
// Close item too) and keeps what was changed out of the fields.
TEST_F(DialogTest, LabelFollowsTheSliderAndEveryWayOutButOkCancels) {
    const Outcome out = RunSettings(1, 1, 9, [](plat::Hwnd dlg, std::uint16_t) {
        const std::pair<SliderKey, const char*> steps[] = {
            {SliderKey::Left, "Twisted"}, {SliderKey::Home, "Tame"}, {SliderKey::End, "Terrible"}};
        for (const auto& [key, label] : steps) {
            EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, key));
            EXPECT_EQ(Label(dlg), label);
        }
        EXPECT_TRUE(headless::DragSlider(dlg, IDC_PAIN, 2));
        EXPECT_EQ(Label(dlg), "Tortuous");
        headless::PressEnter(dlg);
    });
    EXPECT_EQ(out.pain, 2);

    const std::pair<std::function<bool(plat::Hwnd)>, LRESULT> ends[] = {
        {headless::PressEnter, IDOK},
        {[](plat::Hwnd d) { return headless::Click(d, IDOK); }, IDOK},
        {headless::PressEscape, IDCANCEL},
        {headless::PressCloseBox, IDCANCEL},
        {[](plat::Hwnd d) { return headless::Click(d, IDCANCEL); }, IDCANCEL},
        {[](plat::Hwnd d) { return headless::ChooseSystemMenuItem(d, 0xF060); }, IDCANCEL},
    };
    for (const auto& [end, result] : ends) {
        const Outcome o = RunSettings(0, 1, 3, [&, end = end](plat::Hwnd d, std::uint16_t) {
            headless::Click(d, IDC_SOUND);
            headless::PressSliderKey(d, IDC_PAIN, SliderKey::Left);
            EXPECT_TRUE(end(d));
        });
        EXPECT_EQ(o.result, result);
        EXPECT_EQ(std::vector<int>({o.sound, o.pain}), std::vector<int>({result == IDOK, result == IDOK ? 2 : 3}));
    }
}

// Credits and legal open from their buttons and system-menu items, owned by the settings dialog,
// which takes no input meanwhile and is as it was afterwards.
TEST_F(DialogTest, CreditsAndLegalOpenOverADisabledSettingsDialog) {
    std::string credits, legal1, legal2;
    ASSERT_TRUE(plat::LoadString(IDS_CREDITS_TEXT, &credits) && plat::LoadString(IDS_LEGAL_TEXT1, &legal1) &&
                plat::LoadString(IDS_LEGAL_TEXT2, &legal2));
    plat::Hwnd settings = 0;
    std::vector<std::uint16_t> opened;
    const Outcome out = RunSettings(0, 1, 9, [&](plat::Hwnd dlg, std::uint16_t id) {
        opened.push_back(id);
        if (id != IDD_SETTINGS) {
            EXPECT_EQ(plat::GetOwner(dlg), settings);
            EXPECT_FALSE(headless::Click(settings, IDOK));  // the owner takes no input meanwhile
            EXPECT_EQ(Control(dlg, id == IDD_CREDITS ? IDC_CREDITS_TEXT : IDC_LEGAL_TEXT).text,
                      id == IDD_CREDITS ? credits : legal1 + legal2);
            return;
        }
        settings = dlg;
        EXPECT_TRUE(headless::Click(dlg, IDC_CREDITS) && headless::ChooseSystemMenuItem(dlg, IDM_CREDITS));
        EXPECT_TRUE(headless::Click(dlg, IDC_LEGAL) && headless::ChooseSystemMenuItem(dlg, IDM_LEGAL));
        // The low four bits of a system command are not part of its id.
        plat::SendMessage(dlg, WM_SYSCOMMAND, IDM_LEGAL | 0x3, 0);
        EXPECT_TRUE(plat::IsWindowEnabled(dlg) && Control(dlg, IDC_SOUND).check == 0 && Label(dlg) == "Weird");
        headless::PressEnter(dlg);
    });
    EXPECT_EQ(out.pain, 4);
    EXPECT_EQ(opened,
              std::vector<std::uint16_t>({IDD_SETTINGS, IDD_CREDITS, IDD_CREDITS, IDD_LEGAL, IDD_LEGAL, IDD_LEGAL}));
    for (const headless::DialogRun& run : headless::DialogLog()) {
        EXPECT_TRUE(run.templateId == IDD_SETTINGS ? run.owner == 0
                                                   : run.ownerDisabledWhileRunning && run.ownerEnabledAfter);
    }
}

// The settings mode stores the fields however the dialog ended, and tells the user when the
// store cannot be written.
TEST_F(DialogTest, SettingsModeStoresWhateverEndedTheDialog) {
    const char* const key = "Software\\Tarnwick Productions Ltd\\morgrave\\Settings";
    for (const auto& [name, value] : {std::pair{"Enable sound", 7}, {"Pain", 9}, {"Subliminals", 2}})
        headless::SetRegistryValue(key, name, 4 /* REG_DWORD */, {static_cast<std::uint8_t>(value), 0, 0, 0});
    EXPECT_FALSE(RunApp({"morgrave", "/c"}, [&](plat::Hwnd dlg, std::uint16_t) {
        EXPECT_EQ(AfxGetMainWnd()->GetSafeHwnd(), dlg);
        EXPECT_EQ(Label(dlg), "Weird");
    }));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);               // the dialog object is gone
    EXPECT_EQ(Stored(), std::vector<int>({0, 9, 2}));  // Cancel: sound normalised to 0, the others kept

    // OK with a first start (empty store) and no argument at all.
    headless::ResetRegistry();
    EXPECT_FALSE(RunApp({"morgrave"}, [](plat::Hwnd dlg, std::uint16_t) {
        headless::Click(dlg, IDC_SUBLIMINALS);
        headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Left);
        headless::PressEnter(dlg);
    }));
    EXPECT_EQ(Stored(), std::vector<int>({1, 2, 0}));
    EXPECT_EQ(theApp.m_nPain, 2);
    EXPECT_EQ(headless::OpenRegistryKeyCount(), 0);
    EXPECT_TRUE(headless::MessageBoxes().empty());

    // A store that cannot be written: the user is told which file failed and why.
    const std::string blocker = ::testing::TempDir() + "settings_blocker_" + std::to_string(::getpid());
    std::ofstream(blocker) << "a file where a folder should be";
    headless::UseRegistryFile(blocker + "/registry.reg");
    EXPECT_FALSE(RunApp({"morgrave", "/c"}, [](plat::Hwnd dlg, std::uint16_t) { headless::PressEnter(dlg); }));
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_NE(headless::MessageBoxes()[0].text.find(blocker + ": " + std::strerror(ENOTDIR)), std::string::npos)
        << headless::MessageBoxes()[0].text;
    headless::ResetRegistry();
    std::remove(blocker.c_str());
}

// "/c:HWND" from the display settings: owned by that window when it is one, else unowned.
TEST_F(DialogTest, SettingsSwitchWithAWindowOwnsTheDialog) {
    const plat::Hwnd page = headless::CreateForeignWindow(10, 10, 400, 300);
    const std::string owned = "/c:" + std::to_string(page), upper = "-C:" + std::to_string(page);
    const std::pair<const char*, plat::Hwnd> cases[] = {
        {owned.c_str(), page}, {upper.c_str(), page}, {"-C:0", 0}, {"/c:", 0}, {"/c:987654", 0}, {"/c", 0}};
    for (const auto& [arg, owner] : cases) {
        SCOPED_TRACE(arg);
        headless::ResetDialogs();
        EXPECT_FALSE(RunApp({"morgrave", arg}, [](plat::Hwnd, std::uint16_t) {}));
        EXPECT_EQ(theApp.m_bConfigure, 1);
        ASSERT_EQ(headless::DialogLog().size(), 1u);
        EXPECT_EQ(headless::DialogLog()[0].owner, owner);
        EXPECT_TRUE(plat::IsWindowEnabled(page));
    }
    plat::DestroyWindow(page);
}

// Each call of the password change as "provider owner reserved1 reserved2;".
std::string g_passwordCalls;
DWORD WINAPI FakePwdChangePassword(const char* provider, HWND owner, DWORD r1, DWORD r2) {
    g_passwordCalls +=
        std::string(provider) + " " + std::to_string(owner) + " " + std::to_string(r1) + " " + std::to_string(r2) + ";";
    return 0;
}

// The password mode calls the password change owned by argument 2's window; a module without
// the function, or none at all, ends the mode quietly. The module is always freed.
TEST_F(DialogTest, PasswordModeCallsTheModuleOrEndsQuietly) {
    const struct {
        const char* module;  // registered name, none when null
        bool withEntry;
        std::vector<const char*> args;
    } cases[] = {{"MPR.DLL", true, {"morgrave", "/a", "1234"}},
                 {"mpr.dll", false, {"morgrave", "-A", "77"}},
                 {nullptr, false, {"morgrave", "a"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        g_passwordCalls.clear();
        headless::ResetModules();
        headless::ModuleSymbols syms;
        if (c.withEntry) syms["PwdChangePasswordA"] = reinterpret_cast<void*>(&FakePwdChangePassword);
        if (c.module) headless::RegisterModule(c.module, syms);
        EXPECT_FALSE(RunApp(c.args, nullptr));
        EXPECT_EQ(g_passwordCalls, c.withEntry ? "SCRSAVE 1234 0 0;" : "");
        EXPECT_EQ(headless::ModuleLoadAttempts(), 1);
        EXPECT_EQ(headless::ModuleFreeCount(), c.module ? 1 : 0);
        EXPECT_TRUE(headless::DialogLog().empty() && headless::MessageBoxes().empty());
    }
}

}  // namespace
