// Windows back-end of the registry seam: the real registry under HKEY_CURRENT_USER (ADVAPI32).
#include "platform/Registry.h"

#include <algorithm>
#include <vector>

#include "platform/win32/Win32State.h"

namespace plat {

namespace {

// The seam's root carries Win32's 32-bit value; a real HKEY is sign-extended on 64-bit builds.
HKEY K(HKey key) {
    if (key == kHKeyCurrentUser) return HKEY_CURRENT_USER;
    return reinterpret_cast<HKEY>(key);
}

}  // namespace

// Settings store and password flag: RegOpenKeyExA.
long RegOpenKeyEx(HKey parent, const char* sub, std::uint32_t access, HKey* out) {
    HKEY key = nullptr;
    const LONG r = ::RegOpenKeyExA(K(parent), sub, 0, access, &key);
    if (out != nullptr) *out = r == ERROR_SUCCESS ? reinterpret_cast<HKey>(key) : 0;
    return r;
}

// Settings store: RegCreateKeyExA, non-volatile.
long RegCreateKeyEx(HKey parent, const char* sub, std::uint32_t access, HKey* out) {
    HKEY key = nullptr;
    const LONG r =
        ::RegCreateKeyExA(K(parent), sub, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (out != nullptr) *out = r == ERROR_SUCCESS ? reinterpret_cast<HKey>(key) : 0;
    return r;
}

// Settings store and password flag: RegQueryValueExA. Data that does not fit gives
// ERROR_MORE_DATA and leaves the caller's buffer untouched (Win32 only leaves it undefined).
long RegQueryValueEx(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size) {
    DWORD t = 0;
    DWORD need = 0;
    LONG r = ::RegQueryValueExA(K(key), name, nullptr, &t, nullptr, &need);
    if (r != ERROR_SUCCESS) return r;
    if (type != nullptr) *type = t;
    if (size == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    if (data == nullptr) {
        *size = need;
        return ERROR_SUCCESS;
    }
    if (need > *size) {
        *size = need;
        return ERROR_MORE_DATA;
    }
    std::vector<BYTE> buffer(need + 1);
    DWORD got = need;
    r = ::RegQueryValueExA(K(key), name, nullptr, &t, buffer.data(), &got);
    if (r == ERROR_SUCCESS && got <= *size) {
        std::copy_n(buffer.begin(), got, static_cast<BYTE*>(data));
        if (type != nullptr) *type = t;
    } else if (r == ERROR_SUCCESS) {
        r = ERROR_MORE_DATA;  // grew between the two reads
    }
    *size = got;
    return r;
}

// Settings store: RegSetValueExA (the registry itself keeps the value durable).
long RegSetValueEx(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
    return ::RegSetValueExA(K(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

// Settings store and password flag: RegCloseKey.
long RegCloseKey(HKey key) { return ::RegCloseKey(K(key)); }

// Start-up's group of writes: each RegSetValueExA is cheap and durable already, nothing to group.
void RegBeginWrites() {}
bool RegEndWrites() { return true; }

// Settings mode after a failed write: the registry's own error code is all there is to say.
std::string RegLastWriteError() { return {}; }

}  // namespace plat
