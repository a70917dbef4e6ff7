// Test stand-in for the screen-saver password service ("Password.cpl"): answers as told, records every call.

// MG_PWD_ANSWERS  one character per check in order, '0' refuses and '1' accepts; later checks accept.
// MG_PWD_LOG      file that gets one line per check, "<window> <is-window> <answer>"; its line count numbers
//                 the checks, since the saver unloads the library after each one.
// MG_PWD_WAIT_MS  how long each check keeps its own message loop running before it answers, as the real
//                 service's dialog does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND hwnd) {
    const char* log = std::getenv("MG_PWD_LOG");
    const char* answers = std::getenv("MG_PWD_ANSWERS");
    std::size_t index = 0;
    if (FILE* f = log != nullptr ? std::fopen(log, "r") : nullptr) {
        for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) index += c == '\n';
        std::fclose(f);
    }
    const BOOL answer = answers == nullptr || index >= std::strlen(answers) || answers[index] != '0';
    const char* wait = std::getenv("MG_PWD_WAIT_MS");
    const DWORD start = GetTickCount(), ms = wait != nullptr ? static_cast<DWORD>(std::atoi(wait)) : 0;
    for (bool quit = false; !quit && GetTickCount() - start < ms;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - (GetTickCount() - start), QS_ALLINPUT);
        MSG msg;
        while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            quit = msg.message == WM_QUIT;
            if (quit) PostQuitMessage(static_cast<int>(msg.wParam));  // for the saver's own loop
            else DispatchMessageA(&msg);
        }
    }
    if (FILE* f = log != nullptr ? std::fopen(log, "a") : nullptr) {
        std::fprintf(f, "%lu %d %d\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)),
                     IsWindow(hwnd) ? 1 : 0, answer ? 1 : 0);
        std::fclose(f);
    }
    return answer;
}
