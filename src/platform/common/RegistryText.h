// Registry text form: parsing and writing the single lines of the .reg-style store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::regtext {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

bool EqualNoCase(std::string_view a, std::string_view b);
bool IsBlank(char c);
// Without leading and trailing blanks (spaces, tabs, carriage returns).
std::string Trim(const std::string& s);
bool HasControl(const std::string& s);
// A continuation line of hex data: digits, commas and blanks only (never a key, value or comment).
bool IsHexContinuation(std::string_view line);
// Key path components: separated by '\', none empty, no control characters.
bool SplitPath(const std::string& s, std::vector<std::string>* out);

enum class LineKind { NotValue, Value, Broken };
// One (trimmed, joined) value line: its name and, when readable, its type and data.
LineKind ParseValueLine(const std::string& line, std::string* name, std::uint32_t* type,
                        std::vector<std::uint8_t>* data);
// The canonical line of a value, and of a key header below HKEY_CURRENT_USER.
std::string FormatValue(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);
std::string FormatHeader(const std::vector<std::string>& path);

}  // namespace plat::regtext
