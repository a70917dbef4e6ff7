// libFuzzer target: any bytes as the registry's text store, read, written into and read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    plat::FileRegistry reg;
    reg.Parse(text);
    // Nothing is lost: the text comes back unchanged (with a final line break).
    const std::string out = reg.Serialise();
    if (out != (text.empty() || text.back() == '\n' ? text : text + "\n")) __builtin_trap();

    // The settings path through the Win32-shaped calls.
    plat::HKey soft = 0, key = 0;
    if (reg.OpenKey(plat::kHKeyCurrentUser, "Software", &soft) != plat::kErrorSuccess) __builtin_trap();
    if (reg.CreateKey(soft, "Tarnwick Productions Ltd\\morgrave\\Settings", &key) != plat::kErrorSuccess)
        __builtin_trap();
    std::uint32_t value = 0, type = 0, bytes = 4;
    reg.QueryValue(key, "Pain", &type, &value, &bytes);
    const std::uint32_t pain = 3;
    if (reg.SetValue(key, "Pain", plat::kRegDword, &pain, 4) != plat::kErrorSuccess) __builtin_trap();
    bytes = 4;
    if (reg.QueryValue(key, "Pain", &type, &value, &bytes) != plat::kErrorSuccess || value != 3) __builtin_trap();
    reg.CloseKey(key);
    reg.CloseKey(soft);

    // What was written reads back the same, and settles.
    plat::FileRegistry again;
    again.Parse(reg.Serialise());
    if (again.Serialise() != reg.Serialise()) __builtin_trap();
    std::vector<std::uint8_t> stored;
    if (!again.GetValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", &type, &stored) ||
        stored != std::vector<std::uint8_t>{3, 0, 0, 0}) {
        __builtin_trap();
    }
    return 0;
}
