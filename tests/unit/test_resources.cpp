// The executable's resources: the pictures and sounds embedded from res/, the icons, cursor,
// strings and dialog templates the saver relies on, and the reader's behaviour on damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "framework/DibTypes.h"
#include "platform/Resources.h"
#include "platform/common/DialogTemplate.h"
#include "platform/common/IconResources.h"
#include "platform/common/ResFile.h"
#include "resource.h"

namespace {

std::string Str(std::uint16_t id) {
    std::string s;
    return plat::LoadString(id, &s) ? s : std::string("<absent>");
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> Seed(const char* name) {
    return ReadFile(std::string(MG_SOURCE_DIR "/tests/fuzz/corpus/fuzz_res/") + name);
}

// A .res of the empty lead record and one record of type `type`, id 1 or 7, holding `data`.
std::vector<std::uint8_t> OneRecord(std::uint8_t type, std::uint8_t id, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> b(64 + data.size(), 0);
    b[4] = b[36] = 32;  // the header sizes
    b[8] = b[9] = b[12] = b[13] = b[40] = b[41] = b[44] = b[45] = 0xFF;
    b[32] = static_cast<std::uint8_t>(data.size());
    b[42] = type;
    b[46] = id;
    b[52] = 0x30;  // memory flags, then language 0x409
    b[54] = 9;
    b[55] = 4;
    std::copy(data.begin(), data.end(), b.begin() + 64);
    return b;
}

}  // namespace

// Every numbered file under res/art and res/sound is embedded under its number (pictures without
// the 14-byte file header), and every picture reads back through the bitmap checks at its size.
TEST(Resources, EveryPictureAndSoundIsEmbeddedAndReadsBack) {
    const struct {
        int first, last, width, height;
    } pictures[] = {{IDB_TITLE, IDB_TITLE, 520, 147},
                    {IDB_BACKGROUND, IDB_BACKGROUND, 640, 480},
                    {IDB_FLASH, IDB_FLASH, 640, 480},
                    {IDB_PREVIEW, IDB_PREVIEW, 147, 124},
                    {IDB_TOPDOOR_FIRST, IDB_TOPDOOR_LAST, 131, 152},
                    {IDB_RIGHTDOOR_FIRST, IDB_RIGHTDOOR_LAST, 116, 243},
                    {IDB_MIDDLEDOOR_FRAME0, IDB_MIDDLEDOOR_LAST, 104, 182},
                    {IDB_FLOORDOOR_A_FIRST, IDB_FLOORDOOR_B_LAST, 166, 121},
                    {IDB_FLOORDOOR_FRAME5, IDB_FLOORDOOR_FRAME5, 166, 121},
                    {IDB_LOWERDOOR_FIRST, IDB_LOWERDOOR_LAST, 101, 158},
                    {IDB_LOWERDOOR_FRAME12, IDB_LOWERDOOR_FRAME12, 101, 158}};
    std::map<int, std::pair<int, int>> sizes;  // later rows win: 837 is the lower door's
    for (const auto& p : pictures)
        for (int id = p.first; id <= p.last; ++id) sizes[id] = {p.width, p.height};
    const struct {
        const char *dir, *ext;
        plat::ResType type;
        std::size_t skip, count;
    } kinds[] = {{"art", ".bmp", plat::kRtBitmap, 14, 68}, {"sound", ".wav", plat::kRtWave, 0, 15}};
    for (const auto& k : kinds) {
        std::size_t count = 0;
        for (const auto& e : std::filesystem::directory_iterator(std::string(MG_SOURCE_DIR "/res/") + k.dir)) {
            const std::string stem = e.path().stem().string();
            if (e.path().extension() != k.ext || stem.find_first_not_of("0123456789") != std::string::npos) continue;
            SCOPED_TRACE(e.path().filename().string());
            ++count;
            const std::vector<std::uint8_t> file = ReadFile(e.path().string());
            const plat::ResData r = plat::FindResource(k.type, static_cast<std::uint16_t>(std::stoi(stem)));
            ASSERT_TRUE(r.data && r.size + k.skip == file.size() && !std::memcmp(r.data, file.data() + k.skip, r.size));
            DibLayout dib;
            if (k.skip == 0) continue;
            ASSERT_TRUE(ParseDibResource(r.data, r.size, &dib));
            EXPECT_EQ(std::make_tuple(dib.header.biWidth, dib.header.biHeight, dib.colorCount),
                      std::make_tuple(sizes[std::stoi(stem)].first, sizes[std::stoi(stem)].second, 256u));
        }
        EXPECT_EQ(count, k.count) << k.dir;
    }
    EXPECT_EQ(plat::FindResource(plat::kRtBitmap, 759).data, nullptr);
    EXPECT_EQ(plat::FindResource(plat::kRtWave, IDB_TITLE).data, nullptr);
}

TEST(Resources, IconsCursorAndStringsAreFound) {
    // Two 16-colour pictures, 32 and 16 pixels; a size in between takes the next larger.
    for (std::uint16_t id : {IDR_MAINFRAME, IDI_DIALOG})
        for (int size : {32, 16, 24}) {
            SCOPED_TRACE(testing::Message() << id << " at " << size);
            plat::IconImage icon;
            ASSERT_TRUE(plat::FindIconImage(&plat::FindResource, id, size, &icon));
            EXPECT_EQ(icon.width, size == 24 ? 32 : size);
        }
    // The blank cursor: 32 by 32, hot spot at the corner, every pixel transparent.
    plat::CursorImage c;
    ASSERT_TRUE(plat::FindCursorImage(&plat::FindResource, IDC_BLANK, &c));
    EXPECT_EQ(std::vector<int>({c.width, c.height, c.hotX, c.hotY}), std::vector<int>({32, 32, 0, 0}));
    EXPECT_EQ(c.andMask, std::vector<std::uint8_t>(128, 0xFF));
    EXPECT_EQ(c.xorMask, std::vector<std::uint8_t>(128, 0x00));

    EXPECT_EQ(Str(IDS_DESCRIPTION), "Morgrave Screen Saver");
    // No application title: the framework falls back to the file name. Neighbours in the blocks are absent.
    for (std::uint16_t id : {57344, 0, 2, 59146}) EXPECT_EQ(Str(id), "<absent>") << id;
}

// The credits dialog makes a group of every run of lines between blank lines (LF only); the legal
// text is paragraphs in two strings, joined by CR LF pairs. A stray break shows as an empty line.
TEST(Resources, CreditsAndLegalTextsBreakWhereTheDialogsSplitThem) {
    const std::string credits = Str(IDS_CREDITS_TEXT);
    EXPECT_TRUE(credits.find_first_of("\r") == std::string::npos && credits.find("\n\n\n") == std::string::npos &&
                credits.back() != '\n');
    std::size_t groups = 1;
    for (std::size_t at = credits.find("\n\n"); at != std::string::npos; at = credits.find("\n\n", at + 2)) ++groups;
    EXPECT_EQ(groups, 5u);

    const std::string first = Str(IDS_LEGAL_TEXT1), legal = first + Str(IDS_LEGAL_TEXT2);
    EXPECT_TRUE(first.size() > 300 && first.ends_with("\r\n\r\n") && legal.size() > first.size() + 300);
    for (std::size_t i = 0; i < legal.size(); ++i) {
        if (legal[i] != '\r' && legal[i] != '\n') continue;
        ASSERT_TRUE(legal.compare(i, 4, "\r\n\r\n") == 0 && i + 4 < legal.size() && legal[i + 4] > ' ') << "at " << i;
        i += 3;
    }
}

// The compiled templates: built-in classes stored as ordinals and read back by name, the settings
// dialog's picture named by its icon's ordinal, and every strict prefix refused.
TEST(Resources, DialogTemplatesParseWholeOnly) {
    const struct {
        std::uint16_t dialog;
        std::uint32_t id;
        const char* cls;
    } items[] = {{IDD_SETTINGS, IDC_DIALOG_ICON, "STATIC"},
                 {IDD_SETTINGS, IDC_PAIN, "MSCTLS_TRACKBAR32"},
                 {IDD_LEGAL, IDC_LEGAL_TEXT, "EDIT"},
                 {IDD_CREDITS, IDOK, "BUTTON"}};
    for (const auto& want : items) {
        SCOPED_TRACE(testing::Message() << want.dialog << "/" << want.id);
        const plat::ResData r = plat::FindResource(plat::kRtDialog, want.dialog);
        plat::DialogTemplate t;
        ASSERT_TRUE(plat::ParseDialogTemplate(r.data, r.size, &t));
        const plat::DialogItem* got = nullptr;
        for (const plat::DialogItem& item : t.items) got = item.id == want.id ? &item : got;
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->className, want.cls);
        EXPECT_EQ(got->classIsOrdinal, got->className != "MSCTLS_TRACKBAR32");
        EXPECT_TRUE(want.id != IDC_DIALOG_ICON || (got->textIsOrdinal && got->textOrdinal == IDI_DIALOG));
        for (std::size_t len = 0; len < r.size; ++len) ASSERT_FALSE(plat::ParseDialogTemplate(r.data, len, &t)) << len;
    }
}

