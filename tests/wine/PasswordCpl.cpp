// Test stand-in for the screen-saver password service ("Password.cpl"): answers as told.

// Records every call.
// MG_PWD_ANSWERS  one character per check in order, '0' refuses and '1' accepts; later checks
//                 accept. MG_PWD_LOG  file that gets one line per check, "<window> <is-window>
//                 <answer>"; its line count numbers the checks, since the saver unloads the
//                 library after each one. MG_PWD_WAIT_MS  how long each check keeps its own
//                 message loop running before it answers, as the real service's dialog does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

int ChecksSoFar(const char* log) {
    FILE* f = std::fopen(log, "r");
    if (f == nullptr) return 0;
    int lines = 0;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) {
        if (c == '\n') ++lines;
    }
    std::fclose(f);
    return lines;
}

void RunMessageLoopFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND hwnd) {
    const char* log = std::getenv("MG_PWD_LOG");
    const char* answers = std::getenv("MG_PWD_ANSWERS");
    const char* wait = std::getenv("MG_PWD_WAIT_MS");
    const int index = log != nullptr ? ChecksSoFar(log) : 0;
    BOOL answer = TRUE;
    if (answers != nullptr) {
        for (int i = 0; answers[i] != '\0'; ++i) {
            if (i == index) answer = answers[i] == '0' ? FALSE : TRUE;
        }
    }
    if (wait != nullptr) RunMessageLoopFor(static_cast<DWORD>(std::atoi(wait)));
    if (log != nullptr) {
        if (FILE* f = std::fopen(log, "a")) {
            std::fprintf(f, "%lu %d %d\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)),
                         IsWindow(hwnd) ? 1 : 0, answer ? 1 : 0);
            std::fclose(f);
        }
    }
    return answer;
}
