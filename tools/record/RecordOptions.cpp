// Parsing and checking of morgrave-record's options; every number is checked for range.
#include "RecordOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseInt(const std::string& text, long long lo, long long hi, long long* out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseSize(const std::string& text, int* w, int* h) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    long long a = 0, b = 0;
    if (!ParseInt(text.substr(0, x), 1, 16384, &a) || !ParseInt(text.substr(x + 1), 1, 16384, &b)) return false;
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

}  // namespace

const char* RecordUsage() {
    return "usage: morgrave-record [--size WxH] [--clock SECONDS] [--ticks N] [--sound 0|1]\n"
           "                       [--pain N] [--subliminals 0|1] [--gif OUT.gif] [--log OUT.txt]\n"
           "                       [--scale N]\n"
           "Runs the scene window on an in-memory display and writes what it shows.\n"
           "  --size WxH       display size (default 1024x768)\n"
           "  --clock SECONDS  the clock's start, whole seconds (default 0)\n"
           "  --ticks N        timer events to run (default 200; 20 per second)\n"
           "  --sound, --pain, --subliminals  the three settings (defaults 1, 3, 1)\n"
           "  --gif OUT.gif    animated GIF of every frame\n"
           "  --log OUT.txt    one line per cue and per figure drawn\n"
           "  --scale N        shrink the GIF's frames N times (default 1)\n";
}

bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions* out, std::string* error) {
    RecordOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = a.rfind("--", 0) == 0 ? "option " + a + " needs a value" : "unknown argument " + a;
            return false;
        }
        const std::string& v = args[++i];
        long long n = 0;
        if (a == "--size") {
            if (!ParseSize(v, &o.width, &o.height)) {
                *error = "--size wants WxH with both between 1 and 16384, not " + v;
                return false;
            }
        } else if (a == "--clock") {
            if (!ParseInt(v, 0, 4102444800LL, &n)) {
                *error = "--clock wants whole seconds from 0, not " + v;
                return false;
            }
            o.clockSeconds = n;
        } else if (a == "--ticks") {
            if (!ParseInt(v, 0, 1000000, &n)) {
                *error = "--ticks wants a number from 0 to 1000000, not " + v;
                return false;
            }
            o.ticks = static_cast<int>(n);
        } else if (a == "--sound" || a == "--pain" || a == "--subliminals") {
            if (!ParseInt(v, -2147483648LL, 2147483647LL, &n)) {
                *error = a + " wants a 32-bit integer, not " + v;
                return false;
            }
            (a == "--sound" ? o.sound : a == "--pain" ? o.pain : o.subliminals) = static_cast<int>(n);
        } else if (a == "--gif") {
            o.gifPath = v;
        } else if (a == "--log") {
            o.logPath = v;
        } else if (a == "--scale") {
            if (!ParseInt(v, 1, 64, &n)) {
                *error = "--scale wants a whole factor from 1 to 64, not " + v;
                return false;
            }
            o.scale = static_cast<int>(n);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    *out = o;
    return true;
}