TEST(ResFile, ExtendedTemplatesAndUnicodeStrings) {
    const std::vector<std::uint8_t> seeds = Seed("seeds.res");
    const plat::ResFile file(seeds.data(), seeds.size());
    std::string s;
    ASSERT_TRUE(file.LoadString(17, &s));
    EXPECT_EQ(s, "caf\xC3\xA9 \xE2\x98\xBA \xF0\x9F\x98\x80");  // BMP characters and a surrogate pair
    // Types by name, without case; names that are strings never match an integer id.
    EXPECT_NE(file.Find(plat::ResType{0, "wave"}, 2).data, nullptr);
    EXPECT_EQ(file.Find(plat::ResType{10, nullptr}, 0).data, nullptr);

    const plat::ResData d = file.Find(plat::kRtDialog, 200);
    plat::DialogTemplate t;
    ASSERT_TRUE(plat::ParseDialogTemplate(d.data, d.size, &t));
    EXPECT_EQ(std::make_tuple(t.extended, t.helpId, t.exStyle, t.style, t.title),
              std::make_tuple(true, 77u, 8u, 0x80C000C0u, std::string("Ex \xC3\xA9")));
    EXPECT_EQ(std::make_tuple(t.fontPointSize, t.fontWeight, t.fontItalic, t.fontName),
              std::make_tuple(std::uint16_t{9}, std::uint16_t{700}, true, std::string("Tahoma")));
    ASSERT_EQ(t.items.size(), 2u);
    const plat::DialogItem &a = t.items[0], &b = t.items[1];
    EXPECT_EQ(std::make_tuple(a.id, a.helpId, a.exStyle, a.className),
              std::make_tuple(70000u, 55u, 0x200u, std::string("MSCTLS_TRACKBAR32")));
    EXPECT_EQ(std::make_tuple(b.id, b.x, b.className, b.textIsOrdinal, b.textOrdinal),
              std::make_tuple(1021u, std::int16_t{-3}, std::string("STATIC"), true, std::uint16_t{671}));
    for (std::size_t len = 0; len < d.size; ++len) {
        const std::vector<std::uint8_t> cut(static_cast<const std::uint8_t*>(d.data),
                                            static_cast<const std::uint8_t*>(d.data) + len);
        EXPECT_FALSE(plat::ParseDialogTemplate(cut.data(), cut.size(), &t)) << len;
    }
}

