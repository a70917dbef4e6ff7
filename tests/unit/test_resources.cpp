// The executable's resources: every picture and sound as committed under res/, the icons, cursor,
// strings and dialog templates the saver relies on, and the reader's behaviour on damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/WinDefs.h"
#include "platform/Resources.h"
#include "platform/common/DialogTemplate.h"
#include "platform/common/IconResources.h"
#include "platform/common/ResBlob.h"
#include "platform/common/ResFile.h"
#include "resource.h"

namespace {

std::uint16_t U16(const void* p, std::size_t at) {
    const auto* b = static_cast<const unsigned char*>(p) + at;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
std::uint32_t U32(const void* p, std::size_t at) { return U16(p, at) | (static_cast<std::uint32_t>(U16(p, at + 2)) << 16); }

std::string Str(std::uint16_t id) {
    std::string s;
    return plat::LoadString(id, &s) ? s : std::string("<absent>");
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Calls `each(id, file bytes)` for every res/<dir>/<number><ext>; returns how many there were.
template <typename F>
int ForEachAsset(const char* dir, const char* ext, F each) {
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(MG_SOURCE_DIR "/res/") + dir)) {
        const std::string stem = e.path().stem().string();
        if (e.path().extension() != ext || stem.find_first_not_of("0123456789") != std::string::npos) continue;
        SCOPED_TRACE(e.path().filename().string());
        each(static_cast<std::uint16_t>(std::stoi(stem)), ReadFile(e.path().string()));
        ++count;
    }
    return count;
}

bool SameBytes(const plat::ResData& r, const std::vector<std::uint8_t>& file, std::size_t skip) {
    return r.data != nullptr && file.size() >= skip && r.size == file.size() - skip &&
           std::memcmp(r.data, file.data() + skip, r.size) == 0;
}

}  // namespace

// The pictures' sizes and palettes are the art tests' business; here: each is stored under its
// number as the 8-bit uncompressed bitmap the imaging code reads, with nothing else answering.
TEST(Resources, EveryPictureIsEmbeddedUnderItsNumberAs8BitBitmap) {
    const int count = ForEachAsset("art", ".bmp", [](std::uint16_t id, const std::vector<std::uint8_t>& file) {
        const plat::ResData r = plat::FindResource(plat::kRtBitmap, id);
        ASSERT_TRUE(SameBytes(r, file, 14));  // stored without the file header
        EXPECT_EQ(U32(r.data, 0), 40u);
        EXPECT_EQ(U16(r.data, 14), 8);   // 8 bits per pixel
        EXPECT_EQ(U32(r.data, 16), 0u);  // uncompressed
    });
    EXPECT_EQ(count, 68);  // the 66 images of the image table, the background and the preview
    EXPECT_EQ(plat::FindResource(plat::kRtBitmap, 759).data, nullptr);
    EXPECT_EQ(plat::FindResource(plat::kRtWave, IDB_TITLE).data, nullptr);
}

TEST(Resources, EverySoundIsEmbeddedAsAMono16BitPcmWave) {
    const int count = ForEachAsset("sound", ".wav", [](std::uint16_t id, const std::vector<std::uint8_t>& file) {
        const plat::ResData r = plat::FindResource(plat::kRtWave, id);
        ASSERT_TRUE(SameBytes(r, file, 0));
        ASSERT_GE(r.size, 44u);
        const auto* b = static_cast<const char*>(r.data);
        EXPECT_EQ(std::string(b, 4) + std::string(b + 8, 4), "RIFFWAVE");
        EXPECT_LE(U32(r.data, 4) + 8, r.size);
        bool pcm = false, data = false;
        for (std::size_t at = 12; at + 8 <= r.size;) {
            const std::string tag(b + at, 4);
            const std::uint32_t len = U32(r.data, at + 4);
            if (tag == "fmt " && at + 8 + 16 <= r.size) {
                pcm = U16(r.data, at + 8) == 1 && U16(r.data, at + 10) == 1 && U16(r.data, at + 22) == 16;
            }
            data = data || (tag == "data" && at + 8 + len <= r.size);
            at += 8 + len + (len & 1);
        }
        EXPECT_TRUE(pcm && data);
    });
    EXPECT_EQ(count, 15);
    // The type name is compared without case; an ordinal type of the same number is another type.
    EXPECT_NE(plat::FindResource(plat::ResType{0, "wave"}, 761).data, nullptr);
    EXPECT_NE(plat::FindResource(plat::ResType{0, "Wave"}, 871).data, nullptr);
    EXPECT_EQ(plat::FindResource(plat::ResType{0, "WAV"}, 761).data, nullptr);
    EXPECT_EQ(plat::FindResource(plat::ResType{0, "WAVES"}, 761).data, nullptr);
    EXPECT_EQ(plat::FindResource(plat::kRtWave, 770).data, nullptr);
}

