/* A password-change module for the end-to-end tests: records each call's arguments in the file
   named by MORGRAVE_MPR_LOG, one line "provider handle reserved1 reserved2". */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

unsigned int PwdChangePasswordA(const char* provider, uintptr_t owner, unsigned int r1, unsigned int r2) {
    const char* path = getenv("MORGRAVE_MPR_LOG");
    if (path == NULL) return 0;
    FILE* f = fopen(path, "a");
    if (f == NULL) return 0;
    fprintf(f, "%s %lu %u %u\n", provider ? provider : "(null)", (unsigned long)owner, r1, r2);
    fclose(f);
    return 0;
}