TEST(ResFile, DamagedRecordsAreNotFound) {
    const std::vector<std::uint8_t> good = OneRecord(10, 7, {'a', 'b', 'c', 'd'});
    auto finds = [](const std::vector<std::uint8_t>& b) {
        const plat::ResData r = plat::ResFile(b.data(), b.size()).Find(plat::ResType{10, nullptr}, 7);
        return r.data != nullptr && r.size == 4 && std::memcmp(r.data, "abcd", 4) == 0;
    };
    ASSERT_TRUE(finds(good));
    EXPECT_EQ(plat::ResFile(nullptr, 100).Find(plat::kRtBitmap, 1).data, nullptr);
    // Cut anywhere: an exact-size copy, so a read past its end would show.
    for (std::size_t len = 0; len < good.size(); ++len)
        EXPECT_FALSE(finds({good.begin(), good.begin() + static_cast<long>(len)})) << len;
    const struct {
        std::size_t at;
        std::uint8_t value;
        const char* why;
    } damage[] = {{32, 5, "data size runs past the end"},
                  {35, 0x80, "data size near 2^32"},
                  {36, 40, "header runs into the data and past"},
                  {36, 16, "header too short for its fields"},
                  {39, 0xFF, "header size near 2^32"},
                  {4, 0xF0, "the lead record swallows the file"},
                  {4, 31, "a misaligned lead record"}};
    for (const auto& d : damage) {
        std::vector<std::uint8_t> b = good;
        b[d.at] = d.value;
        EXPECT_FALSE(finds(b)) << d.why;
    }
    // A type written as a string without its terminator inside the header.
    std::vector<std::uint8_t> named = good;
    for (std::size_t i = 40; i < 48; ++i) named.at(i) = 'A';
    EXPECT_FALSE(finds(named));
    EXPECT_EQ(plat::ResFile(named.data(), named.size()).Find(plat::ResType{0, "AAAA"}, 7).data, nullptr);
    // A record after a damaged one is not found, one before it still is.
    std::vector<std::uint8_t> two = good;
    two.insert(two.end(), good.begin() + 32, good.end());
    two[good.size() + 4] = 0xFF;  // the second record's header size
    EXPECT_TRUE(finds(two));
    two[32 + 4] = 0xFF;
    EXPECT_FALSE(finds(two));
}

