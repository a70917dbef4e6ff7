// Registry text form: the lines of a .reg-style store, read and written one value at a time.
#include "platform/common/RegistryText.h"

#include <cstring>

#include "platform/Registry.h"

namespace plat::regtext {

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

static bool StartsWithNoCase(const std::string& s, std::size_t pos, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    if (pos > s.size() || s.size() - pos < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (Lower(s[pos + i]) != Lower(prefix[i])) return false;
    }
    return true;
}

static int HexDigit(char c);

// A continuation line of hex data: digits, commas and blanks only (never a key, value or comment).
bool IsHexContinuation(std::string_view line) {
    bool any = false;
    for (char c : line) {
        if (IsBlank(c) || c == ',' || c == '\\') continue;
        if (HexDigit(c) < 0) return false;
        any = true;
    }
    return any;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool HasControl(const std::string& s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x20) return true;
    }
    return false;
}

// Key path components: separated by '\', none empty, no control characters.
bool SplitPath(const std::string& s, std::vector<std::string>* out) {
    out->clear();
    if (s.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t sep = s.find('\\', start);
        std::string part = s.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
        if (part.empty() || HasControl(part)) return false;
        out->push_back(std::move(part));
        if (sep == std::string::npos) return true;
        start = sep + 1;
    }
}

// A double-quoted string at s[*pos] with \\ and \" escapes; *pos ends after the closing quote.
static bool ParseQuoted(const std::string& s, std::size_t* pos, std::string* out) {
    std::size_t i = *pos;
    if (i >= s.size() || s[i] != '"') return false;
    ++i;
    out->clear();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size()) return false;
            const char e = s[i + 1];
            if (e != '\\' && e != '"') return false;
            out->push_back(e);
            i += 2;
            continue;
        }
        out->push_back(c);
        ++i;
    }
    return false;
}

static std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// Comma-separated bytes of one or two hex digits; blanks and line continuations are ignored.
static bool ParseHexBytes(const std::string& s, std::size_t pos, std::vector<std::uint8_t>* out) {
    std::string clean;
    for (std::size_t i = pos; i < s.size(); ++i) {
        const char c = s[i];
        if (IsBlank(c) || c == '\n' || c == '\\') continue;
        clean.push_back(c);
    }
    out->clear();
    if (clean.empty()) return true;
    std::size_t i = 0;
    for (;;) {
        int value = 0;
        std::size_t digits = 0;
        while (i < clean.size() && clean[i] != ',') {
            const int d = HexDigit(clean[i]);
            if (d < 0 || ++digits > 2) return false;
            value = value * 16 + d;
            ++i;
        }
        if (digits == 0) return false;
        out->push_back(static_cast<std::uint8_t>(value));
        if (i == clean.size()) return true;
        ++i;  // the comma
    }
}

// 1 to 8 hex digits and nothing else.
static bool ParseHexNumber(std::string_view s, std::uint32_t* out) {
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    *out = v;
    return true;
}

static std::string HexByte(std::uint8_t b) {
    const char* digits = "0123456789abcdef";
    return std::string{digits[b >> 4], digits[b & 15]};
}

static std::string HexNumber(std::uint32_t v, int width) {
    std::string out;
    do {
        out.insert(out.begin(), "0123456789abcdef"[v & 15]);
        v >>= 4;
    } while (v != 0);
    while (static_cast<int>(out.size()) < width) out.insert(out.begin(), '0');
    return out;
}

// A REG_SZ that reads back exactly from the quoted form: one terminating zero, no control bytes.
static bool IsPlainString(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] < 0x20) return false;
    }
    return true;
}

// One value line: its name and, when readable, its type and data.
LineKind ParseValueLine(const std::string& line, std::string* name, std::uint32_t* type,
                        std::vector<std::uint8_t>* data) {
    std::size_t pos = 0;
    if (line.empty()) return LineKind::NotValue;
    if (line[0] == '@') {
        name->clear();
        pos = 1;
    } else if (line[0] == '"') {
        if (!ParseQuoted(line, &pos, name)) return LineKind::NotValue;
    } else {
        return LineKind::NotValue;
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') return LineKind::Broken;
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;

    if (pos < line.size() && line[pos] == '"') {
        std::string text;
        if (!ParseQuoted(line, &pos, &text)) return LineKind::Broken;
        if (!Trim(line.substr(pos)).empty()) return LineKind::Broken;
        *type = kRegSz;
        data->assign(text.begin(), text.end());
        data->push_back(0);
        return LineKind::Value;
    }
    if (StartsWithNoCase(line, pos, "dword:")) {
        std::uint32_t v = 0;
        std::string_view digits(line);
        digits.remove_prefix(pos + 6);
        while (!digits.empty() && IsBlank(digits.front())) digits.remove_prefix(1);
        while (!digits.empty() && IsBlank(digits.back())) digits.remove_suffix(1);
        if (!ParseHexNumber(digits, &v)) return LineKind::Broken;
        *type = kRegDword;
        data->assign({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
        return LineKind::Value;
    }
    if (StartsWithNoCase(line, pos, "hex:")) {
        if (!ParseHexBytes(line, pos + 4, data)) return LineKind::Broken;
        *type = kRegBinary;
        return LineKind::Value;
    }
    if (StartsWithNoCase(line, pos, "hex(")) {
        const std::size_t close = line.find(')', pos + 4);
        if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != ':') {
            return LineKind::Broken;
        }
        std::uint32_t t = 0;
        if (!ParseHexNumber(line.substr(pos + 4, close - (pos + 4)), &t)) return LineKind::Broken;
        if (!ParseHexBytes(line, close + 2, data)) return LineKind::Broken;
        *type = t;
        return LineKind::Value;
    }
    return LineKind::Broken;
}

std::string FormatValue(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::string out = name.empty() ? std::string("@") : Quote(name);
    out += '=';
    if (type == kRegDword && data.size() == 4) {
        const std::uint32_t v = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                                (static_cast<std::uint32_t>(data[2]) << 16) |
                                (static_cast<std::uint32_t>(data[3]) << 24);
        return out + "dword:" + HexNumber(v, 8);
    }
    if (type == kRegSz && IsPlainString(data)) {
        return out + Quote(std::string(data.begin(), data.end() - 1));
    }
    out += type == kRegBinary ? std::string("hex:") : "hex(" + HexNumber(type, 1) + "):";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i != 0) out += ',';
        out += HexByte(data[i]);
    }
    return out;
}

std::string FormatHeader(const std::vector<std::string>& path) {
    std::string out = std::string("[") + kRootName;
    for (const std::string& part : path) out += "\\" + part;
    return out + "]";
}

}  // namespace plat::regtext
