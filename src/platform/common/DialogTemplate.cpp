// Reader of dialog template resources (DLGTEMPLATE and DLGTEMPLATEEX) into plain fields.
#include "platform/common/DialogTemplate.h"

#include "platform/common/ByteReader.h"

namespace plat {

namespace {

// A template never holds more controls than this; a larger count is damage, not a dialog.
constexpr std::uint16_t kMaxItems = 4096;

bool ReadClass(ByteReader& r, bool* isOrdinal, std::uint16_t* ordinal, std::string* name) {
    if (!r.SzOrOrd(isOrdinal, ordinal, name)) return false;
    if (*isOrdinal) *name = BuiltinClassName(*ordinal);
    return true;
}

bool ReadItem(ByteReader& r, bool extended, DialogItem* item) {
    if (!r.Align4()) return false;
    if (extended) {
        if (!r.U32(&item->helpId) || !r.U32(&item->exStyle) || !r.U32(&item->style)) return false;
    } else {
        if (!r.U32(&item->style) || !r.U32(&item->exStyle)) return false;
    }
    if (!r.I16(&item->x) || !r.I16(&item->y) || !r.I16(&item->cx) || !r.I16(&item->cy)) return false;
    if (extended) {
        if (!r.U32(&item->id)) return false;
    } else {
        std::uint16_t id = 0;
        if (!r.U16(&id)) return false;
        item->id = id;
    }
    if (!ReadClass(r, &item->classIsOrdinal, &item->classOrdinal, &item->className)) return false;
    if (!r.SzOrOrd(&item->textIsOrdinal, &item->textOrdinal, &item->text)) return false;
    // Creation data: a byte count, then that many bytes.
    std::uint16_t extra = 0;
    if (!r.U16(&extra)) return false;
    const unsigned char* bytes = r.Here();
    if (!r.Skip(extra)) return false;
    item->creationData.assign(bytes, bytes + extra);
    return true;
}

}  // namespace

const char* BuiltinClassName(std::uint16_t ordinal) {
    switch (ordinal) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        case 0x83: return "LISTBOX";
        case 0x84: return "SCROLLBAR";
        case 0x85: return "COMBOBOX";
        default: return "";
    }
}

bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate* out) {
    if (data == nullptr || out == nullptr) return false;
    ByteReader r(data, size);
    DialogTemplate t;
    std::uint16_t first = 0, second = 0, count = 0;
    {
        ByteReader peek(data, size);
        if (!peek.U16(&first) || !peek.U16(&second)) return false;
    }
    t.extended = first == 1 && second == 0xFFFF;
    if (t.extended) {
        if (!r.Skip(4) || !r.U32(&t.helpId) || !r.U32(&t.exStyle) || !r.U32(&t.style)) return false;
    } else {
        if (!r.U32(&t.style) || !r.U32(&t.exStyle)) return false;
    }
    if (!r.U16(&count) || count > kMaxItems) return false;
    if (!r.I16(&t.x) || !r.I16(&t.y) || !r.I16(&t.cx) || !r.I16(&t.cy)) return false;
    if (!r.SzOrOrd(&t.menuIsOrdinal, &t.menuOrdinal, &t.menu)) return false;
    if (!ReadClass(r, &t.classIsOrdinal, &t.classOrdinal, &t.className)) return false;
    if (!r.Utf16Z(&t.title)) return false;
    if (t.style & kDsSetFont) {
        if (!r.U16(&t.fontPointSize)) return false;
        if (t.extended) {
            std::uint8_t italic = 0;
            if (!r.U16(&t.fontWeight) || !r.U8(&italic) || !r.U8(&t.fontCharset)) return false;
            t.fontItalic = italic != 0;
        }
        if (!r.Utf16Z(&t.fontName)) return false;
    }
    t.items.resize(count);
    for (DialogItem& item : t.items) {
        if (!ReadItem(r, t.extended, &item)) return false;
    }
    *out = std::move(t);
    return true;
}

}  // namespace plat
