// libFuzzer target: any bytes as a .res file; every lookup must stay inside the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/common/DialogTemplate.h"
#include "platform/common/IconResources.h"
#include "platform/common/ResFile.h"

namespace {

// Touches every byte of a found resource, so the sanitizer sees any range outside the input.
unsigned Touch(plat::ResData r) {
    unsigned sum = 0;
    const auto* p = static_cast<const unsigned char*>(r.data);
    for (std::uint32_t i = 0; p && i < r.size; ++i) sum += p[i];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so a read one past the end is caught.
    std::vector<std::uint8_t> copy(data, data + size);
    const plat::ResFile file(copy.data(), copy.size());
    const plat::ResFinder find = [&file](plat::ResType t, std::uint16_t id) { return file.Find(t, id); };
    volatile unsigned sink = 0;
    std::vector<std::uint16_t> ids;
    file.ForEach([&](const plat::ResFile::Record& rec) {
        sink = sink + Touch(rec.data);
        if (rec.nameIsOrdinal) ids.push_back(rec.nameOrdinal);
        if (rec.typeIsOrdinal && rec.typeOrdinal == 5 && rec.data.data) {
            plat::DialogTemplate t;
            sink = sink + plat::ParseDialogTemplate(rec.data.data, rec.data.size, &t);
        }
        return ids.size() < 16;
    });
    const plat::ResType types[] = {
        plat::kRtCursor,      plat::kRtBitmap,    plat::kRtIcon, plat::kRtDialog,          plat::kRtString,
        plat::kRtGroupCursor, plat::kRtGroupIcon, plat::kRtWave, plat::ResType{0, "wave"}, plat::ResType{0, "CUSTOM1"}};
    for (std::uint16_t id : ids) {
        for (const plat::ResType& t : types) sink = sink + Touch(file.Find(t, id));
        std::string s;
        for (unsigned k = 0; k < 16; ++k)
            sink = sink + file.LoadString(static_cast<std::uint16_t>((id - 1) * 16 + k), &s);
        plat::IconImage icon;
        if (plat::FindIconImage(find, id, 32, &icon)) {
            std::int32_t w = 0, h = 0;
            std::vector<std::uint32_t> argb;
            sink = sink + plat::DecodeIconBitmap(icon.bytes.data, icon.bytes.size, &w, &h, &argb);
        }
        plat::CursorImage cursor;
        sink = sink + plat::FindCursorImage(find, id, &cursor);
    }
    return 0;
}
