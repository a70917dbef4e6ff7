// Seam: the executable's own resources (bitmaps, WAVE, dialogs, icons, cursors, strings).
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Resource type: an ordinal (RT_BITMAP = 2 ...) or, when name is non-null, a name compared
// without case ("WAVE").
struct ResType {
    std::uint16_t ordinal = 0;
    const char* name = nullptr;
};

constexpr ResType kRtCursor{1, nullptr};
constexpr ResType kRtBitmap{2, nullptr};
constexpr ResType kRtIcon{3, nullptr};
constexpr ResType kRtDialog{5, nullptr};
constexpr ResType kRtString{6, nullptr};
constexpr ResType kRtGroupCursor{12, nullptr};
constexpr ResType kRtGroupIcon{14, nullptr};
constexpr ResType kRtWave{0, "WAVE"};

// A located resource: its bytes stay valid for the whole process. data == nullptr: not found.
struct ResData {
    const void* data = nullptr;
    std::uint32_t size = 0;
};

// Framework (FindResource/LoadResource/LockResource/SizeofResource) calls this whenever it needs a
// resource of the executable; never reads outside the stored blob.
ResData FindResource(ResType type, std::uint16_t id);

// Framework LoadString: string table entry `id` as UTF-8; false when absent.
bool LoadString(std::uint16_t id, std::string* out);

// CDib::Load / CBitmap::LoadBitmap, once they hold their own copy of a bitmap resource: its
// memory may be given back to the system; the bytes stay valid and are read in again if needed.
void ReleaseResource(ResData res);

}  // namespace plat
