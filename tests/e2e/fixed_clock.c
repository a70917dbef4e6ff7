/* Preloaded into the saver by the sound tests: the saver's own calls of time() see a clock that starts at
   $MORGRAVE_TEST_CLOCK and moves one second every 20 calls (start-up, then one call per frame tick), the
   clock the scene recorder simulates; calls from libraries get the real time. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long g_calls; /* the saver's calls so far (the saver calls time() from one thread) */

time_t time(time_t* out) {
    /* The saver's own code: the caller lies in the main program, which dladdr names by the empty
       string or the program's path (never a shared library's). */
    Dl_info info;
    const char* start = getenv("MORGRAVE_TEST_CLOCK");
    const int ours = dladdr(__builtin_return_address(0), &info) != 0 && info.dli_fname != NULL &&
                     strstr(info.dli_fname, ".so") == NULL;
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    const time_t now = ours && start ? (time_t)(atol(start) + g_calls++ / 20) : ts.tv_sec;
    if (out) *out = now;
    return now;
}
