// Reader of dialog template resources (DLGTEMPLATE and DLGTEMPLATEEX) into plain fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// One control of a template, in template order.
struct DialogItem {
    std::uint32_t helpId = 0;  // DLGTEMPLATEEX only
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t id = 0;                       // a WORD in DLGTEMPLATE (65535 = no id), a DWORD in DLGTEMPLATEEX
    bool classIsOrdinal = false;
    std::uint16_t classOrdinal = 0;  // 0x80..0x85 for the built-in classes
    std::string className;           // "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX" for
                                     // those ordinals, else the stored name (windres stores capitals)
    bool textIsOrdinal = false;
    std::uint16_t textOrdinal = 0;  // e.g. the icon id of an icon static
    std::string text;               // UTF-8; empty when the text is an ordinal
    std::vector<std::uint8_t> creationData;
};

struct DialogTemplate {
    bool extended = false;  // DLGTEMPLATEEX
    std::uint32_t helpId = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    bool menuIsOrdinal = false;
    std::uint16_t menuOrdinal = 0;
    std::string menu;  // empty, with menuIsOrdinal false: no menu
    bool classIsOrdinal = false;
    std::uint16_t classOrdinal = 0;
    std::string className;  // empty, with classIsOrdinal false: the standard dialog class
    std::string title;
    std::uint16_t fontPointSize = 0;  // only with DS_SETFONT; 0 otherwise
    std::uint16_t fontWeight = 0;     // DLGTEMPLATEEX only
    bool fontItalic = false;          // DLGTEMPLATEEX only
    std::uint8_t fontCharset = 0;     // DLGTEMPLATEEX only
    std::string fontName;
    std::vector<DialogItem> items;
};

constexpr std::uint32_t kDsSetFont = 0x40;

// Name of a built-in control class ordinal (0x80 "BUTTON" ... 0x85 "COMBOBOX"); "" for others.
const char* BuiltinClassName(std::uint16_t ordinal);

// The dialog hosts and tests call this on the bytes of an RT_DIALOG resource. False (with *out
// unchanged) when the template is truncated or malformed; never reads past `size`.
bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate* out);

}  // namespace plat
