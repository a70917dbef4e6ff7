// Settings, credits and legal dialogs on the headless dialog host, and the settings and password modes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "framework/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDialog.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"
#include "resource.h"
#include "ui/CreditsDlg.h"
#include "ui/LegalDlg.h"
#include "ui/SettingsDlg.h"

namespace {

using headless::ControlState;
using headless::SliderKey;

const char* const kSettingsKey = "Software\\Tarnwick Productions Ltd\\morgrave\\Settings";

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

    static ControlState Control(plat::Hwnd dlg, int id) {
        ControlState s;
        EXPECT_TRUE(headless::GetControl(dlg, id, &s)) << "control " << id;
        return s;
    }
    static std::string Label(plat::Hwnd dlg) { return Control(dlg, IDC_PAIN_NAME).text; }
    static int SliderPos(plat::Hwnd dlg) { return Control(dlg, IDC_PAIN).pos; }

    // Runs a settings dialog with these fields; `script` acts while it is up.
    struct Outcome {
        LRESULT result;
        int sound, subliminals, pain;
    };
    static Outcome RunSettings(int sound, int subliminals, int pain, const headless::DialogScript& script) {
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
        headless::SetDialogScript(nullptr);
        return Outcome{r, dlg.m_nEnableSound, dlg.m_nSubliminals, dlg.m_nPain};
    }

    static int StoredDword(const char* name) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        if (!headless::GetRegistryValue(kSettingsKey, name, &type, &data) || type != 4 || data.size() != 4) return -999;
        std::int32_t v = 0;
        std::memcpy(&v, data.data(), 4);
        return v;
    }
    static void StoreDword(const char* name, std::int32_t v) {
        std::vector<std::uint8_t> data(4);
        std::memcpy(data.data(), &v, 4);
        headless::SetRegistryValue(kSettingsKey, name, 4, data);
    }
    // Start-up with this command line, as the framework runs it.
    BOOL RunApp(std::vector<const char*> args) {
        m_args.assign(args.begin(), args.end());
        m_argv.clear();
        for (std::string& arg : m_args) m_argv.push_back(arg.data());
        m_argv.push_back(nullptr);
        theApp.m_argc = static_cast<int>(m_args.size());
        theApp.m_argv = m_argv.data();
        theApp.m_bConfigure = 0;
        const BOOL result = theApp.InitInstance();
        theApp.m_argc = 0;
        theApp.m_argv = nullptr;
        return result;
    }

    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
};

TEST_F(DialogTest, ShowsFieldsWithClampedSliderAndNamedLevel) {
    struct Case {
        int pain, pos;
        const char* label;
    };
    const Case cases[] = {{1, 1, "Tame"},  {2, 2, "Tortuous"}, {3, 3, "Twisted"}, {4, 4, "Terrible"},
                          {5, 4, "Weird"}, {9, 4, "Weird"},    {0, 1, "Weird"},   {-3, 1, "Weird"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pain);
        bool ran = false;
        const Outcome out = RunSettings(1, 1, c.pain, [&](plat::Hwnd dlg, std::uint16_t id) {
            ran = true;
            EXPECT_EQ(id, IDD_SETTINGS);
            const ControlState slider = Control(dlg, IDC_PAIN);
            EXPECT_EQ(slider.rangeMin, 1);
            EXPECT_EQ(slider.rangeMax, 4);
            EXPECT_EQ(slider.pos, c.pos);
            EXPECT_EQ(Label(dlg), c.label);
            EXPECT_EQ(Control(dlg, IDC_SOUND).check, 1);
            EXPECT_EQ(Control(dlg, IDC_SUBLIMINALS).check, 1);
            EXPECT_EQ(plat::GetWindowText(dlg), "Morgrave Viduzev Glimmerfiend");
            EXPECT_TRUE(headless::PressEscape(dlg));
        });
        EXPECT_TRUE(ran);
        EXPECT_EQ(out.result, IDCANCEL);
        // Cancel leaves the level as it came in, even one the slider cannot show.
        EXPECT_EQ(out.pain, c.pain);
        EXPECT_EQ(out.sound, 1);
        EXPECT_EQ(out.subliminals, 1);
    }
}

