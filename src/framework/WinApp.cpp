// CWinApp: application object registration, start-up, message loop and the registry settings store.
#include "framework/WinApp.h"

#include "framework/Wnd.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Window.h"

namespace {
// Framework bookkeeping: the one application object of the process.
CWinApp* g_pApp = nullptr;

constexpr DWORD kKeyAccess = KEY_READ | KEY_WRITE;  // 0x2001F
}  // namespace

CWinApp::CWinApp(const char* lpszAppName) {
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName.c_str();
    }
    // The first application object is the process's; later ones (tests) do not replace it.
    if (g_pApp == nullptr) g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    if (m_pMainWnd == nullptr || m_pMainWnd->GetSafeHwnd() == 0 || !plat::IsWindow(m_pMainWnd->GetSafeHwnd())) {
        return 0;
    }
    plat::Msg msg{};
    while (plat::GetMessage(&msg)) plat::DispatchMessage(&msg);
    return static_cast<int>(msg.wParam);
}

std::string CWinApp::AppNameFromPath(const std::string& path) {
    const std::size_t nSep = path.find_last_of("\\/:");
    std::string name = nSep == std::string::npos ? path : path.substr(nSep + 1);
    // The extension is cut only from the file name itself: a dot in a folder name
    // (~/.local/bin/morgrave) must not eat the name. A name that is all extension stays whole.
    const std::size_t nDot = name.find_last_of('.');
    if (nDot != std::string::npos && nDot > 0) name.resize(nDot);
    return name;
}

void CWinApp::SetCurrentHandles() {
    if (m_pszAppName != nullptr) return;
    m_strAppName = AppNameFromPath(plat::GetModuleFileName());
    m_pszAppName = m_strAppName.c_str();
}

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
    if (lpszRegistryKey == nullptr) return;
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey.c_str();
}

plat::HKey CWinApp::GetSectionKey(const char* lpszSection) {
    if (m_pszRegistryKey == nullptr || lpszSection == nullptr) return 0;
    if (m_pszAppName == nullptr) SetCurrentHandles();

    plat::HKey hSoftKey = 0;
    if (plat::RegOpenKeyEx(plat::kHKeyCurrentUser, "Software", kKeyAccess, &hSoftKey) != plat::kErrorSuccess) {
        return 0;
    }
    plat::HKey hCompanyKey = 0;
    plat::HKey hAppKey = 0;
    plat::HKey hSectionKey = 0;
    if (plat::RegCreateKeyEx(hSoftKey, m_pszRegistryKey, kKeyAccess, &hCompanyKey) == plat::kErrorSuccess) {
        if (plat::RegCreateKeyEx(hCompanyKey, m_pszAppName, kKeyAccess, &hAppKey) == plat::kErrorSuccess) {
            if (plat::RegCreateKeyEx(hAppKey, lpszSection, kKeyAccess, &hSectionKey) != plat::kErrorSuccess) {
                hSectionKey = 0;
            }
            plat::RegCloseKey(hAppKey);
        }
        plat::RegCloseKey(hCompanyKey);
    }
    plat::RegCloseKey(hSoftKey);
    return hSectionKey;
}

UINT CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) {
    const plat::HKey hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == 0) return static_cast<UINT>(nDefault);
    std::uint32_t dwValue = 0;
    std::uint32_t dwType = 0;
    std::uint32_t dwCount = sizeof(dwValue);
    const long lResult = plat::RegQueryValueEx(hSecKey, lpszEntry, &dwType, &dwValue, &dwCount);
    plat::RegCloseKey(hSecKey);
    // Data shorter than 4 bytes would leave part of the number unset: it counts as unreadable.
    if (lResult == plat::kErrorSuccess && dwCount == sizeof(dwValue)) return dwValue;
    return static_cast<UINT>(nDefault);
}

BOOL CWinApp::GetProfileDword(const char* lpszSection, const char* lpszEntry, DWORD* pdwValue) {
    const plat::HKey hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == 0 || pdwValue == nullptr) return FALSE;
    std::uint32_t dwValue = 0;
    std::uint32_t dwType = 0;
    std::uint32_t dwCount = sizeof(dwValue);
    const long lResult = plat::RegQueryValueEx(hSecKey, lpszEntry, &dwType, &dwValue, &dwCount);
    plat::RegCloseKey(hSecKey);
    if (lResult != plat::kErrorSuccess || dwType != plat::kRegDword || dwCount != sizeof(dwValue)) return FALSE;
    *pdwValue = dwValue;
    return TRUE;
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
    const plat::HKey hSecKey = GetSectionKey(lpszSection);
    if (hSecKey == 0) return FALSE;
    const std::uint32_t dwValue = static_cast<std::uint32_t>(nValue);
    const long lResult = plat::RegSetValueEx(hSecKey, lpszEntry, plat::kRegDword, &dwValue, sizeof(dwValue));
    plat::RegCloseKey(hSecKey);
    return lResult == plat::kErrorSuccess ? TRUE : FALSE;
}

void CWinApp::BeginProfileWrites() { plat::RegBeginWrites(); }

BOOL CWinApp::EndProfileWrites() { return plat::RegEndWrites() ? TRUE : FALSE; }

const AFX_CMDMAP* CWinApp::GetThisCommandMap() {
    static constexpr AFX_CMDMAP_ENTRY entries[] = {{0, nullptr}};
    static constexpr AFX_CMDMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_CMDMAP* CWinApp::GetCommandMap() const { return GetThisCommandMap(); }

BOOL CWinApp::OnCmdMsg(UINT nID) {
    for (const AFX_CMDMAP* pMap = GetCommandMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_CMDMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nID != 0; ++pEntry) {
            if (pEntry->nID == nID) {
                pEntry->pfn(this);
                return TRUE;
            }
        }
    }
    return FALSE;
}

int AfxWinMain(int argc, char** argv) {
    const bool bTakesOptions = plat::StartProcess(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return 1;
    pApp->m_argc = argc;
    pApp->m_argv = argv;
    pApp->m_bTakesOptions = bTakesOptions ? TRUE : FALSE;
    pApp->SetCurrentHandles();
    if (!pApp->InitInstance()) return 0;
    return pApp->Run();
}
