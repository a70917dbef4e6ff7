// Test of the Windows back-end itself under Wine: every seam function against real Win32 results.

// Runs as a console program linked with the back-end and the saver's resources; prints one line
// per check and "N passed, N failed" at the end (exit code 1 when any check failed).
#include "platform/win32/Win32Api.h"  // windows.h without the macros that rename the seam

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/Window.h"

namespace {

int g_passed = 0, g_failed = 0;  // the probe's own tally (test program, one thread)

void Check(bool ok, const std::string& what) {
    std::printf("%s  %s\n", ok ? "ok  " : "FAIL", what.c_str());
    (ok ? g_passed : g_failed)++;
}

// ---- a window procedure that records what it sees ---------------------------------------------

struct Seen {
    std::vector<UINT> messages;
    bool userBeforeCreate = false;  // user data already there at the first message
    plat::CreateParams create;
    bool refuse = false;
};

std::intptr_t RecordingProc(plat::Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    auto* seen = static_cast<Seen*>(plat::GetWindowUserData(hwnd));
    if (seen == nullptr) return plat::DefWindowProc(hwnd, msg, wParam, lParam);
    if (seen->messages.empty()) seen->userBeforeCreate = true;
    seen->messages.push_back(msg);
    if (msg == WM_CREATE) {
        seen->create = *reinterpret_cast<const plat::CreateParams*>(lParam);
        if (seen->refuse) return -1;
    }
    return plat::DefWindowProc(hwnd, msg, wParam, lParam);
}

std::uint32_t Pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 7) << 16 | (y * 5) << 8 | ((x ^ y) & 0xff));
}

void TestWindows() {
    Check(plat::RegisterClass("MgSeamProbe", CS_HREDRAW | CS_VREDRAW, 129, &RecordingProc) &&
              plat::IsClassRegistered("MgSeamProbe") && !plat::IsClassRegistered("MgNotRegistered"),
          "RegisterClass, IsClassRegistered");

    Seen seen;
    const plat::Hwnd hwnd = plat::CreateWindowEx(0, "MgSeamProbe", "", WS_POPUP | WS_VISIBLE, 10, 20, 64, 48, 0, &seen);
    Check(hwnd != 0 && plat::IsWindow(hwnd), "CreateWindowEx makes a live window");
    Check(seen.userBeforeCreate && !seen.messages.empty() && seen.messages.front() != WM_CREATE,
          "user data is there from the very first message (before WM_CREATE)");
    Check(seen.create.user == &seen && seen.create.style == (WS_POPUP | WS_VISIBLE) && seen.create.x == 10 &&
              seen.create.y == 20 && seen.create.width == 64 && seen.create.height == 48 && seen.create.parent == 0,
          "WM_CREATE carries the seam's CreateParams");
    Check(plat::DefWindowProc(hwnd, WM_CREATE, 0, 12345) == 0, "default WM_CREATE handling is 0 and reads nothing");
    plat::Rect rc;
    plat::Surface* s = plat::GetWindowSurface(hwnd);
    Check(plat::GetClientRect(hwnd, &rc) && rc.right == 64 && rc.bottom == 48 && s != nullptr && s->width == 64 &&
              s->height == 48 && s->pitch >= 64,
          "GetClientRect and the backing store: 64x48");
    if (s != nullptr) {
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x) s->pixels[y * s->pitch + x] = Pattern(x, y);
        const plat::Rect shown[] = {{8, 4, 40, 30}, {50, 40, 70, 60}};  // the second one reaches outside
        plat::PresentRects(hwnd, shown, 2);
        HDC dc = GetDC(reinterpret_cast<HWND>(hwnd));
        bool same = true;
        for (POINT p : {POINT{8, 4}, POINT{39, 4}, POINT{8, 29}, POINT{39, 29}, POINT{20, 17}, POINT{63, 47}}) {
            const COLORREF c = GetPixel(dc, p.x, p.y);
            const std::uint32_t want = Pattern(p.x, p.y);
            same = same && c == RGB((want >> 16) & 0xff, (want >> 8) & 0xff, want & 0xff);
        }
        ReleaseDC(reinterpret_cast<HWND>(hwnd), dc);
        Check(same, "PresentRects shows exactly the store's pixels, rows in order, clipped to the client area");
        Check(plat::GetWindowSurface(hwnd) == s && s->pixels[4 * s->pitch + 8] == Pattern(8, 4),
              "the store keeps its pixels between contexts");
    }

    plat::Msg m;
    Check(plat::PostMessage(hwnd, WM_USER + 1, 5, 6) &&
              plat::PeekMessage(&m, hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE) && m.message == WM_USER + 1 &&
              m.wParam == 5 && m.lParam == 6 && m.hwnd == hwnd,
          "PostMessage / PeekMessage with a filter");
    Check(!plat::PeekMessage(&m, hwnd, WM_USER + 1, WM_USER + 1, PM_REMOVE), "PM_REMOVE took it off the queue");
    bool ticked = false;
    plat::SetTimer(hwnd, 7, 30);
    const DWORD start = GetTickCount();
    while (!ticked && GetTickCount() - start < 3000 && plat::GetMessage(&m)) {
        if (m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == 7) ticked = true;
        plat::DispatchMessage(&m);
    }
    Check(ticked && plat::KillTimer(hwnd, 7), "SetTimer: WM_TIMER 7 arrives through GetMessage; KillTimer");
    const std::size_t before = seen.messages.size();
    Check(plat::SendMessage(hwnd, WM_USER + 2, 0, 0) == 0 && seen.messages.size() == before + 1 &&
              seen.messages.back() == WM_USER + 2,
          "SendMessage reaches the framework procedure");

    seen.messages.clear();
    Check(plat::DestroyWindow(hwnd) && !plat::IsWindow(hwnd) && seen.messages.size() >= 2 &&
              seen.messages.back() == WM_NCDESTROY &&
              std::find(seen.messages.begin(), seen.messages.end(), WM_DESTROY) != seen.messages.end() &&
              plat::GetWindowUserData(hwnd) == nullptr && plat::GetWindowSurface(hwnd) == nullptr,
          "DestroyWindow: WM_DESTROY, then WM_NCDESTROY last, and the window's record is gone");

    Seen refused;
    refused.refuse = true;
    const plat::Hwnd none = plat::CreateWindowEx(0, "MgSeamProbe", "", WS_POPUP, 0, 0, 10, 10, 0, &refused);
    Check(none == 0 && !refused.messages.empty() && refused.messages.back() == WM_NCDESTROY,
          "WM_CREATE returning -1: no window, and WM_NCDESTROY was its last message");
    Check(plat::GetWindowUserData(0) == nullptr && !plat::IsWindow(0), "handle 0 is no window");
}