TEST_F(DialogTest, CheckBoxesNormaliseImpossibleStates) {
    // 7 and -1 show unchecked and the field itself becomes 0, so even Cancel gives 0.
    Outcome out = RunSettings(7, -1, 3, [](plat::Hwnd dlg, std::uint16_t) {
        EXPECT_EQ(Control(dlg, IDC_SOUND).check, 0);
        EXPECT_EQ(Control(dlg, IDC_SUBLIMINALS).check, 0);
        headless::PressEscape(dlg);
    });
    EXPECT_EQ(out.sound, 0);
    EXPECT_EQ(out.subliminals, 0);

    // 2 is a state a check box has: it shows checked and survives Cancel...
    out = RunSettings(2, 0, 3, [](plat::Hwnd dlg, std::uint16_t) {
        EXPECT_EQ(Control(dlg, IDC_SOUND).check, 1);
        EXPECT_EQ(Control(dlg, IDC_SUBLIMINALS).check, 0);
        headless::PressEscape(dlg);
    });
    EXPECT_EQ(out.sound, 2);
    EXPECT_EQ(out.subliminals, 0);

    // ...while OK stores what the boxes show: 0 or 1.
    out = RunSettings(2, 0, 3, [](plat::Hwnd dlg, std::uint16_t) { headless::PressEnter(dlg); });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.sound, 1);
    EXPECT_EQ(out.subliminals, 0);

    // Clicking toggles the box; OK reads it back.
    out = RunSettings(1, 0, 3, [](plat::Hwnd dlg, std::uint16_t) {
        EXPECT_TRUE(headless::Click(dlg, IDC_SOUND));
        EXPECT_TRUE(headless::Click(dlg, IDC_SUBLIMINALS));
        EXPECT_EQ(Control(dlg, IDC_SOUND).check, 0);
        EXPECT_EQ(Control(dlg, IDC_SUBLIMINALS).check, 1);
        headless::Click(dlg, IDOK);
    });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.sound, 0);
    EXPECT_EQ(out.subliminals, 1);
}

TEST_F(DialogTest, LabelFollowsEverySliderMoveAndOkStoresPosition) {
    Outcome out = RunSettings(1, 1, 3, [](plat::Hwnd dlg, std::uint16_t) {
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Right));
        EXPECT_EQ(Label(dlg), "Terrible");
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Right));
        EXPECT_EQ(SliderPos(dlg), 4);  // held at the end of the range
        EXPECT_EQ(Label(dlg), "Terrible");
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Home));
        EXPECT_EQ(Label(dlg), "Tame");
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Left));
        EXPECT_EQ(SliderPos(dlg), 1);
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Right));
        EXPECT_EQ(Label(dlg), "Tortuous");
        EXPECT_TRUE(headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::End));
        EXPECT_EQ(Label(dlg), "Terrible");
        EXPECT_TRUE(headless::DragSlider(dlg, IDC_PAIN, 2));
        EXPECT_EQ(Label(dlg), "Tortuous");
        headless::PressEnter(dlg);
    });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.pain, 2);

    // Out-of-range levels: OK stores the end the slider shows.
    out = RunSettings(1, 1, 9, [](plat::Hwnd dlg, std::uint16_t) { headless::PressEnter(dlg); });
    EXPECT_EQ(out.pain, 4);
    out = RunSettings(1, 1, -3, [](plat::Hwnd dlg, std::uint16_t) { headless::PressEnter(dlg); });
    EXPECT_EQ(out.pain, 1);

    // Moving the slider and cancelling keeps the level.
    out = RunSettings(1, 1, 9, [](plat::Hwnd dlg, std::uint16_t) {
        headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Left);
        EXPECT_EQ(Label(dlg), "Twisted");
        headless::PressCloseBox(dlg);
    });
    EXPECT_EQ(out.result, IDCANCEL);
    EXPECT_EQ(out.pain, 9);
}