TEST(Resources, IconsCursorAndStringsAreFound) {
    for (std::uint16_t id : {IDR_MAINFRAME, IDI_DIALOG}) {
        SCOPED_TRACE(id);
        // Two 16-colour pictures, 32 and 16 pixels; a size in between takes the next larger.
        for (int size : {32, 16, 24}) {
            plat::IconImage icon;
            ASSERT_TRUE(plat::FindIconImage(&plat::FindResource, id, size, &icon));
            EXPECT_EQ(icon.width, size == 24 ? 32 : size);
            EXPECT_EQ(icon.bitCount, 4);
            std::int32_t w = 0, h = 0;
            std::vector<std::uint32_t> argb;
            ASSERT_TRUE(plat::DecodeIconBitmap(icon.bytes.data, icon.bytes.size, &w, &h, &argb));
            EXPECT_EQ(argb.size(), static_cast<std::size_t>(icon.width * icon.width));
        }
    }
    // The blank cursor: 32 by 32, hot spot at the corner, every pixel transparent.
    plat::CursorImage c;
    ASSERT_TRUE(plat::FindCursorImage(&plat::FindResource, IDC_BLANK, &c));
    EXPECT_EQ(std::vector<int>({c.width, c.height, c.hotX, c.hotY}), std::vector<int>({32, 32, 0, 0}));
    EXPECT_EQ(c.andMask, std::vector<std::uint8_t>(128, 0xFF));
    EXPECT_EQ(c.xorMask, std::vector<std::uint8_t>(128, 0x00));
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> argb;
    ASSERT_TRUE(plat::DecodeIconBitmap(c.bytes.data, c.bytes.size, &w, &h, &argb));
    for (std::uint32_t px : argb) ASSERT_EQ(px >> 24, 0u);

    EXPECT_EQ(Str(1), "Morgrave Screen Saver");  // the display settings list string 1
    EXPECT_EQ(Str(IDS_CREDITS_MENU), "&Credits for Morgrave Screen Saver...");
    EXPECT_EQ(Str(IDS_LEGAL_MENU), "&Legal mumbo-jumbo for Morgrave Screen Saver...");
    // No application title: the framework must fall back to the file name. Neighbours of the
    // stored strings in their blocks are empty, so absent.
    for (std::uint16_t id : {57344, 0, 2, 59146}) EXPECT_EQ(Str(id), "<absent>") << id;
}

TEST(Resources, CreditsHaveFiveGroupsAndLegalTextItsShape) {
    // Credits: groups of a heading and its names, a blank line between groups, LF only, no
    // break at the end (a stray or doubled break makes an extra, empty group).
    const std::string credits = Str(IDS_CREDITS_TEXT);
    EXPECT_EQ(credits.find('\r'), std::string::npos);
    std::vector<std::vector<std::string>> groups(1);
    for (std::size_t from = 0, to = 0; from <= credits.size(); from = to + 1) {
        to = std::min(credits.find('\n', from), credits.size());
        if (to == from) {
            groups.emplace_back();
        } else {
            groups.back().push_back(credits.substr(from, to - from));
        }
    }
    const char* headings[] = {"Programming:", "Graphics:", "Sound:", "Previous", "Thanks:"};
    const std::size_t names[] = {2, 3, 1, 1, 2};
    ASSERT_EQ(groups.size(), 5u);
    for (std::size_t g = 0; g < 5; ++g) {
        ASSERT_EQ(groups[g].size(), names[g] + 1) << headings[g];
        EXPECT_EQ(groups[g][0], headings[g]);
        for (std::size_t n = 1; n < groups[g].size(); ++n) {
            EXPECT_TRUE(groups[g][n].back() != ':' && groups[g][n].front() != ' ') << groups[g][n];
        }
    }

    const std::string first = Str(IDS_LEGAL_TEXT1), second = Str(IDS_LEGAL_TEXT2);
    EXPECT_GE(first.size(), 300u);
    EXPECT_GE(second.size(), 300u);
    const std::string legal = first + second;
    // The second string begins a paragraph of its own.
    EXPECT_TRUE(first.size() >= 4 && first.compare(first.size() - 4, 4, "\r\n\r\n") == 0);
    EXPECT_NE(second.substr(0, 1), "\r");
    // Line breaks only as CR LF, and only in pairs (paragraph breaks); no break at the very end.
    std::size_t paragraphs = 1;
    for (std::size_t i = 0; i < legal.size(); ++i) {
        if (legal[i] == '\r' || legal[i] == '\n') {
            ASSERT_EQ(legal.compare(i, 4, "\r\n\r\n"), 0) << "at " << i;
            ASSERT_NE(legal.compare(i + 4, 1, "\r"), 0) << "at " << i;
            ++paragraphs;
            i += 3;
        }
    }
    EXPECT_GE(paragraphs, 3u);
    EXPECT_NE(legal.back(), '\n');
    // Capitals throughout but for the last sentence, which has small letters.
    const std::size_t lastStart = legal.rfind("\r\n\r\n") + 4;
    std::size_t sentence = legal.find_last_of(".!?", legal.size() - 2);
    sentence = (sentence == std::string::npos || sentence < lastStart) ? lastStart : sentence + 1;
    for (std::size_t i = 0; i < sentence; ++i) ASSERT_FALSE(legal[i] >= 'a' && legal[i] <= 'z') << "at " << i;
    bool small = false;
    for (std::size_t i = sentence; i < legal.size(); ++i) small = small || (legal[i] >= 'a' && legal[i] <= 'z');
    EXPECT_TRUE(small);
}

