// libFuzzer target: any bytes as a dialog template (DLGTEMPLATE or DLGTEMPLATEEX).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/common/DialogTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so a read one past the end is caught.
    std::vector<std::uint8_t> copy(data, data + size);
    plat::DialogTemplate t;
    if (plat::ParseDialogTemplate(copy.data(), copy.size(), &t)) {
        // Whatever parses must be self-consistent: as many items as the header promised.
        if (t.items.size() > 4096) __builtin_trap();
    }
    return 0;
}