TEST_F(DialogTest, EnterEscapeCloseBoxAndCloseItemEndTheDialog) {
    EXPECT_EQ(RunSettings(1, 1, 3, [](plat::Hwnd d, std::uint16_t) { headless::PressEnter(d); }).result, IDOK);
    EXPECT_EQ(RunSettings(1, 1, 3, [](plat::Hwnd d, std::uint16_t) { headless::PressEscape(d); }).result, IDCANCEL);
    EXPECT_EQ(RunSettings(1, 1, 3, [](plat::Hwnd d, std::uint16_t) { headless::PressCloseBox(d); }).result, IDCANCEL);
    EXPECT_EQ(RunSettings(1, 1, 3, [](plat::Hwnd d, std::uint16_t) { headless::Click(d, IDCANCEL); }).result, IDCANCEL);
    // The standard Close item goes through OnSysCommand's default handling.
    const Outcome out = RunSettings(0, 1, 3, [](plat::Hwnd d, std::uint16_t) {
        headless::Click(d, IDC_SOUND);
        EXPECT_TRUE(headless::ChooseSystemMenuItem(d, 0xF060));
    });
    EXPECT_EQ(out.result, IDCANCEL);
    EXPECT_EQ(out.sound, 0);
    // Enter takes the default button, OK, and not the focused Cancel; the dialog's icon answers a drag.
    ControlState ok;
    RunSettings(1, 1, 3, [&](plat::Hwnd d, std::uint16_t) {
        headless::GetControl(d, IDOK, &ok);
        const plat::HIcon icon = plat::LoadIcon(IDR_MAINFRAME);
        EXPECT_NE(icon, 0u);
        EXPECT_EQ(static_cast<plat::HIcon>(plat::SendMessage(d, WM_QUERYDRAGICON, 0, 0)), icon);
        headless::PressEscape(d);
    });
    EXPECT_EQ(ok.style & 0xF, 1u);
}