// What the dialog code relies on in its templates: the classes and styles of the controls it
// drives (coordinates and captions are the script's own business).
TEST(Resources, DialogTemplatesHoldTheControlsTheDialogsDrive) {
    const struct {
        std::uint16_t dialog;
        std::uint32_t id;
        const char* cls;
        std::uint32_t mask, style;
    } items[] = {
        // The low bits are the button kind (1 default push, 3 auto check box), the static kind
        // (1 centred, 2 right, 3 icon), the slider's orientation (2 vertical) and the edit's
        // 4 multi-line and 0x800 read-only.
        {IDD_SETTINGS, IDOK, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE | 1},
        {IDD_SETTINGS, IDCANCEL, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE},
        {IDD_SETTINGS, IDC_SOUND, "BUTTON", WS_VISIBLE | WS_TABSTOP | 0xF, WS_VISIBLE | WS_TABSTOP | 3},
        {IDD_SETTINGS, IDC_SUBLIMINALS, "BUTTON", WS_VISIBLE | WS_TABSTOP | 0xF, WS_VISIBLE | WS_TABSTOP | 3},
        {IDD_SETTINGS, IDC_PAIN, "MSCTLS_TRACKBAR32", WS_VISIBLE | WS_TABSTOP | 2, WS_VISIBLE | WS_TABSTOP},
        {IDD_SETTINGS, IDC_PAIN_NAME, "STATIC", WS_VISIBLE | 0x1F, WS_VISIBLE | 2},
        {IDD_SETTINGS, IDC_CREDITS, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE},
        {IDD_SETTINGS, IDC_LEGAL, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE},
        {IDD_SETTINGS, IDC_DIALOG_ICON, "STATIC", WS_VISIBLE | 0x1F, WS_VISIBLE | 3},
        {IDD_CREDITS, IDOK, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE | 1},
        {IDD_CREDITS, IDC_CREDITS_TEXT, "STATIC", WS_VISIBLE | 0x1F, WS_VISIBLE | 1},
        {IDD_LEGAL, IDOK, "BUTTON", WS_VISIBLE | 0xF, WS_VISIBLE | 1},
        {IDD_LEGAL, IDC_LEGAL_TEXT, "EDIT", WS_VISIBLE | WS_VSCROLL | 0x804, WS_VISIBLE | WS_VSCROLL | 0x804},
    };
    for (const auto& want : items) {
        SCOPED_TRACE(testing::Message() << want.dialog << "/" << want.id);
        const plat::ResData r = plat::FindResource(plat::kRtDialog, want.dialog);
        plat::DialogTemplate t;
        ASSERT_TRUE(plat::ParseDialogTemplate(r.data, r.size, &t));
        EXPECT_EQ(t.style & (WS_POPUP | WS_SYSMENU), WS_POPUP | WS_SYSMENU);
        const plat::DialogItem* got = nullptr;
        for (const plat::DialogItem& item : t.items) got = item.id == want.id ? &item : got;
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got->className, want.cls);
        EXPECT_EQ(got->style & want.mask, want.style);
        EXPECT_TRUE(want.id != IDC_DIALOG_ICON || (got->textIsOrdinal && got->textOrdinal == IDI_DIALOG));
        // The built-in classes are stored as ordinals, as the platform's own compiler does.
        EXPECT_EQ(got->classIsOrdinal, got->className != "MSCTLS_TRACKBAR32");
    }
    EXPECT_EQ(plat::FindResource(plat::kRtDialog, 103).data, nullptr);
}

