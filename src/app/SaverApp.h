// CSaverApp: the saver's application object: settings, start-up and the four command-line modes.
#pragma once

#include <cstdio>

#include "framework/WinApp.h"
#include "framework/WinDefs.h"

// Argument 1 against a mode letter: one leading '-' or '/' is dropped, then the rest must equal
// the letter as a whole string, ignoring case. 1 for a match, 0 otherwise.
int MatchSwitch(const char* lpszArg, const char* lpszLetter);

class CSaverApp : public CWinApp {
public:
    CSaverApp();
    ~CSaverApp() override;

    BOOL InitInstance() override;

    // Settings (registry values "Enable sound", "Pain", "Subliminals"); read at start-up and
    // changed again only by the settings mode.
    int m_nEnableSound = 1;
    int m_nSubliminals = 1;
    int m_nPain = 3;
    // Optional "Scale" value (0 automatic, 1..8): read at start-up, never written by the saver.
    int m_nScale = 1;
    // A stored "Scale" as the saver reads it: 0 and 2..8 as they are, anything else 1.
    static int NormalizeScale(DWORD dwValue);
    // Which mode ran.
    int m_bConfigure = 0;
    int m_bPreview = 0;
    int m_bFullScreen = 0;

    // The mode picked by argument 1 (none: settings). "/c:HWND" and "-c:HWND" (any case) pick the
    // settings too; the window after the colon owns the dialog (OwnerFromSettingsSwitch).
    static HWND OwnerFromSettingsSwitch(const char* lpszArg);
    enum class Mode { None, Settings, Preview, FullScreen, Password };
    static Mode SelectMode(int argc, char** argv);

    // Argument 2 as a signed decimal number: leading white space, an optional sign, digits up to
    // the first other character; no digits (or no argument) give 0. Values beyond 32 bits are
    // clamped to the nearest 32-bit limit.
    static LONG ParseHandleArgument(const char* lpszArg);
    // The window named by argument 2 (0 when it is missing).
    HWND GetArgumentWindow() const;

    // The mode actions (SaverAppModes.cpp); each returns what InitInstance returns.
    BOOL DoSettingsMode();
    BOOL DoPreviewMode();
    BOOL DoFullScreenMode();
    BOOL DoPasswordMode();
    // Runs the settings dialog (owned by pOwner when given) and stores the settings, however the
    // dialog ended.
    void RunSettingsDialog(CWnd* pOwner = nullptr);

    // The Linux command line beyond the mode letter (SaverAppOptions.cpp).
    // "--help" or "--version" as argument 1: prints its text to `out` and returns true.
    static bool PrintInformation(int argc, char** argv, std::FILE* out);
    // Options after "s" ("--pain N", "--sound 0|1", "--subliminals 0|1", "--scale N") replace the
    // settings read from the store for this run only; "-window-id ID" belongs to the window
    // back-end; anything else is skipped with one line on `err`.
    void ApplyRunOptions(std::FILE* err);

    DECLARE_APP_COMMAND_MAP()
};

// The one application object.
extern CSaverApp theApp;
