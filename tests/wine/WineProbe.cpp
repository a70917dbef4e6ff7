// Test probe beside the saver under Wine: its resources and live windows through the Win32 API.

// Prints plain lines for the test scripts to compare.
//   WineProbe templates <scr>        dialog templates 100-102 and strings as stored in the .scr
//   WineProbe find <title> <ms>      waits for a top-level window with that title; prints its handle
//   WineProbe gone <title> <ms>      waits until no such window is left; exit code 0 when gone
//   WineProbe dialog <title>         the live dialog: style, then each control as the user sees it
//   WineProbe post <title> <msg> <wparam> <lparam>   posts a message to that window
//   WineProbe rect <title>           screen rectangle of that window
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- dialog templates -------------------------------------------------------------------------

struct Reader {
    const BYTE* p;
    const BYTE* end;
    bool ok = true;
    WORD Word() {
        if (p + 2 > end) { ok = false; return 0; }
        WORD v; std::memcpy(&v, p, 2); p += 2; return v;
    }
    DWORD Dword() {
        if (p + 4 > end) { ok = false; return 0; }
        DWORD v; std::memcpy(&v, p, 4); p += 4; return v;
    }
    void Align(const BYTE* base) {
        while (((p - base) & 3) != 0 && p < end) ++p;
    }
    // sz_Or_Ord: 0 none, 0xFFFF + ordinal, or a NUL-terminated UTF-16 string.
    std::string NameOrOrdinal() {
        const WORD first = Word();
        if (first == 0) return "";
        if (first == 0xFFFF) {
            std::string ordinal(1, '#');
            ordinal += std::to_string(Word());
            return ordinal;
        }
        std::string s;
        for (WORD c = first; ok && c != 0; c = Word()) s += c < 128 ? static_cast<char>(c) : '?';
        return s;
    }
};

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void DumpTemplate(HMODULE module, WORD id) {
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (res == nullptr) {
        std::printf("dialog %u missing\n", id);
        return;
    }
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    Reader r{base, base + SizeofResource(module, res)};
    const bool ex = r.Word() == 1 && r.Word() == 0xFFFF;
    DWORD style = 0, exStyle = 0;
    if (ex) {
        r.Dword();  // help id
        exStyle = r.Dword();
        style = r.Dword();
    } else {
        r.p = base;
        style = r.Dword();
        exStyle = r.Dword();
    }
    const WORD count = r.Word();
    const short x = static_cast<short>(r.Word()), y = static_cast<short>(r.Word());
    const short cx = static_cast<short>(r.Word()), cy = static_cast<short>(r.Word());
    const std::string menu = r.NameOrOrdinal();
    const std::string cls = r.NameOrOrdinal();
    const std::string title = r.NameOrOrdinal();
    std::string font;
    if (style & DS_SETFONT) {
        const WORD points = r.Word();
        if (ex) { r.Word(); r.Word(); }  // weight, italic + charset
        font = std::to_string(points);
        font += ',';
        font += r.NameOrOrdinal();
    }
    std::printf("dialog %u style=0x%08lX exstyle=0x%08lX rect=%d,%d,%d,%d menu=%s class=%s font=%s title=%s\n", id,
                static_cast<unsigned long>(style), static_cast<unsigned long>(exStyle), x, y, cx, cy, menu.c_str(),
                cls.c_str(), font.c_str(), title.c_str());
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.Align(base);
        DWORD itemStyle = 0, itemEx = 0, itemId = 0;
        if (ex) {
            r.Dword();  // help id
            itemEx = r.Dword();
            itemStyle = r.Dword();
        } else {
            itemStyle = r.Dword();
            itemEx = r.Dword();
        }
        const short ix = static_cast<short>(r.Word()), iy = static_cast<short>(r.Word());
        const short icx = static_cast<short>(r.Word()), icy = static_cast<short>(r.Word());
        itemId = ex ? r.Dword() : r.Word();
        std::string itemClass = Upper(r.NameOrOrdinal());
        const std::string text = r.NameOrOrdinal();
        const WORD extra = r.Word();
        r.p += extra;
        std::printf("  item id=%lu class=%s style=0x%08lX exstyle=0x%08lX rect=%d,%d,%d,%d text=%s\n",
                    static_cast<unsigned long>(itemId & 0xFFFF), itemClass.c_str(), static_cast<unsigned long>(itemStyle),
                    static_cast<unsigned long>(itemEx), ix, iy, icx, icy, Escape(text).c_str());
    }
    if (!r.ok) std::printf("dialog %u truncated\n", id);
}

int Templates(const char* scr) {
    HMODULE module = LoadLibraryExA(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        std::printf("cannot load %s\n", scr);
        return 1;
    }
    for (WORD id : {100, 101, 102}) DumpTemplate(module, id);
    for (UINT id : {1u, 101u, 59142u}) {
        char text[512] = {};
        LoadStringA(module, id, text, sizeof text);
        std::printf("string %u=%s\n", id, Escape(text).c_str());
    }
    return 0;
}