TEST(ResFile, ExtendedTemplatesAndUnicodeStrings) {
    const std::vector<std::uint8_t> seeds = ReadFile(MG_SOURCE_DIR "/tests/fuzz/corpus/fuzz_res/seeds.res");
    ASSERT_FALSE(seeds.empty());
    const plat::ResFile file(seeds.data(), seeds.size());
    std::string s;
    ASSERT_TRUE(file.LoadString(17, &s));
    EXPECT_EQ(s, "caf\xC3\xA9 \xE2\x98\xBA \xF0\x9F\x98\x80");  // BMP characters and a surrogate pair
    // Types by name, without case; names that are strings never match an integer id.
    EXPECT_NE(file.Find(plat::ResType{0, "wave"}, 2).data, nullptr);
    EXPECT_EQ(file.Find(plat::ResType{10, nullptr}, 0).data, nullptr);
    int named = 0;
    file.ForEach([&](const plat::ResFile::Record& rec) {
        named += !rec.nameIsOrdinal && rec.name == "CUSTOM1";
        return true;
    });
    EXPECT_EQ(named, 1);

    const plat::ResData d = file.Find(plat::kRtDialog, 200);
    ASSERT_NE(d.data, nullptr);
    plat::DialogTemplate t;
    ASSERT_TRUE(plat::ParseDialogTemplate(d.data, d.size, &t));
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.helpId, 77u);
    EXPECT_EQ(t.exStyle, 8u);
    EXPECT_EQ(t.style, 0x80C000C0u);
    EXPECT_EQ(t.title, "Ex \xC3\xA9");
    EXPECT_EQ(t.fontPointSize, 9);
    EXPECT_EQ(t.fontWeight, 700);
    EXPECT_TRUE(t.fontItalic);
    EXPECT_EQ(t.fontName, "Tahoma");
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_EQ(t.items[0].id, 70000u);  // a DWORD id
    EXPECT_EQ(t.items[0].helpId, 55u);
    EXPECT_EQ(t.items[0].exStyle, 0x200u);
    EXPECT_EQ(t.items[0].className, "MSCTLS_TRACKBAR32");
    EXPECT_EQ(t.items[1].x, -3);
    EXPECT_EQ(t.items[1].className, "STATIC");
    EXPECT_EQ(t.items[1].textOrdinal, 671);

    // Every strict prefix of a template is refused, the whole one accepted.
    for (std::size_t len = 0; len < d.size; ++len) {
        std::vector<std::uint8_t> cut(static_cast<const std::uint8_t*>(d.data),
                                      static_cast<const std::uint8_t*>(d.data) + len);
        plat::DialogTemplate u;
        EXPECT_FALSE(plat::ParseDialogTemplate(cut.data(), cut.size(), &u)) << len;
    }
    const plat::ResData d102 = plat::FindResource(plat::kRtDialog, 102);
    for (std::size_t len = 0; len < d102.size; ++len) {
        plat::DialogTemplate u;
        EXPECT_FALSE(plat::ParseDialogTemplate(d102.data, len, &u)) << len;
    }
}

