// Test host for the preview mode: a parent window with the saver's preview inside it.

// The parent, at screen (100, 100), stands for the display settings' preview area and is destroyed after
// <seconds>. "inproc" runs the saver's own start-up in this process with "/p <parent>" (Wine shows a
// child's drawing only when parent and child belong to one process); "spawn" starts the real .scr as its
// own process, as the display settings do. Prints "parent <handle>", then "ended <exit code>
// <milliseconds after the parent was destroyed>" or "still-running".
//   PreviewHost.exe inproc|spawn <width> <height> <seconds> [<scr>]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int AfxWinMain(int argc, char** argv);  // the saver's start-up and message loop (framework)

namespace {

DWORD g_destroyedAt = 0;  // tick count when the parent was destroyed (one UI thread)

void CALLBACK DestroyParent(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    g_destroyedAt = GetTickCount();
    DestroyWindow(hwnd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    const std::string mode = argv[1];
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "MgPreviewParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(0, wc.lpszClassName, "Preview host", WS_POPUP | WS_VISIBLE, 100, 100,
                                  std::atoi(argv[2]), std::atoi(argv[3]), nullptr, nullptr, wc.hInstance, nullptr);
    if (parent == nullptr) return 3;
    std::printf("parent %lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(parent)));
    std::fflush(stdout);
    const std::string handle = std::to_string(reinterpret_cast<ULONG_PTR>(parent));
    SetTimer(parent, 1, static_cast<UINT>(std::atoi(argv[4]) * 1000), DestroyParent);

    if (mode == "inproc") {
        std::string prog = "Morgrave.scr", flag = "/p", arg = handle;
        char* args[] = {prog.data(), flag.data(), arg.data(), nullptr};
        const int code = AfxWinMain(3, args);
        std::printf("ended %d %lu\n", code, static_cast<unsigned long>(GetTickCount() - g_destroyedAt));
        return 0;
    }
    if (mode != "spawn" || argc < 6) return 2;
    std::string cmd = std::string("\"") + argv[5] + "\" /p " + handle;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 4;
    MSG msg;
    while (g_destroyedAt == 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, &code)) {
        std::printf("ended %lu %lu\n", static_cast<unsigned long>(code),
                    static_cast<unsigned long>(GetTickCount() - g_destroyedAt));
    } else {
        std::printf("still-running\n");
        TerminateProcess(pi.hProcess, 9);
    }
    return 0;
}
