/* A stand-in password service for the end-to-end tests: behaves as built (MG_ANSWER: 0 refuses,
   1 accepts, 2 crashes, 3 aborts, 4 exits the process, 5 never returns) and logs every call, with
   the owner window and its process, to the file named by $MORGRAVE_TEST_PASSWORD_LOG. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int VerifyScreenSavePwd(uintptr_t hwnd) {
    const char* path = getenv("MORGRAVE_TEST_PASSWORD_LOG");
    FILE* f = path && *path ? fopen(path, "a") : NULL;
    if (f) {
        fprintf(f, "verify %lu -> %d pid %d\n", (unsigned long)hwnd, MG_ANSWER, (int)getpid());
        fclose(f);
    }
    switch (MG_ANSWER) {
        case 2: *(volatile int*)0 = 1; break;
        case 3: abort();
        case 4: exit(0);
        case 5:
            for (;;) pause();
        default: break;
    }
    return MG_ANSWER;
}
