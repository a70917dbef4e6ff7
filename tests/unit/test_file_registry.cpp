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

TEST(FileRegistry, RegistryCallContracts) {
    FileRegistry reg;
    HKey soft = 0, key = 0, missing = 0;
    // HKCU\Software exists in an empty store; other keys only once created.
    ASSERT_EQ(plat::kErrorSuccess, reg.OpenKey(plat::kHKeyCurrentUser, "Software", &soft));
    EXPECT_EQ(plat::kErrorFileNotFound, reg.OpenKey(soft, "Tarnwick", &missing));
    EXPECT_EQ(0u, missing);
    ASSERT_EQ(plat::kErrorSuccess, reg.CreateKey(soft, "Tarnwick\\App", &key));
    HKey again = 0;
    ASSERT_EQ(plat::kErrorSuccess, reg.OpenKey(plat::kHKeyCurrentUser, "SOFTWARE\\tarnwick", &again));
    EXPECT_EQ(plat::kErrorSuccess, reg.CloseKey(again));
    EXPECT_NE(plat::kErrorSuccess, reg.CreateKey(soft, "bad\\\\path", &again));

    const std::uint32_t seven = 7;
    ASSERT_EQ(plat::kErrorSuccess, reg.SetValue(key, "Pain", plat::kRegDword, &seven, 4));
    std::uint32_t type = 0, value = 0, size = 4;
    ASSERT_EQ(plat::kErrorSuccess, reg.QueryValue(key, "PAIN", &type, &value, &size));
    EXPECT_EQ(plat::kRegDword, type);
    EXPECT_EQ(7u, value);
    EXPECT_EQ(4u, size);

    const std::uint8_t five[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(plat::kErrorSuccess, reg.SetValue(key, "Pain", plat::kRegBinary, five, 5));
    value = 0xdeadbeef;
    size = 4;
    EXPECT_EQ(plat::kErrorMoreData, reg.QueryValue(key, "Pain", &type, &value, &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ(0xdeadbeefu, value);  // nothing copied
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
    FileRegistry reg;
    const std::string key = "Software\\K";
    const std::vector<std::uint8_t> text = {'a', '"', 'b', '\\', 'c', 0};
    const std::vector<std::uint8_t> controls = {'x', '\n', 'y', 0};
    const std::vector<std::uint8_t> noZero = {'z'};
    const std::vector<std::uint8_t> multi = {'a', 0, 'b', 0, 0};
    const std::vector<std::uint8_t> bytes = {0, 255, 16};
    ASSERT_TRUE(reg.PutValue(key, "text", plat::kRegSz, text));
    ASSERT_TRUE(reg.PutValue(key, "controls", plat::kRegSz, controls));
    ASSERT_TRUE(reg.PutValue(key, "no zero", plat::kRegSz, noZero));
    ASSERT_TRUE(reg.PutValue(key, "multi", 7, multi));
    ASSERT_TRUE(reg.PutValue(key, "bytes", plat::kRegBinary, bytes));
    ASSERT_TRUE(reg.PutValue(key, "empty", plat::kRegBinary, {}));
    ASSERT_TRUE(reg.PutValue(key, "", plat::kRegDword, {9, 0, 0, 0}));
    ASSERT_TRUE(reg.PutValue(key, "short dword", plat::kRegDword, {9, 0}));
    const std::string written = reg.Serialise();
    EXPECT_NE(std::string::npos, written.find("\"text\"=\"a\\\"b\\\\c\"\n")) << written;
    EXPECT_NE(std::string::npos, written.find("\"bytes\"=hex:00,ff,10\n")) << written;
    EXPECT_NE(std::string::npos, written.find("\"multi\"=hex(7):61,00,62,00,00\n")) << written;
    EXPECT_NE(std::string::npos, written.find("@=dword:00000009\n")) << written;

    FileRegistry back;
    back.Parse(written);
    EXPECT_EQ(written, back.Serialise());
    const struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    } expected[] = {{"text", plat::kRegSz, text},       {"controls", plat::kRegSz, controls},
                    {"no zero", plat::kRegSz, noZero},  {"multi", 7, multi},
                    {"bytes", plat::kRegBinary, bytes}, {"empty", plat::kRegBinary, {}},
                    {"", plat::kRegDword, {9, 0, 0, 0}}, {"short dword", plat::kRegDword, {9, 0}}};
    for (const auto& e : expected) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(back.GetValue(key, e.name, &type, &data)) << e.name;
        EXPECT_EQ(e.type, type) << e.name;
        EXPECT_EQ(e.data, data) << e.name;
    }
}

TEST(FileRegistry, HandWrittenFormsAreUnderstoodAndKept) {
    FileRegistry reg;
    const std::string text =
        "[hkey_current_user\\software\\K]   \n"
        "\"a\"=dword:3\n"
        "\"b\" = hex:01, 02,\\\n"
        "    0A\n"
        "\"c\"=dword:123456789\n"  // nine digits: unreadable
        "\"d\"=hex:1,2,\n"          // trailing comma: unreadable
        "\"e\"=hex(zz):00\n"
        "not a value\n"
        "\n"
        "; comment\n";
    reg.Parse(text);
    EXPECT_EQ(text, reg.Serialise());
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(reg.GetValue("Software\\K", "a", nullptr, &data));
    EXPECT_EQ((std::vector<std::uint8_t>{3, 0, 0, 0}), data);
    ASSERT_TRUE(reg.GetValue("Software\\K", "b", nullptr, &data));
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 10}), data);
    for (const char* unreadable : {"c", "d", "e"}) EXPECT_FALSE(reg.GetValue("Software\\K", unreadable, nullptr, &data));

    // A new value goes after the key's last value, ahead of the comments that follow it.
    ASSERT_TRUE(reg.PutValue("Software\\K", "f", plat::kRegDword, {1, 0, 0, 0}));
    const std::string after = reg.Serialise();
    EXPECT_LT(after.find("\"f\"=dword:00000001"), after.find("not a value")) << after;
    EXPECT_EQ(0u, after.find("[hkey_current_user\\software\\K]   \n\"a\"=dword:3\n")) << after;
    // A new key starts its own block after a blank line.
    ASSERT_TRUE(reg.PutValue("Software\\L", "g", plat::kRegDword, {2, 0, 0, 0}));
    EXPECT_NE(std::string::npos, reg.Serialise().find("; comment\n\n[HKEY_CURRENT_USER\\Software\\L]\n\"g\"=dword:00000002\n"));
}

