/* A stand-in password service for the end-to-end tests: answers as built (MG_ANSWER) and logs
   every call, with the owner window, to the file named by $MORGRAVE_TEST_PASSWORD_LOG. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

int VerifyScreenSavePwd(uintptr_t hwnd) {
    const char* path = getenv("MORGRAVE_TEST_PASSWORD_LOG");
    if (path && *path) {
        FILE* f = fopen(path, "a");
        if (f) {
            fprintf(f, "verify %lu -> %d\n", (unsigned long)hwnd, MG_ANSWER);
            fclose(f);
        }
    }
    return MG_ANSWER;
}