TEST(ResFile, EveryPrefixFindsOnlyWholeRecords) {
    for (const char* name : {"seeds.res", "icons.res"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> full = ReadFile(std::string(MG_SOURCE_DIR "/tests/fuzz/corpus/fuzz_res/") + name);
        ASSERT_GT(full.size(), 64u);
        struct Expect {
            plat::ResType type;
            std::uint16_t id;
            std::size_t end;   // offset just past the record's data
            std::uint32_t size;
        };
        std::vector<Expect> records;
        const plat::ResFile whole(full.data(), full.size());
        ASSERT_TRUE(whole.ForEach([&](const plat::ResFile::Record& rec) {
            if (rec.typeIsOrdinal && rec.nameIsOrdinal) {
                const std::size_t end = static_cast<const std::uint8_t*>(rec.data.data) - full.data() + rec.data.size;
                records.push_back({plat::ResType{rec.typeOrdinal, nullptr}, rec.nameOrdinal, end, rec.data.size});
            }
            return true;
        }));
        ASSERT_GE(records.size(), 3u);
        std::string whole1;
        ASSERT_TRUE(whole.LoadString(1, &whole1));
        for (std::size_t len = 0; len <= full.size(); ++len) {
            // An exact-size copy: anything found must lie inside it.
            std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
            const plat::ResFile file(cut.data(), cut.size());
            for (const Expect& e : records) {
                const plat::ResData r = file.Find(e.type, e.id);
                if (e.end <= len) {
                    ASSERT_NE(r.data, nullptr) << "len " << len << " id " << e.id;
                    ASSERT_EQ(r.size, e.size);
                    const auto* p = static_cast<const std::uint8_t*>(r.data);
                    ASSERT_TRUE(p >= cut.data() && p + r.size <= cut.data() + cut.size());
                    ASSERT_EQ(std::memcmp(p, full.data() + (e.end - e.size), r.size), 0);
                } else {
                    ASSERT_EQ(r.data, nullptr) << "len " << len << " id " << e.id;
                }
            }
            std::string s;
            if (file.LoadString(1, &s)) {
                ASSERT_EQ(s, whole1) << len;
            }
            // Icon and cursor lookups over the cut file: whole answers or none.
            const plat::ResFinder find = [&file](plat::ResType t, std::uint16_t id) { return file.Find(t, id); };
            plat::IconImage icon;
            if (plat::FindIconImage(find, IDR_MAINFRAME, 32, &icon)) {
                ASSERT_EQ(icon.width, 32) << len;
            }
            plat::CursorImage cursor;
            if (plat::FindCursorImage(find, IDC_BLANK, &cursor)) {
                ASSERT_EQ(cursor.andMask.size(), 128u) << len;
            }
        }
    }
}

namespace {

// A .res of the empty lead record and one RT_RCDATA record (id 7) holding "abcd".
std::vector<std::uint8_t> OneRecord() {
    std::vector<std::uint8_t> b(32, 0);
    b[4] = 32;
    b[8] = b[9] = 0xFF;
    b[12] = b[13] = 0xFF;
    const std::uint8_t rec[] = {4, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 10, 0, 0xFF, 0xFF, 7, 0,
                                0, 0, 0, 0, 0x30, 0, 9, 4, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c', 'd'};
    b.insert(b.end(), std::begin(rec), std::end(rec));
    return b;
}

bool FindsRecord(const std::vector<std::uint8_t>& b) {
    const plat::ResFile f(b.data(), b.size());
    const plat::ResData r = f.Find(plat::ResType{10, nullptr}, 7);
    return r.data != nullptr && r.size == 4 && std::memcmp(r.data, "abcd", 4) == 0;
}

}  // namespace

TEST(ResFile, DamagedRecordsAreNotFound) {
    std::vector<std::uint8_t> good = OneRecord();
    ASSERT_TRUE(FindsRecord(good));
    EXPECT_EQ(plat::ResFile(nullptr, 100).Find(plat::kRtBitmap, 1).data, nullptr);
    EXPECT_EQ(plat::ResFile(good.data(), 0).Find(plat::ResType{10, nullptr}, 7).data, nullptr);

    auto damaged = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> b = good;
        b[at] = value;
        return b;
    };
    EXPECT_FALSE(FindsRecord(damaged(32, 5)));             // data size runs past the end
    EXPECT_FALSE(FindsRecord(damaged(35, 0x80)));          // data size near 2^32
    EXPECT_FALSE(FindsRecord(damaged(36, 40)));            // header runs into the data and past the end
    EXPECT_FALSE(FindsRecord(damaged(36, 16)));            // header too short to hold its fields
    EXPECT_FALSE(FindsRecord(damaged(39, 0xFF)));          // header size near 2^32
    EXPECT_FALSE(FindsRecord(damaged(4, 0xF0)));           // the lead record's header swallows the file
    EXPECT_FALSE(FindsRecord(damaged(4, 31)));             // a misaligned lead record: the rest is garbage

    // A type written as a string without its terminator inside the header.
    std::vector<std::uint8_t> b = good;
    for (std::size_t i = 40; i < 48; ++i) b[i] = 'A';
    EXPECT_FALSE(FindsRecord(b));
    EXPECT_EQ(plat::ResFile(b.data(), b.size()).Find(plat::ResType{0, "AAAA"}, 7).data, nullptr);

    // A record after a damaged one is not found, one before it still is.
    std::vector<std::uint8_t> two = good;
    two.insert(two.end(), good.begin() + 32, good.end());
    ASSERT_TRUE(FindsRecord(two));
    two[good.size() + 4] = 0xFF;  // the second record's header size
    EXPECT_TRUE(FindsRecord(two));
    std::vector<std::uint8_t> swapped = two;
    swapped[32 + 4] = 0xFF;
    EXPECT_FALSE(FindsRecord(swapped));
}

TEST(ResFile, DamagedStringBlocksAndIconGroupsAreRefused) {
    // A string block (block 1: ids 0..15) whose entry 1 claims more characters than it holds.
    std::vector<std::uint8_t> b(32, 0);
    b[4] = 32;
    b[8] = b[9] = b[12] = b[13] = 0xFF;
    const std::uint8_t block[] = {0, 0, 2, 0, 'h', 0, 'i', 0, 9, 0, 'x', 0};
    const std::uint8_t head[] = {sizeof(block), 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 6, 0, 0xFF, 0xFF, 1, 0,
                                 0, 0, 0, 0, 0x30, 0, 9, 4, 0, 0, 0, 0, 0, 0, 0, 0};
    b.insert(b.end(), std::begin(head), std::end(head));
    b.insert(b.end(), std::begin(block), std::end(block));
    const plat::ResFile f(b.data(), b.size());
    std::string s;
    EXPECT_TRUE(f.LoadString(1, &s));
    EXPECT_EQ(s, "hi");
    EXPECT_FALSE(f.LoadString(0, &s));   // empty entry
    EXPECT_FALSE(f.LoadString(2, &s));   // length past the block
    EXPECT_FALSE(f.LoadString(3, &s));   // entries after the damage
    EXPECT_FALSE(f.LoadString(16, &s));  // no block 2

    // Icon and cursor groups with a missing image, a wrong group type, or a cut image.
    const std::vector<std::uint8_t> icons = ReadFile(MG_SOURCE_DIR "/tests/fuzz/corpus/fuzz_res/icons.res");
    ASSERT_FALSE(icons.empty());
    const plat::ResFile whole(icons.data(), icons.size());
    const plat::ResFile* current = &whole;
    const plat::ResFinder find = [&current](plat::ResType t, std::uint16_t id) { return current->Find(t, id); };
    plat::IconImage icon;
    plat::CursorImage cursor;
    EXPECT_TRUE(plat::FindIconImage(find, IDR_MAINFRAME, 16, &icon));
    EXPECT_EQ(icon.width, 16);
    EXPECT_TRUE(plat::FindCursorImage(find, IDC_BLANK, &cursor));
    EXPECT_FALSE(plat::FindCursorImage(find, IDR_MAINFRAME, &cursor));  // an icon group
    EXPECT_FALSE(plat::FindIconImage(find, IDC_BLANK, 32, &icon));      // a cursor group
    // Cut inside the last image (the cursor's): the cursor goes, the icon stays.
    const plat::ResData img = whole.Find(plat::kRtCursor, cursor.imageId);
    ASSERT_NE(img.data, nullptr);
    const std::size_t imgEnd = static_cast<const std::uint8_t*>(img.data) - icons.data() + img.size;
    std::vector<std::uint8_t> cut(icons.begin(), icons.begin() + static_cast<std::ptrdiff_t>(imgEnd - 8));
    const plat::ResFile shorter(cut.data(), cut.size());
    current = &shorter;
    EXPECT_FALSE(plat::FindCursorImage(find, IDC_BLANK, &cursor));
    // A damaged image header inside a whole file is refused by the decoder.
    std::vector<std::uint8_t> bad(static_cast<const std::uint8_t*>(img.data) + 4,
                                  static_cast<const std::uint8_t*>(img.data) + img.size);
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> argb;
    EXPECT_TRUE(plat::DecodeIconBitmap(bad.data(), bad.size(), &w, &h, &argb));
    EXPECT_FALSE(plat::DecodeIconBitmap(bad.data(), bad.size() - 1, &w, &h, &argb));
    bad[8] = 0x41;  // an odd doubled height
    EXPECT_FALSE(plat::DecodeIconBitmap(bad.data(), bad.size(), &w, &h, &argb));
}