TEST_F(DialogTest, CreditsAndLegalOpenFromButtonsAndMenuOverADisabledSettingsDialog) {
    std::string credits, legal1, legal2, creditsItem, legalItem;
    ASSERT_TRUE(plat::LoadString(IDS_CREDITS_TEXT, &credits));
    ASSERT_TRUE(plat::LoadString(IDS_LEGAL_TEXT1, &legal1));
    ASSERT_TRUE(plat::LoadString(IDS_LEGAL_TEXT2, &legal2));
    ASSERT_TRUE(plat::LoadString(IDS_CREDITS_MENU, &creditsItem));
    ASSERT_TRUE(plat::LoadString(IDS_LEGAL_MENU, &legalItem));

    plat::Hwnd settings = 0;
    std::vector<std::uint16_t> opened;
    const Outcome out = RunSettings(0, 1, 9, [&](plat::Hwnd dlg, std::uint16_t id) {
        opened.push_back(id);
        if (id == IDD_CREDITS) {
            EXPECT_EQ(plat::GetOwner(dlg), settings);
            EXPECT_FALSE(plat::IsWindowEnabled(settings));
            EXPECT_FALSE(headless::Click(settings, IDOK));  // the owner takes no input meanwhile
            EXPECT_EQ(Control(dlg, IDC_CREDITS_TEXT).text, credits);
            EXPECT_EQ(plat::GetWindowText(dlg), "Torturers");
            headless::Click(dlg, IDOK);
            return;
        }
        if (id == IDD_LEGAL) {
            EXPECT_EQ(plat::GetOwner(dlg), settings);
            EXPECT_FALSE(plat::IsWindowEnabled(settings));
            EXPECT_EQ(Control(dlg, IDC_LEGAL_TEXT).text, legal1 + legal2);
            EXPECT_EQ(plat::GetWindowText(dlg), "Legalities");
            headless::PressEscape(dlg);
            return;
        }
        settings = dlg;
        const std::vector<headless::MenuItem> menu = headless::SystemMenu(dlg);
        ASSERT_EQ(menu.size(), 5u);
        EXPECT_TRUE(menu[2].separator);
        EXPECT_EQ(menu[3].id, static_cast<std::uintptr_t>(IDM_CREDITS));
        EXPECT_EQ(menu[3].text, creditsItem);
        EXPECT_EQ(menu[4].id, static_cast<std::uintptr_t>(IDM_LEGAL));
        EXPECT_EQ(menu[4].text, legalItem);
        for (int round = 0; round < 2; ++round) {
            EXPECT_TRUE(headless::Click(dlg, IDC_CREDITS));
            EXPECT_TRUE(headless::ChooseSystemMenuItem(dlg, IDM_CREDITS));
            EXPECT_TRUE(headless::Click(dlg, IDC_LEGAL));
            EXPECT_TRUE(headless::ChooseSystemMenuItem(dlg, IDM_LEGAL));
        }
        // The low four bits of a system command are not part of its id.
        plat::SendMessage(dlg, WM_SYSCOMMAND, IDM_CREDITS | 0x3, 0);
        // Nothing about the settings dialog changed meanwhile.
        EXPECT_TRUE(plat::IsWindowEnabled(dlg));
        EXPECT_EQ(Control(dlg, IDC_SOUND).check, 0);
        EXPECT_EQ(SliderPos(dlg), 4);
        EXPECT_EQ(Label(dlg), "Weird");
        headless::PressEnter(dlg);
    });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.pain, 4);
    const std::vector<std::uint16_t> expected = {IDD_SETTINGS, IDD_CREDITS, IDD_CREDITS, IDD_LEGAL, IDD_LEGAL,
                                                 IDD_CREDITS,  IDD_CREDITS, IDD_LEGAL,   IDD_LEGAL, IDD_CREDITS};
    EXPECT_EQ(opened, expected);
    for (const headless::DialogRun& run : headless::DialogLog()) {
        if (run.templateId == IDD_SETTINGS) {
            EXPECT_EQ(run.owner, 0u);
            continue;
        }
        EXPECT_TRUE(run.ownerDisabledWhileRunning);
        EXPECT_TRUE(run.ownerEnabledAfter);
    }
}

TEST_F(DialogTest, DialogsAreCentredAndKeptInsideTheWorkArea) {
    headless::SetWorkArea(plat::Rect{0, 0, 1000, 700});
    plat::Rect settingsRect{}, creditsRect{};
    RunSettings(1, 1, 3, [&](plat::Hwnd dlg, std::uint16_t id) {
        if (id == IDD_CREDITS) {
            plat::GetWindowRect(dlg, &creditsRect);
            headless::PressEscape(dlg);
            return;
        }
        plat::GetWindowRect(dlg, &settingsRect);
        headless::Click(dlg, IDC_CREDITS);
        headless::PressEscape(dlg);
    });
    // Centred on the work area (no owner), then the credits centred on the settings dialog.
    EXPECT_NEAR((settingsRect.left + settingsRect.right) / 2, 500, 1);
    EXPECT_NEAR((settingsRect.top + settingsRect.bottom) / 2, 350, 1);
    EXPECT_NEAR((creditsRect.left + creditsRect.right) / 2, (settingsRect.left + settingsRect.right) / 2, 1);
    EXPECT_NEAR((creditsRect.top + creditsRect.bottom) / 2, (settingsRect.top + settingsRect.bottom) / 2, 1);

    // A work area off the screen's origin, and the settings dialog moved into its top right
    // corner (as a user may drag it): the taller legal dialog centred on it would stick out above,
    // so it is pushed down to the top of the work area.
    const plat::Rect area{200, 100, 900, 600};
    headless::SetWorkArea(area);
    int checked = 0;
    RunSettings(1, 1, 3, [&](plat::Hwnd dlg, std::uint16_t id) {
        plat::Rect r{};
        plat::GetWindowRect(dlg, &r);
        EXPECT_GE(r.left, area.left);
        EXPECT_GE(r.top, area.top);
        EXPECT_LE(r.right, area.right);
        EXPECT_LE(r.bottom, area.bottom);
        ++checked;
        if (id == IDD_SETTINGS) {
            plat::MoveWindowTo(dlg, area.right - (r.right - r.left), area.top);
            headless::Click(dlg, IDC_LEGAL);
        } else {
            EXPECT_EQ(r.top, area.top);
        }
        headless::PressEscape(dlg);
    });
    EXPECT_EQ(checked, 2);
}