// Random damage to a valid store: parsing never fails or crashes, every damaged line is written
// back unchanged, and a second round trip is stable.
TEST(FileRegistry, ArbitraryInputIsToleratedAndKept) {
    FileRegistry seed;
    seed.PutValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Enable sound", plat::kRegDword, {1, 0, 0, 0});
    seed.PutValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", plat::kRegDword, {3, 0, 0, 0});
    seed.PutValue("Software\\X", "s", plat::kRegSz, {'h', 'i', 0});
    seed.PutValue("Software\\X", "b", plat::kRegBinary, {1, 2, 3});
    const std::string valid = seed.Serialise();

    std::mt19937 rng(12345);
    static const char kAlphabet[] = "[]\\\"=:,@;hexdword()0123456789abcdefHKEY_CURRENT_USER \t\r\n\x01\xff";
    const std::string alphabet(kAlphabet, sizeof(kAlphabet) - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
            case 0: text[at] = alphabet[rng() % alphabet.size()]; break;
            case 1: text.erase(at, 1 + rng() % 8); break;
            default: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
            }
        }
        FileRegistry reg;
        reg.Parse(text);
        std::string out = reg.Serialise();
        // Text that ends without a line break gets one; nothing else changes.
        const std::string expected = text.empty() || text.back() == '\n' ? text : text + "\n";
        ASSERT_EQ(expected, out) << "round " << round;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        reg.GetValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", &type, &data);
        // Writing into damaged text keeps every other line and reads back what was written.
        ASSERT_TRUE(reg.PutValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", plat::kRegDword,
                                 {4, 0, 0, 0}));
        ASSERT_TRUE(reg.GetValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", &type, &data));
        ASSERT_EQ((std::vector<std::uint8_t>{4, 0, 0, 0}), data) << "round " << round;
        FileRegistry again;
        again.Parse(reg.Serialise());
        ASSERT_EQ(reg.Serialise(), again.Serialise()) << "round " << round;
        ASSERT_TRUE(again.GetValue("Software\\Tarnwick Productions Ltd\\morgrave\\Settings", "Pain", &type, &data));
        ASSERT_EQ((std::vector<std::uint8_t>{4, 0, 0, 0}), data) << "round " << round;
    }
}

}  // namespace
