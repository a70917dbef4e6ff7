// CSaverApp's Linux command line beyond the mode letter: usage, version and the run's setting options.
#include "app/SaverApp.h"

#include <cstring>

#include "version.h"

namespace {

constexpr const char* kUsage =
    "Usage: morgrave [MODE] [OPTIONS]\n"
    "The torture chamber of Morgrave as a screen saver for X11 (also an XScreenSaver hack).\n"
    "\n"
    "Modes (one leading '-' or '/' allowed, case ignored):\n"
    "  c            the settings dialog (also with no argument)\n"
    "  s            full screen, or in XScreenSaver's window ($XSCREENSAVER_WINDOW, -window-id ID)\n"
    "  p ID         the preview picture inside window ID\n"
    "  a ID         change the saver password, owned by window ID\n"
    "\n"
    "Options after s, for this run only (the stored settings stay as they are):\n"
    "  --pain N         1 Tame, 2 Tortuous, 3 Twisted, 4 Terrible\n"
    "  --sound 0|1      the sounds of the cells\n"
    "  --subliminals 0|1  the subliminal message and the ambient sounds\n"
    "  --scale N        0 automatic, 1 original size, 2 to 8 that factor\n"
    "\n"
    "  --help           this text\n"
    "  --version        the version\n"
    "\n"
    "Settings: $XDG_CONFIG_HOME/morgrave/registry.reg (change them with 'morgrave c').\n"
    "See morgrave(6).\n";

// The setting options, by name, with the member each one sets.
struct RunOption {
    const char* lpszName;
    int CSaverApp::*pField;
};
constexpr RunOption kRunOptions[] = {
    {"--pain", &CSaverApp::m_nPain},
    {"--sound", &CSaverApp::m_nEnableSound},
    {"--subliminals", &CSaverApp::m_nSubliminals},
    {"--scale", &CSaverApp::m_nScale},
};

// An optional sign and at least one decimal digit, nothing else.
bool IsNumber(const char* lpsz) {
    if (*lpsz == '+' || *lpsz == '-') ++lpsz;
    if (*lpsz == '\0') return false;
    for (; *lpsz != '\0'; ++lpsz) {
        if (*lpsz < '0' || *lpsz > '9') return false;
    }
    return true;
}

// Unknown options named one to a line, up to this many; a flood of them gets one more line.
constexpr int kMaxReported = 8;

}  // namespace

bool CSaverApp::PrintInformation(int argc, char** argv, std::FILE* out) {
    if (argc < 2 || argv == nullptr || argv[1] == nullptr) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, out);
    } else if (std::strcmp(argv[1], "--version") == 0) {
        std::fputs("morgrave " MG_VERSION_STRING "\n", out);
    } else {
        return false;
    }
    std::fflush(out);
    return true;
}

void CSaverApp::ApplyRunOptions(std::FILE* err) {
    int nUnknown = 0;
    for (int i = 2; i < m_argc && m_argv != nullptr; ++i) {
        const char* lpszArg = m_argv[i];
        const char* lpszValue = i + 1 < m_argc ? m_argv[i + 1] : nullptr;
        // The host window's id is read by the window back-end.
        if (std::strcmp(lpszArg, "-window-id") == 0 || std::strcmp(lpszArg, "--window-id") == 0) {
            if (lpszValue != nullptr) ++i;
            continue;
        }
        const RunOption* pOption = nullptr;
        for (const RunOption& option : kRunOptions) {
            if (std::strcmp(lpszArg, option.lpszName) == 0) pOption = &option;
        }
        if (pOption == nullptr) {
            // Named in full is at most a line's worth of it.
            if (++nUnknown <= kMaxReported) std::fprintf(err, "morgrave: unknown option '%.64s' ignored\n", lpszArg);
            continue;
        }
        if (lpszValue == nullptr || !IsNumber(lpszValue)) {
            std::fprintf(err, "morgrave: %s needs a number; ignored\n", lpszArg);
            // A following option is not taken for the missing value.
            if (lpszValue != nullptr && lpszValue[0] != '-') ++i;
            continue;
        }
        ++i;
        // A number beyond 32 bits is clamped like a window handle; then it is taken as the store's
        // reader takes that value.
        const LONG nValue = ParseHandleArgument(lpszValue);
        const bool bScale = pOption->pField == &CSaverApp::m_nScale;
        this->*pOption->pField = bScale ? NormalizeScale(static_cast<DWORD>(nValue)) : static_cast<int>(nValue);
    }
    if (nUnknown > kMaxReported)
        std::fprintf(err, "morgrave: %d more unknown options ignored\n", nUnknown - kMaxReported);
}