// ---- live windows -----------------------------------------------------------------------------

HWND FindTop(const char* title) { return FindWindowA(nullptr, title); }

std::string TextOf(HWND hwnd) {
    char text[4096] = {};
    // WM_GETTEXT crosses processes (GetWindowText does not read other processes' controls).
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

BOOL CALLBACK DumpChild(HWND child, LPARAM lParam) {
    HWND dlg = reinterpret_cast<HWND>(lParam);
    if (GetParent(child) != dlg) return TRUE;
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    std::printf("  control id=%d class=%s style=0x%08lX px=%ld,%ld,%ld,%ld", GetDlgCtrlID(child), Upper(cls).c_str(),
                static_cast<unsigned long>(style), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    const std::string upper = Upper(cls);
    if (upper == "MSCTLS_TRACKBAR32") {
        std::printf(" pos=%ld min=%ld max=%ld", static_cast<long>(SendMessageA(child, TBM_GETPOS, 0, 0)),
                    static_cast<long>(SendMessageA(child, TBM_GETRANGEMIN, 0, 0)),
                    static_cast<long>(SendMessageA(child, TBM_GETRANGEMAX, 0, 0)));
    } else if (upper == "BUTTON" && (style & 0x0F) == BS_AUTOCHECKBOX) {
        std::printf(" check=%ld", static_cast<long>(SendMessageA(child, BM_GETCHECK, 0, 0)));
    }
    // The text goes last: it may hold blanks.
    std::printf(" enabled=%d text=%s\n", IsWindowEnabled(child) ? 1 : 0, Escape(TextOf(child)).c_str());
    return TRUE;
}

int Dialog(const char* title) {
    HWND dlg = FindTop(title);
    if (dlg == nullptr) {
        std::printf("no window %s\n", title);
        return 1;
    }
    RECT rc;
    GetWindowRect(dlg, &rc);
    std::printf("window style=0x%08lX exstyle=0x%08lX enabled=%d screen=%ld,%ld,%ld,%ld owner=%s\n",
                static_cast<unsigned long>(GetWindowLongA(dlg, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(dlg, GWL_EXSTYLE)), IsWindowEnabled(dlg) ? 1 : 0, rc.left,
                rc.top, rc.right - rc.left, rc.bottom - rc.top, GetWindow(dlg, GW_OWNER) != nullptr ? "yes" : "no");
    EnumChildWindows(dlg, DumpChild, reinterpret_cast<LPARAM>(dlg));
    return 0;
}

int Wait(const char* title, int ms, bool present) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindTop(title);
        if (present && hwnd != nullptr && IsWindowVisible(hwnd)) {
            std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)));
            return 0;
        }
        if (!present && hwnd == nullptr) return 0;
        if (static_cast<int>(GetTickCount() - start) > ms) return 1;
        Sleep(100);
    }
}

// The saver's full-screen window (a visible topmost window of the framework's classes) against
// the virtual screen: "window l t r b virtual x y cx cy" (indices 76..79 of GetSystemMetrics).
BOOL CALLBACK FindSaver(HWND hwnd, LPARAM lParam) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strncmp(cls, "Afx:", 4) != 0 || !IsWindowVisible(hwnd) || !(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

int SaverRect() {
    HWND hwnd = nullptr;
    EnumWindows(FindSaver, reinterpret_cast<LPARAM>(&hwnd));
    RECT rc;
    if (hwnd == nullptr || !GetWindowRect(hwnd, &rc)) return 1;
    std::printf("window %ld %ld %ld %ld virtual %d %d %d %d\n", rc.left, rc.top, rc.right, rc.bottom, GetSystemMetrics(76),
                GetSystemMetrics(77), GetSystemMetrics(78), GetSystemMetrics(79));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "templates" && argc == 3) return Templates(argv[2]);
    if (cmd == "find" && argc == 4) return Wait(argv[2], std::atoi(argv[3]), true);
    if (cmd == "gone" && argc == 4) return Wait(argv[2], std::atoi(argv[3]), false);
    if (cmd == "dialog" && argc == 3) return Dialog(argv[2]);
    if (cmd == "post" && argc == 6) {
        HWND hwnd = FindTop(argv[2]);
        if (hwnd == nullptr) return 1;
        return PostMessageA(hwnd, static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                            static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)),
                            static_cast<LPARAM>(std::strtol(argv[5], nullptr, 0)))
                   ? 0
                   : 1;
    }
    if (cmd == "rect" && argc == 3) {
        HWND hwnd = FindTop(argv[2]);
        RECT rc;
        if (hwnd == nullptr || !GetWindowRect(hwnd, &rc)) return 1;
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
        return 0;
    }
    if (cmd == "saverrect") return SaverRect();
    std::fprintf(stderr, "usage: WineProbe templates|find|gone|dialog|post|rect|saverrect ...\n");
    return 2;
}
