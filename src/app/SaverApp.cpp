// CSaverApp: start-up (settings read and written back, seeding, mode selection) and theApp.
#include "app/SaverApp.h"

#include <cctype>
#include <climits>

#include "framework/WinApi.h"
#include "scene/SceneRandom.h"

CSaverApp theApp;

namespace {
constexpr const char* kCompanyKey = "Tarnwick Productions Ltd";
constexpr const char* kSection = "Settings";

// "/c:" or "-c:" (either case) starts the switch the Windows display settings pass.
bool IsSettingsWithOwner(const char* lpszArg) {
    return lpszArg != nullptr && (lpszArg[0] == '/' || lpszArg[0] == '-') && (lpszArg[1] == 'c' || lpszArg[1] == 'C') &&
           lpszArg[2] == ':';
}
}  // namespace

int MatchSwitch(const char* lpszArg, const char* lpszLetter) {
    if (lpszArg == nullptr || lpszLetter == nullptr) return 0;
    if (*lpszArg == '-' || *lpszArg == '/') ++lpszArg;
    // Whole strings, ignoring case (ASCII, as lstrcmpi does for these letters).
    for (;; ++lpszArg, ++lpszLetter) {
        const int a = std::tolower(static_cast<unsigned char>(*lpszArg));
        const int b = std::tolower(static_cast<unsigned char>(*lpszLetter));
        if (a != b) return 0;
        if (a == 0) return 1;
    }
}

BEGIN_APP_COMMAND_MAP(CSaverApp, CWinApp)
    ON_APP_COMMAND(ID_HELP, OnHelp)
END_APP_COMMAND_MAP()

CSaverApp::CSaverApp() = default;
CSaverApp::~CSaverApp() = default;

CSaverApp::Mode CSaverApp::SelectMode(int argc, char** argv) {
    if (argc <= 1 || argv == nullptr) return Mode::Settings;
    const char* lpszArg = argv[1];
    if (MatchSwitch(lpszArg, "c") || IsSettingsWithOwner(lpszArg)) return Mode::Settings;
    if (MatchSwitch(lpszArg, "p")) return Mode::Preview;
    if (MatchSwitch(lpszArg, "s")) return Mode::FullScreen;
    if (MatchSwitch(lpszArg, "a")) return Mode::Password;
    return Mode::None;
}

LONG CSaverApp::ParseHandleArgument(const char* lpszArg) {
    if (lpszArg == nullptr) return 0;
    const char* p = lpszArg;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-') {
        bNegative = *p == '-';
        ++p;
    }
    // Accumulates the magnitude with a ceiling just past the 32-bit range, then clamps.
    long long nValue = 0;
    constexpr long long kCeiling = static_cast<long long>(INT_MAX) + 2;
    for (; *p >= '0' && *p <= '9'; ++p) {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > kCeiling) nValue = kCeiling;
    }
    if (bNegative) nValue = -nValue;
    if (nValue > INT_MAX) return INT_MAX;
    if (nValue < INT_MIN) return INT_MIN;
    return static_cast<LONG>(nValue);
}

HWND CSaverApp::OwnerFromSettingsSwitch(const char* lpszArg) {
    if (!IsSettingsWithOwner(lpszArg)) return 0;
    return static_cast<HWND>(static_cast<std::intptr_t>(ParseHandleArgument(lpszArg + 3)));
}

int CSaverApp::NormalizeScale(DWORD dwValue) { return dwValue <= 8 ? static_cast<int>(dwValue) : 1; }

HWND CSaverApp::GetArgumentWindow() const {
    const LONG nHandle = ParseHandleArgument(m_argc > 2 && m_argv != nullptr ? m_argv[2] : nullptr);
    // A negative number names a handle the way the Windows C runtime would: sign-extended.
    return static_cast<HWND>(static_cast<std::intptr_t>(nHandle));
}

BOOL CSaverApp::InitInstance() {
    // Asked for its usage or version, the program answers and ends before touching the store.
    if (m_bTakesOptions && PrintInformation(m_argc, m_argv, stdout)) return FALSE;
    Enable3dControls();
    SetRegistryKey(kCompanyKey);
    CSceneRandom::Seed(static_cast<std::uint32_t>(AfxGetTime()));

    // Each value is written straight back, so after any start the store holds all three (in one
    // write of the store).
    BeginProfileWrites();
    m_nEnableSound = static_cast<int>(GetProfileInt(kSection, "Enable sound", 1));
    WriteProfileInt(kSection, "Enable sound", m_nEnableSound);
    m_nPain = static_cast<int>(GetProfileInt(kSection, "Pain", 3));
    WriteProfileInt(kSection, "Pain", m_nPain);
    m_nSubliminals = static_cast<int>(GetProfileInt(kSection, "Subliminals", 1));
    WriteProfileInt(kSection, "Subliminals", m_nSubliminals);
    DWORD dwScale = 1;
    m_nScale = GetProfileDword(kSection, "Scale", &dwScale) ? NormalizeScale(dwScale) : 1;
    EndProfileWrites();

    const Mode mode = SelectMode(m_argc, m_argv);
    switch (mode) {
        case Mode::Settings: return DoSettingsMode();
        case Mode::Preview: return DoPreviewMode();
        case Mode::FullScreen:
            // After the write-back: the options never reach the store.
            if (m_bTakesOptions) ApplyRunOptions(stderr);
            return DoFullScreenMode();
        case Mode::Password: return DoPasswordMode();
        case Mode::None: break;
    }
    return FALSE;
}