TEST_F(DialogTest, DataExchangeWithoutControlsKeepsFieldsAndAMissingTemplateFails) {
    // A dialog object that is not running has no controls: exchange leaves fields as they are,
    // except the check box correction, which concerns the field itself.
    CSettingsDlg dlg;
    int sound = 5, pain = 7, keep = 42;
    CDataExchange in(&dlg, FALSE);
    DDX_Check(&in, IDC_SOUND, sound);
    DDX_Slider(&in, IDC_PAIN, pain);
    CDataExchange out(&dlg, TRUE);
    DDX_Check(&out, IDC_SOUND, keep);
    EXPECT_EQ(std::vector<int>({sound, pain, keep}), std::vector<int>({0, 7, 42}));
    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(DialogTest, SettingsModeStoresWhateverEndedTheDialogInOrder) {
    StoreDword("Enable sound", 7);
    StoreDword("Pain", 9);
    StoreDword("Subliminals", 2);
    plat::Hwnd seenMain = 0, dialog = 0;
    headless::SetDialogScript([&](plat::Hwnd dlg, std::uint16_t) {
        dialog = dlg;
        CWnd* main = AfxGetMainWnd();
        seenMain = main != nullptr ? main->GetSafeHwnd() : 0;
        EXPECT_EQ(Label(dlg), "Weird");
        // Start from an empty store, so the text shows the order of the writes after the dialog.
        headless::ResetRegistry();
        headless::PressEscape(dlg);
    });
    EXPECT_FALSE(RunApp({"morgrave", "/c"}));
    EXPECT_EQ(theApp.m_bConfigure, 1);
    EXPECT_EQ(seenMain, dialog);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    // Cancel: sound was normalised to 0, the other two kept.
    EXPECT_EQ(StoredDword("Enable sound"), 0);
    EXPECT_EQ(StoredDword("Pain"), 9);
    EXPECT_EQ(StoredDword("Subliminals"), 2);
    const std::string text = headless::RegistryText();
    const auto sound = text.find("\"Enable sound\""), pain = text.find("\"Pain\""), subl = text.find("\"Subliminals\"");
    ASSERT_NE(sound, std::string::npos);
    ASSERT_NE(pain, std::string::npos);
    ASSERT_NE(subl, std::string::npos);
    EXPECT_LT(sound, pain);
    EXPECT_LT(pain, subl);

    // OK with a first start (empty store) and no argument at all.
    headless::ResetRegistry();
    headless::SetDialogScript([](plat::Hwnd dlg, std::uint16_t) {
        headless::Click(dlg, IDC_SUBLIMINALS);
        headless::PressSliderKey(dlg, IDC_PAIN, SliderKey::Left);
        headless::PressEnter(dlg);
    });
    EXPECT_FALSE(RunApp({"morgrave"}));
    EXPECT_EQ(StoredDword("Enable sound"), 1);
    EXPECT_EQ(StoredDword("Pain"), 2);
    EXPECT_EQ(StoredDword("Subliminals"), 0);
    EXPECT_EQ(theApp.m_nPain, 2);
    EXPECT_EQ(headless::OpenRegistryKeyCount(), 0);
    EXPECT_TRUE(headless::MessageBoxes().empty());

    // A store that cannot be written: the user is told which file failed and why.
    const std::string blocker = ::testing::TempDir() + "settings_blocker_" + std::to_string(::getpid());
    std::ofstream(blocker) << "a file where a folder should be";
    headless::UseRegistryFile(blocker + "/registry.reg");
    headless::SetDialogScript([](plat::Hwnd dlg, std::uint16_t) { headless::PressEnter(dlg); });
    EXPECT_FALSE(RunApp({"morgrave", "/c"}));
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_NE(headless::MessageBoxes()[0].text.find(blocker + ": " + std::strerror(ENOTDIR)), std::string::npos)
        << headless::MessageBoxes()[0].text;
    headless::ResetRegistry();
    std::remove(blocker.c_str());
}

// "/c:HWND" from the display settings: owned by that window when it is one, else unowned.
TEST_F(DialogTest, SettingsSwitchWithAWindowOwnsTheDialog) {
    const plat::Hwnd page = headless::CreateForeignWindow(10, 10, 400, 300);
    const std::string owned = "/c:" + std::to_string(page);
    const std::string upper = "-C:" + std::to_string(page);
    const struct {
        const char* arg;
        plat::Hwnd owner;
    } cases[] = {{owned.c_str(), page}, {upper.c_str(), page}, {"-C:0", 0}, {"/c:", 0}, {"/c:987654", 0}, {"/c", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        headless::ResetDialogs();
        headless::SetDialogScript([](plat::Hwnd dlg, std::uint16_t) { headless::PressEscape(dlg); });
        EXPECT_FALSE(RunApp({"morgrave", c.arg}));
        EXPECT_EQ(theApp.m_bConfigure, 1);
        ASSERT_EQ(headless::DialogLog().size(), 1u);
        EXPECT_EQ(headless::DialogLog()[0].owner, c.owner);
        EXPECT_TRUE(plat::IsWindowEnabled(page));
    }
    headless::SetDialogScript(nullptr);
    plat::DestroyWindow(page);
}

struct PasswordCall {
    int calls = 0;
    std::string provider;
    HWND owner = 0;
    DWORD reserved1 = 99, reserved2 = 99;
};
PasswordCall g_passwordCall;

DWORD WINAPI FakePwdChangePassword(const char* provider, HWND owner, DWORD r1, DWORD r2) {
    ++g_passwordCall.calls;
    g_passwordCall.provider = provider != nullptr ? provider : "";
    g_passwordCall.owner = owner;
    g_passwordCall.reserved1 = r1;
    g_passwordCall.reserved2 = r2;
    return 0;
}

TEST_F(DialogTest, PasswordModeCallsTheModuleOrEndsQuietly) {
    g_passwordCall = PasswordCall{};
    headless::RegisterModule("MPR.DLL", {{"PwdChangePasswordA", reinterpret_cast<void*>(&FakePwdChangePassword)}});
    EXPECT_FALSE(RunApp({"morgrave", "/a", "1234"}));
    EXPECT_EQ(g_passwordCall.calls, 1);
    EXPECT_EQ(g_passwordCall.provider, "SCRSAVE");
    EXPECT_EQ(g_passwordCall.owner, 1234u);
    EXPECT_EQ(g_passwordCall.reserved1, 0u);
    EXPECT_EQ(g_passwordCall.reserved2, 0u);
    EXPECT_EQ(headless::ModuleLoadCount(), 1);
    EXPECT_EQ(headless::ModuleFreeCount(), 1);
    EXPECT_TRUE(headless::DialogLog().empty());

    // A module without the function is loaded and freed, and nothing is called.
    headless::ResetModules();
    headless::RegisterModule("mpr.dll", {});
    EXPECT_FALSE(RunApp({"morgrave", "-A", "77"}));
    EXPECT_EQ(g_passwordCall.calls, 1);
    EXPECT_EQ(headless::ModuleLoadCount(), 1);
    EXPECT_EQ(headless::ModuleFreeCount(), 1);

    // No module at all: the mode ends quietly.
    headless::ResetModules();
    EXPECT_FALSE(RunApp({"morgrave", "a"}));
    EXPECT_EQ(g_passwordCall.calls, 1);
    EXPECT_EQ(headless::ModuleLoadAttempts(), 1);
    EXPECT_EQ(headless::ModuleFreeCount(), 0);
    EXPECT_TRUE(headless::MessageBoxes().empty());
}

}  // namespace
