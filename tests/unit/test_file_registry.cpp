// The text registry: Win32 call contracts, typed values in text, tolerance of arbitrary input.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
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
    // HKCU\Software exists in an empty store; other keys only once created.
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
    EXPECT_EQ(plat::kErrorFileNotFound, reg.QueryValue(key, "Nope", &type, &value, &size));
    EXPECT_EQ(plat::kErrorInvalidHandle, reg.QueryValue(0x4242, "Pain", &type, &value, &size));
    EXPECT_EQ(plat::kErrorInvalidHandle, reg.SetValue(0x4242, "Pain", plat::kRegDword, &seven, 4));
    EXPECT_NE(plat::kErrorSuccess, reg.SetValue(key, "line\nbreak", plat::kRegDword, &seven, 4));
    EXPECT_EQ(2, reg.OpenHandleCount());
    EXPECT_EQ(plat::kErrorSuccess, reg.CloseKey(key));
    EXPECT_EQ(plat::kErrorSuccess, reg.CloseKey(soft));
    EXPECT_EQ(plat::kErrorInvalidHandle, reg.CloseKey(soft));
    EXPECT_EQ(0, reg.OpenHandleCount());
}

TEST(FileRegistry, TypedValuesRoundTripThroughTheText) {
    const struct {
        const char* name;
        std::uint32_t type;
        Bytes data;
        const char* line;  // how it is written ("" when not checked)
    } values[] = {{"text", plat::kRegSz, {'a', '"', 'b', '\\', 'c', 0}, "\"text\"=\"a\\\"b\\\\c\"\n"},
                  {"controls", plat::kRegSz, {'x', '\n', 'y', 0}, ""},
                  {"no zero", plat::kRegSz, {'z'}, ""},
                  {"multi", 7, {'a', 0, 'b', 0, 0}, "\"multi\"=hex(7):61,00,62,00,00\n"},
                  {"bytes", plat::kRegBinary, {0, 255, 16}, "\"bytes\"=hex:00,ff,10\n"},
                  {"empty", plat::kRegBinary, {}, ""},
                  {"", plat::kRegDword, {9, 0, 0, 0}, "@=dword:00000009\n"},
                  {"short dword", plat::kRegDword, {9, 0}, ""}};
    FileRegistry reg, back;
    for (const auto& v : values) ASSERT_TRUE(reg.PutValue("Software\\K", v.name, v.type, v.data));
    const std::string written = reg.Serialise();
    back.Parse(written);
    EXPECT_EQ(written, back.Serialise());
    for (const auto& v : values) {
        EXPECT_NE(std::string::npos, written.find(v.line)) << v.line;
        std::uint32_t type = 0;
        Bytes data;
        ASSERT_TRUE(back.GetValue("Software\\K", v.name, &type, &data)) << v.name;
        EXPECT_EQ(v.type, type) << v.name;
        EXPECT_EQ(v.data, data) << v.name;
    }
}

TEST(FileRegistry, HandWrittenFormsAreUnderstoodAndKept) {
    FileRegistry reg;
    const std::string text =
        "[hkey_current_user\\software\\K]   \n\"a\"=dword:3\n\"b\" = hex:01, 02,\\\n    0A\n"
        "\"c\"=dword:123456789\n\"d\"=hex:1,2,\n\"e\"=hex(zz):00\nnot a value\n\n; comment\n";
    reg.Parse(text);
    EXPECT_EQ(text, reg.Serialise());
    Bytes data;
    ASSERT_TRUE(reg.GetValue("Software\\K", "a", nullptr, &data));
    EXPECT_EQ((Bytes{3, 0, 0, 0}), data);
    ASSERT_TRUE(reg.GetValue("Software\\K", "b", nullptr, &data));
    EXPECT_EQ((Bytes{1, 2, 10}), data);
    // Nine digits, a trailing comma, a type that is not hex: unreadable.
    for (const char* unreadable : {"c", "d", "e"})
        EXPECT_FALSE(reg.GetValue("Software\\K", unreadable, nullptr, &data));
    // A new value goes after the key's last value, ahead of the comments that follow it; a new
    // key starts its own block after a blank line.
    ASSERT_TRUE(reg.PutValue("Software\\K", "f", plat::kRegDword, {1, 0, 0, 0}));
    ASSERT_TRUE(reg.PutValue("Software\\L", "g", plat::kRegDword, {2, 0, 0, 0}));
    const std::string after = reg.Serialise();
    EXPECT_EQ(0u, after.find("[hkey_current_user\\software\\K]   \n\"a\"=dword:3\n")) << after;
    EXPECT_LT(after.find("\"f\"=dword:00000001"), after.find("not a value")) << after;
    EXPECT_NE(std::string::npos, after.find("; comment\n\n[HKEY_CURRENT_USER\\Software\\L]\n\"g\"=dword:00000002\n"));
}

// Random damage to a valid store: every damaged line is written back unchanged, a value written
// into it reads back, and a second round trip is stable.
TEST(FileRegistry, ArbitraryInputIsToleratedAndKept) {
    const std::string key = "Software\\Tarnwick Productions Ltd\\morgrave\\Settings";
    FileRegistry seed;
    seed.PutValue(key, "Enable sound", plat::kRegDword, {1, 0, 0, 0});
    seed.PutValue(key, "Pain", plat::kRegDword, {3, 0, 0, 0});
    seed.PutValue("Software\\X", "s", plat::kRegSz, {'h', 'i', 0});
    seed.PutValue("Software\\X", "b", plat::kRegBinary, {1, 2, 3});
    std::mt19937 rng(12345);
    static const char kAlphabet[] = "[]\\\"=:,@;hexdword()0123456789abcdefHKEY_CURRENT_USER \t\r\n\x01\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed.Serialise();
        for (int e = 0, edits = 1 + static_cast<int>(rng() % 6); e < edits && !text.empty(); ++e) {
            const std::size_t at = rng() % text.size();
            const char c = kAlphabet[rng() % (sizeof(kAlphabet) - 1)];
            switch (rng() % 3) {
                case 0: text[at] = c; break;
                case 1: text.erase(at, 1 + rng() % 8); break;
                default: text.insert(at, 1, c); break;
            }
        }
        FileRegistry reg, again;
        reg.Parse(text);
        // Text that ends without a line break gets one; nothing else changes.
        ASSERT_EQ(text.empty() || text.back() == '\n' ? text : text + "\n", reg.Serialise()) << "round " << round;
        ASSERT_TRUE(reg.PutValue(key, "Pain", plat::kRegDword, {4, 0, 0, 0}));
        again.Parse(reg.Serialise());
        ASSERT_EQ(reg.Serialise(), again.Serialise()) << "round " << round;
        Bytes data;
        ASSERT_TRUE(again.GetValue(key, "Pain", nullptr, &data));
        ASSERT_EQ((Bytes{4, 0, 0, 0}), data) << "round " << round;
    }
}

}  // namespace