TEST(ResFile, DamagedStringBlocksAndIconGroupsAreRefused) {
    // String block 1 (ids 0..15): entry 1 "hi", entry 2 claims two characters but holds one.
    const std::vector<std::uint8_t> b = OneRecord(6, 1, {0, 0, 2, 0, 'h', 0, 'i', 0, 2, 0, 'x', 0});
    const plat::ResFile f(b.data(), b.size());
    std::string s;
    EXPECT_TRUE(f.LoadString(1, &s));
    EXPECT_EQ(s, "hi");
    for (std::uint16_t id : {0, 2, 3, 16})
        EXPECT_FALSE(f.LoadString(id, &s)) << id;  // empty, cut, after the cut, no block

    // Icon and cursor groups of the wrong type are refused.
    const std::vector<std::uint8_t> icons = Seed("icons.res");
    const plat::ResFile whole(icons.data(), icons.size());
    const plat::ResFinder find = [&whole](plat::ResType t, std::uint16_t id) { return whole.Find(t, id); };
    plat::IconImage icon;
    plat::CursorImage cursor;
    EXPECT_TRUE(plat::FindIconImage(find, IDR_MAINFRAME, 16, &icon) && icon.width == 16);
    EXPECT_TRUE(plat::FindCursorImage(find, IDC_BLANK, &cursor));
    EXPECT_FALSE(plat::FindCursorImage(find, IDR_MAINFRAME, &cursor));  // an icon group
    EXPECT_FALSE(plat::FindIconImage(find, IDC_BLANK, 32, &icon));      // a cursor group
    const plat::ResData img = whole.Find(plat::kRtCursor, cursor.imageId);
    ASSERT_NE(img.data, nullptr);
    // The image decoder: whole accepted, one byte short or an odd doubled height refused.
    std::vector<std::uint8_t> dib(static_cast<const std::uint8_t*>(img.data) + 4,
                                  static_cast<const std::uint8_t*>(img.data) + img.size);
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> argb;
    EXPECT_TRUE(plat::DecodeIconBitmap(dib.data(), dib.size(), &w, &h, &argb));
    EXPECT_FALSE(plat::DecodeIconBitmap(dib.data(), dib.size() - 1, &w, &h, &argb));
    dib[8] = 0x41;
    EXPECT_FALSE(plat::DecodeIconBitmap(dib.data(), dib.size(), &w, &h, &argb));
}
