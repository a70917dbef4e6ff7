// Windows back-end of the resource seam: the executable's own resources (KERNEL32, USER32).
#include "platform/Resources.h"

#include <vector>

#include "platform/win32/Win32State.h"

namespace plat {

// Framework resource loading: FindResourceA, LoadResource, LockResource, SizeofResource.
ResData FindResource(ResType type, std::uint16_t id) {
    HINSTANCE module = win32::Instance();
    const char* kind = type.name != nullptr ? type.name : MAKEINTRESOURCEA(type.ordinal);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), kind);
    if (found == nullptr) return ResData{};
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) return ResData{};
    return ResData{data, static_cast<std::uint32_t>(::SizeofResource(module, found))};
}

// Framework LoadString: LoadStringA, whole however long (the buffer grows until the text fits),
// converted to UTF-8. A string table entry of length 0 does not exist.
bool LoadString(std::uint16_t id, std::string* out) {
    std::vector<char> buffer(256);
    for (;;) {
        const int n = ::LoadStringA(win32::Instance(), id, buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0) return false;
        if (static_cast<std::size_t>(n) + 1 < buffer.size() || buffer.size() > 0x20000) {
            if (out != nullptr) *out = win32::FromAnsi(buffer.data(), n);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Resources are pages of the mapped image; the system trims them itself.
void ReleaseResource(ResData) {}

}  // namespace plat
