/* Password-change module of the e2e tests: logs each call to $MORGRAVE_MPR_LOG. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

/* One line per call: "provider handle reserved1 reserved2". */
unsigned int PwdChangePasswordA(const char* provider, uintptr_t owner, unsigned int r1, unsigned int r2) {
    const char* path = getenv("MORGRAVE_MPR_LOG");
    FILE* f = path ? fopen(path, "a") : NULL;
    if (f) fprintf(f, "%s %lu %u %u\n", provider ? provider : "(null)", (unsigned long)owner, r1, r2);
    if (f) fclose(f);
    return 0;
}
