// HostWindow: -window-id / $XSCREENSAVER_WINDOW parsed without guessing: anything odd is refused.
#include "platform/common/HostWindow.h"

#include <cstring>

namespace plat {

namespace {

// X resource ids have 29 bits; anything larger, zero, signed or padded names no window.
constexpr unsigned long kMaxWindowId = 0x1fffffffUL;

unsigned long ParseWindowId(const char* text) {
    if (text == nullptr) return 0;
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    unsigned long value = 0;
    const char* p = text;
    for (; *p != '\0'; ++p) {
        unsigned digit = 0;
        if (*p >= '0' && *p <= '9') digit = static_cast<unsigned>(*p - '0');
        else if (base == 16 && *p >= 'a' && *p <= 'f') digit = static_cast<unsigned>(*p - 'a' + 10);
        else if (base == 16 && *p >= 'A' && *p <= 'F') digit = static_cast<unsigned>(*p - 'A' + 10);
        else return 0;
        value = value * base + digit;
        if (value > kMaxWindowId) return 0;  // checked per digit, so it cannot wrap
    }
    return p == text ? 0 : value;
}

}  // namespace

HostWindowRequest ReadHostWindowRequest(int argc, const char* const* argv, const char* environmentValue) {
    HostWindowRequest request;
    for (int i = 2; argv != nullptr && i < argc; ++i) {
        if (argv[i] != nullptr &&
            (std::strcmp(argv[i], "-window-id") == 0 || std::strcmp(argv[i], "--window-id") == 0)) {
            request.requested = true;
            request.id = i + 1 < argc ? ParseWindowId(argv[i + 1]) : 0;
            return request;
        }
    }
    if (environmentValue != nullptr && *environmentValue != '\0') {
        request.requested = true;
        request.id = ParseWindowId(environmentValue);
    }
    return request;
}

}  // namespace plat