// ---- dialogs --------------------------------------------------------------------------------------

struct DlgSeen {
    bool initOk = false;
    bool userOk = false;
    std::string text;
};

std::intptr_t ProbeDlgProc(plat::Hwnd dlg, std::uint32_t msg, std::uintptr_t, std::intptr_t lParam) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* seen = reinterpret_cast<DlgSeen*>(lParam);
    seen->initOk = true;
    seen->userOk = plat::GetWindowUserData(dlg) == seen;
    const plat::Hwnd ok = plat::GetDlgItem(dlg, 1);
    plat::SetWindowText(ok,
                        "Gr\xC3\xBC\xC3\x9F"
                        "e");  // UTF-8 through the system code page and back
    seen->text = plat::GetWindowText(ok);
    plat::EndDialog(dlg, 42);
    return TRUE;
}

void TestDialogs() {
    DlgSeen seen;
    const std::intptr_t r = plat::DialogBoxParam(101, 0, &ProbeDlgProc, &seen);
    Check(r == 42 && seen.initOk && seen.userOk,
          "DialogBoxParam runs template 101 until EndDialog(42), user data given");
    Check(seen.text ==
              "Gr\xC3\xBC\xC3\x9F"
              "e",
          "SetWindowText / GetWindowText keep UTF-8 text (" + seen.text + ")");
    DlgSeen none;
    Check(plat::DialogBoxParam(9999, 0, &ProbeDlgProc, &none) == -1 && !none.initOk, "a missing template gives -1");
    Check(plat::LoadIcon(128) != 0 && plat::LoadIcon(9999) == 0, "LoadIcon 128, none for a missing id");
}

// ---- resources (the registry is pinned by the start-up case, through the saver itself) -----------

void TestResources() {
    const plat::ResData wave = plat::FindResource(plat::kRtWave, 871);
    Check(wave.data != nullptr && wave.size > 44 && std::memcmp(wave.data, "RIFF", 4) == 0 &&
              plat::FindResource(plat::ResType{0, "wave"}, 871).data == wave.data,
          "WAVE 871 by its type name, compared without case");
    Check(plat::FindResource(plat::kRtBitmap, 1).data == nullptr, "a missing bitmap: no data");
    // The legal text is longer than any first guess of a buffer: it must come back whole.
    const plat::ResData block = plat::FindResource(plat::kRtString, 59144 / 16 + 1);
    std::size_t stored = 0;
    if (block.data != nullptr) {
        const auto* w = static_cast<const WCHAR*>(block.data);
        for (int i = 0; i < 59144 % 16; ++i) w += 1 + *w;
        stored = *w;
    }
    std::string legal, title;
    Check(plat::LoadString(59144, &legal) && stored > 256 && legal.size() == stored,
          "LoadString gives the whole " + std::to_string(stored) + "-character string (" +
              std::to_string(legal.size()) + ")");
    Check(plat::LoadString(1, &title) && title == "Morgrave Screen Saver" && !plat::LoadString(12345, &title),
          "string 1; a missing string: false");
}

}  // namespace

int main() {
    TestResources();
    TestWindows();
    TestDialogs();
    std::printf("seam: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
