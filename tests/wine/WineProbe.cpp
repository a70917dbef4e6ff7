// Test probe beside the saver under Wine: its live windows through the Win32 API.

// Prints plain lines for the test scripts to compare.
//   WineProbe find <title> <ms>      waits for a visible top-level window with that title; prints its handle
//   WineProbe gone <title> <ms>      waits until no such window is left; exit code 0 when gone
//   WineProbe dialog <title>         the live dialog: style, then each control as the user sees it
//   WineProbe post <title> <msg> <wparam> <lparam>   posts a message to that window
//   WineProbe rect <title>           screen rectangle of that window
//   WineProbe saverrect              the saver's full-screen window and the virtual screen
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

BOOL CALLBACK DumpChild(HWND child, LPARAM lParam) {
    if (GetParent(child) != reinterpret_cast<HWND>(lParam)) return TRUE;
    char cls[64] = {}, text[4096] = {};
    GetClassNameA(child, cls, sizeof cls);
    // WM_GETTEXT crosses processes (GetWindowText does not read other processes' controls).
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    std::string shown;
    for (const char* c = text; *c != '\0'; ++c) shown += *c == '\n' ? std::string("\\n") : std::string(1, *c);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    std::printf("  control id=%d class=%s style=0x%08lX", GetDlgCtrlID(child), cls, static_cast<unsigned long>(style));
    if (lstrcmpiA(cls, TRACKBAR_CLASSA) == 0) {
        std::printf(" pos=%ld min=%ld max=%ld", static_cast<long>(SendMessageA(child, TBM_GETPOS, 0, 0)),
                    static_cast<long>(SendMessageA(child, TBM_GETRANGEMIN, 0, 0)),
                    static_cast<long>(SendMessageA(child, TBM_GETRANGEMAX, 0, 0)));
    } else if (lstrcmpiA(cls, "Button") == 0 && (style & 0x0F) == BS_AUTOCHECKBOX) {
        std::printf(" check=%ld", static_cast<long>(SendMessageA(child, BM_GETCHECK, 0, 0)));
    }
    // The text goes last: it may hold blanks.
    std::printf(" enabled=%d text=%s\n", IsWindowEnabled(child) ? 1 : 0, shown.c_str());
    return TRUE;
}

int Wait(const char* title, int ms, bool present) {
    for (const DWORD start = GetTickCount(); static_cast<int>(GetTickCount() - start) <= ms; Sleep(100)) {
        HWND hwnd = FindWindowA(nullptr, title);
        if (present && hwnd != nullptr && IsWindowVisible(hwnd)) {
            std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)));
            return 0;
        }
        if (!present && hwnd == nullptr) return 0;
    }
    return 1;
}

// The saver's full-screen window: a visible topmost window of the framework's classes.
BOOL CALLBACK FindSaver(HWND hwnd, LPARAM lParam) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strncmp(cls, "Afx:", 4) != 0 || !IsWindowVisible(hwnd) ||
        !(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    HWND hwnd = argc > 2 ? FindWindowA(nullptr, argv[2]) : nullptr;
    RECT rc;
    if (cmd == "find" && argc == 4) return Wait(argv[2], std::atoi(argv[3]), true);
    if (cmd == "gone" && argc == 4) return Wait(argv[2], std::atoi(argv[3]), false);
    if (cmd == "dialog" && hwnd != nullptr) {
        std::printf("window style=0x%08lX enabled=%d owner=%s\n",
                    static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)), IsWindowEnabled(hwnd) ? 1 : 0,
                    GetWindow(hwnd, GW_OWNER) != nullptr ? "yes" : "no");
        EnumChildWindows(hwnd, DumpChild, reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    if (cmd == "post" && argc == 6 && hwnd != nullptr) {
        return PostMessageA(hwnd, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                            static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)),
                            static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)))
                   ? 0
                   : 1;
    }
    if (cmd == "rect" && hwnd != nullptr && GetWindowRect(hwnd, &rc)) {
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
        return 0;
    }
    if (cmd == "saverrect") {  // "window l t r b virtual x y cx cy" (indices 76..79 of GetSystemMetrics)
        EnumWindows(FindSaver, reinterpret_cast<LPARAM>(&hwnd));
        if (hwnd == nullptr || !GetWindowRect(hwnd, &rc)) return 1;
        std::printf("window %ld %ld %ld %ld virtual %d %d %d %d\n", rc.left, rc.top, rc.right, rc.bottom,
                    GetSystemMetrics(76), GetSystemMetrics(77), GetSystemMetrics(78), GetSystemMetrics(79));
        return 0;
    }
    return 2;
}
