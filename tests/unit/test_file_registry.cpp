// The text registry: Win32 call contracts, typed values in text, hand-written forms kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"

namespace {

using plat::FileRegistry;
using plat::HKey;
using Bytes = std::vector<std::uint8_t>;

TEST(FileRegistry, RegistryCallContracts) {
    FileRegistry reg;
    HKey soft = 0, key = 0, missing = 0, again = 0;
    // HKCU\Software exists in an empty store; other keys only once created, then found without case.
    ASSERT_EQ(plat::kErrorSuccess, reg.OpenKey(plat::kHKeyCurrentUser, "Software", &soft));
    EXPECT_EQ(plat::kErrorFileNotFound, reg.OpenKey(soft, "Tarnwick", &missing));
    EXPECT_EQ(0u, missing);
    ASSERT_EQ(plat::kErrorSuccess, reg.CreateKey(soft, "Tarnwick\\App", &key));
    ASSERT_EQ(plat::kErrorSuccess, reg.OpenKey(plat::kHKeyCurrentUser, "SOFTWARE\\tarnwick", &again));
    EXPECT_EQ(plat::kErrorSuccess, reg.CloseKey(again));
    EXPECT_NE(plat::kErrorSuccess, reg.CreateKey(soft, "bad\\\\path", &again));

    const std::uint32_t seven = 7;
    const std::uint8_t five[5] = {1, 2, 3, 4, 5};
    std::uint32_t type = 0, value = 0, size = 4;
    ASSERT_EQ(plat::kErrorSuccess, reg.SetValue(key, "Pain", plat::kRegDword, &seven, 4));
    ASSERT_EQ(plat::kErrorSuccess, reg.QueryValue(key, "PAIN", &type, &value, &size));
    EXPECT_EQ((std::vector<std::uint32_t>{plat::kRegDword, 7, 4}), (std::vector<std::uint32_t>{type, value, size}));
    // Too small a buffer: the size needed, nothing copied.
    ASSERT_EQ(plat::kErrorSuccess, reg.SetValue(key, "Pain", plat::kRegBinary, five, 5));
    value = 0xdeadbeef;
    EXPECT_EQ(plat::kErrorMoreData, reg.QueryValue(key, "Pain", &type, &value, &size));
    EXPECT_EQ((std::vector<std::uint32_t>{5, 0xdeadbeef}), (std::vector<std::uint32_t>{size, value}));
    size = 0;
    EXPECT_EQ(plat::kErrorSuccess, reg.QueryValue(key, "Pain", nullptr, nullptr, &size));
    EXPECT_EQ(5u, size);
    // A missing value, a handle never opened, a name that cannot be written; closing twice.
    EXPECT_EQ(plat::kErrorFileNotFound, reg.QueryValue(key, "Nope", &type, &value, &size));
    EXPECT_EQ(plat::kErrorInvalidHandle, reg.QueryValue(0x4242, "Pain", &type, &value, &size));
    EXPECT_EQ(plat::kErrorInvalidHandle, reg.SetValue(0x4242, "Pain", plat::kRegDword, &seven, 4));
    EXPECT_NE(plat::kErrorSuccess, reg.SetValue(key, "line\nbreak", plat::kRegDword, &seven, 4));
    EXPECT_EQ(2, reg.OpenHandleCount());
    EXPECT_EQ((std::vector<long>{plat::kErrorSuccess, plat::kErrorSuccess, plat::kErrorInvalidHandle}),
              (std::vector<long>{reg.CloseKey(key), reg.CloseKey(soft), reg.CloseKey(soft)}));
    EXPECT_EQ(0, reg.OpenHandleCount());
}

// Each type as the store writes it ("": not checked) and reads it back, and the forms a person
// may write (type 0: unreadable). The text is kept as it was; a new value goes after its key's
// last value, ahead of the comments that follow it; a new key starts its own block.
TEST(FileRegistry, ValuesInTheTextForm) {
    const struct {
        bool byHand;
        const char *line, *name;
        std::uint32_t type;
        Bytes data;
    } values[] = {{false, "\"text\"=\"a\\\"b\\\\c\"", "text", plat::kRegSz, {'a', '"', 'b', '\\', 'c', 0}},
                  {false, "", "controls", plat::kRegSz, {'x', '\n', 'y', 0}},
                  {false, "", "no zero", plat::kRegSz, {'z'}},
                  {false, "\"multi\"=hex(7):61,00,62,00,00", "multi", 7, {'a', 0, 'b', 0, 0}},
                  {false, "\"bytes\"=hex:00,ff,10", "bytes", plat::kRegBinary, {0, 255, 16}},
                  {false, "", "empty", plat::kRegBinary, {}},
                  {false, "@=dword:00000009", "", plat::kRegDword, {9, 0, 0, 0}},
                  {false, "", "short dword", plat::kRegDword, {9, 0}},
                  {true, "\"a\"=dword:3", "a", plat::kRegDword, {3, 0, 0, 0}},
                  {true, "\"b\" = hex:01, 02,\\\n    0A", "b", plat::kRegBinary, {1, 2, 10}},
                  {true, "\"c\"=dword:123456789", "c", 0, {}},  // nine digits
                  {true, "\"d\"=hex:1,2,", "d", 0, {}},         // a trailing comma
                  {true, "\"e\"=hex(zz):00", "e", 0, {}}};      // a type that is not hex
    FileRegistry reg, back;
    for (const auto& v : values) ASSERT_TRUE(v.byHand || reg.PutValue("Software\\K", v.name, v.type, v.data));
    std::string text = reg.Serialise();
    const std::string header = "[HKEY_CURRENT_USER\\Software\\K]";
    text.replace(text.find(header), header.size(), "[hkey_current_user\\software\\K]   ");
    for (const auto& v : values) {
        EXPECT_TRUE(v.byHand || text.find(std::string(v.line) + "\n") != std::string::npos) << v.line;
        if (v.byHand) text += std::string(v.line) + "\n";
    }
    text += "not a value\n\n; comment\n";
    back.Parse(text);
    EXPECT_EQ(text, back.Serialise());
    for (const auto& v : values) {
        std::uint32_t type = 0;
        Bytes data;
        const bool read = back.GetValue("Software\\K", v.name, &type, &data);
        EXPECT_TRUE(read == (v.type != 0) && type == v.type && data == v.data) << v.name;
    }
    ASSERT_TRUE(back.PutValue("Software\\K", "f", plat::kRegDword, {1, 0, 0, 0}));
    ASSERT_TRUE(back.PutValue("Software\\L", "g", plat::kRegDword, {2, 0, 0, 0}));
    const std::string after = back.Serialise();
    EXPECT_LT(after.find("\"e\"=hex(zz):00\n\"f\"=dword:00000001\n"), after.find("not a value")) << after;
    EXPECT_NE(std::string::npos, after.find("; comment\n\n[HKEY_CURRENT_USER\\Software\\L]\n\"g\"=dword:00000002\n"));
}

}  // namespace
