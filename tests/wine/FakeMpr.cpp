// Test stand-in for the platform's password change ("MPR.DLL"): records the call's arguments.

// MG_MPR_LOG names the file that gets one line per call: "<key name> <window> <arg3> <arg4>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR lpcRegkeyname, HWND hwnd, UINT uiReserved1, UINT uiReserved2) {
    if (const char* log = std::getenv("MG_MPR_LOG")) {
        if (FILE* f = std::fopen(log, "a")) {
            std::fprintf(f, "%s %ld %u %u\n", lpcRegkeyname != nullptr ? lpcRegkeyname : "(null)",
                         static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd)), uiReserved1, uiReserved2);
            std::fclose(f);
        }
    }
    return 0;
}
