// CWinApp: the application object's start-up, message loop, command table and settings store.
#pragma once

#include <string>

#include "framework/Object.h"
#include "framework/WinDefs.h"

class CWinApp;
class CWnd;

// The framework's help command.
constexpr UINT ID_HELP = 0xE146;  // 57670

// One entry of an application command table; nID 0 ends the table.
struct AFX_CMDMAP_ENTRY {
    UINT nID;
    void (*pfn)(CWinApp* self);
};

struct AFX_CMDMAP {
    const AFX_CMDMAP* (*pfnGetBaseMap)();
    const AFX_CMDMAP_ENTRY* lpEntries;
};

// clang-format off
#define DECLARE_APP_COMMAND_MAP()                     \
protected:                                            \
    static const AFX_CMDMAP* GetThisCommandMap();     \
    const AFX_CMDMAP* GetCommandMap() const override;

#define BEGIN_APP_COMMAND_MAP(theClass, baseClass)                                         \
    const AFX_CMDMAP* theClass::GetCommandMap() const { return GetThisCommandMap(); }      \
    const AFX_CMDMAP* theClass::GetThisCommandMap() {                                      \
        using ThisClass = theClass;                                                        \
        using TheBaseClass = baseClass;                                                    \
        static constexpr AFX_CMDMAP_ENTRY _commandEntries[] = {
#define ON_APP_COMMAND(id, memberFxn) \
    {static_cast<UINT>(id), [](CWinApp* a) { static_cast<ThisClass*>(a)->memberFxn(); }},
#define END_APP_COMMAND_MAP()                                                              \
        {0, nullptr}};                                                                     \
        static constexpr AFX_CMDMAP commandMap = {&TheBaseClass::GetThisCommandMap,        \
                                                  &_commandEntries[0]};                    \
        return &commandMap;                                                                \
    }
// clang-format on

class CWinApp : public CObject {
public:
    // The first object made is the process's application object (there is exactly one).
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The command line as the C runtime split it (argument 0 is the program).
    int m_argc = 0;
    char** m_argv = nullptr;
    // Whether the command line takes more than the mode letter and a window handle ("--help",
    // "--version", options after "s"): as the platform answered at start-up.
    BOOL m_bTakesOptions = TRUE;

    // The application name: the settings key component below the company key.
    const char* m_pszAppName = nullptr;
    // The company key set by SetRegistryKey; nullptr until then (no settings store).
    const char* m_pszRegistryKey = nullptr;
    // The window whose destruction ends the message loop.
    CWnd* m_pMainWnd = nullptr;

    // Start-up, once, before any message loop; FALSE ends the process without a loop.
    virtual BOOL InitInstance();
    // The message loop: dispatches until WM_QUIT; returns its exit code. Returns at once when
    // there is no live main window, so a failed start never leaves a loop without a window.
    virtual int Run();

    // Derives the application name from the running executable's path (unless one was given).
    void SetCurrentHandles();
    // Cuts a module path to the application name: no directory, no extension.
    static std::string AppNameFromPath(const std::string& path);

    // Three-dimensional dialog controls: nothing to do on any current platform.
    BOOL Enable3dControls() { return TRUE; }
    // From here on the settings store is HKCU\Software\<company>\<app name>.
    void SetRegistryKey(const char* lpszRegistryKey);

    // Settings store: an integer of `lpszSection`; any failure, a missing value or data that is
    // not exactly 4 bytes gives nDefault. Reading creates the key path.
    UINT GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault);
    // Settings store: an optional REG_DWORD; TRUE with *pdwValue set only for a 4-byte REG_DWORD.
    BOOL GetProfileDword(const char* lpszSection, const char* lpszEntry, DWORD* pdwValue);
    // Settings store: writes the integer as a REG_DWORD; TRUE when it was stored.
    BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);
    // Settings store: the profile writes between these reach the store as one atomic write at
    // EndProfileWrites (FALSE when it failed, and then none of them was kept).
    void BeginProfileWrites();
    BOOL EndProfileWrites();

    // Routes a command through the application's command tables; TRUE when a handler took it.
    BOOL OnCmdMsg(UINT nID);
    // The framework's help handler: no help file ships with the saver, so it does nothing.
    void OnHelp() {}

    static const AFX_CMDMAP* GetThisCommandMap();
    virtual const AFX_CMDMAP* GetCommandMap() const;

private:
    // Opens (creating as needed) HKCU\Software\<company>\<app>\<section>; 0 on failure.
    plat::HKey GetSectionKey(const char* lpszSection);

    std::string m_strAppName;
    std::string m_strRegistryKey;
};

// The one application object, and its main window (nullptr when there is none).
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// The framework's start-up: stores the arguments, derives the application name, runs
// InitInstance and, when it succeeds, the message loop. Returns the process's exit code.
int AfxWinMain(int argc, char** argv);
