// The settings store at start-up: defaults, values passed through, key path, the file on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "app/SaverApp.h"
#include "framework/Wnd.h"
#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"
#include "platform/common/RegistryFile.h"
#include "platform/headless/HeadlessSystem.h"

// The store's fsync and rename calls in order: "fsync", "rename <file name> <its size>".
static std::vector<std::string> g_fileCalls;
extern "C" int fsync(int fd) {
    g_fileCalls.emplace_back("fsync");
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int rename(const char* from, const char* to) {
    std::error_code ec;
    g_fileCalls.push_back("rename " + std::filesystem::path(from).filename().string() + " " +
                          std::to_string(std::filesystem::file_size(from, ec)));
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const char* const kKey = "Software\\Tarnwick Productions Ltd\\morgrave\\Settings";

Bytes Dword(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 24)};
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morgrave-store-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_dir = pattern;
        m_store = m_dir / "registry.reg";
        headless::ResetRegistry();
        headless::ResetModules();
        UseModule("/usr/lib/morgrave/morgrave");
    }
    void TearDown() override {
        headless::ResetRegistry();
        fs::remove_all(m_dir);
    }
    static void UseModule(const std::string& path) {
        headless::SetModuleFileName(path);
        theApp.m_pszAppName = nullptr;
        theApp.SetCurrentHandles();
    }
    // Start-up with these arguments after the program name; returns InitInstance's result.
    static BOOL Start(std::vector<std::string> args) {
        args.insert(args.begin(), "morgrave");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        theApp.m_argc = static_cast<int>(args.size());
        theApp.m_argv = argv.data();
        theApp.m_bConfigure = theApp.m_bPreview = theApp.m_bFullScreen = 0;
        const BOOL result = theApp.InitInstance();
        theApp.m_argv = nullptr;
        theApp.m_argc = 0;
        return result;
    }
    static void ExpectSettings(int sound, int pain, int subliminals, const char* key = kKey) {
        EXPECT_EQ((std::vector<int>{sound, pain, subliminals}),
                  (std::vector<int>{theApp.m_nEnableSound, theApp.m_nPain, theApp.m_nSubliminals}));
        const std::pair<const char*, int> stored[] = {
            {"Enable sound", sound}, {"Pain", pain}, {"Subliminals", subliminals}};
        for (const auto& [name, value] : stored) {
            std::uint32_t type = 0;
            Bytes data;
            EXPECT_TRUE(headless::GetRegistryValue(key, name, &type, &data) && type == plat::kRegDword) << name;
            EXPECT_EQ(Dword(value), data) << name;
        }
    }

    fs::path m_dir, m_store;
};

// What start-up reads, and writes back: missing values and values that are not exactly four
// bytes are the defaults; four bytes of any type are the value; any argument without a mode.
// "Scale" is an optional REG_DWORD up to 8 (else 1), read but never written.
TEST_F(SettingsStoreTest, StartUpReadsTheSettingsAndWritesThemBack) {
    const struct {
        const char* arg;
        std::vector<std::tuple<const char*, std::uint32_t, Bytes>> stored;
        int sound, pain, subliminals, scale;
    } cases[] = {
        {"/save", {}, 1, 3, 1, 1},
        {"//s", {}, 1, 3, 1, 1},
        {"/s:0", {}, 1, 3, 1, 1},
        {"-", {}, 1, 3, 1, 1},
        {"", {}, 1, 3, 1, 1},
        {"/save",
         {{"Pain", plat::kRegDword, Dword(9)},
          {"Enable sound", plat::kRegDword, Dword(0)},
          {"Subliminals", plat::kRegDword, Dword(7)},
          {"Scale", plat::kRegDword, Dword(0)}},
         0,
         9,
         7,
         0},
        {"/save",
         {{"Pain", plat::kRegDword, Dword(INT32_MIN)},
          {"Subliminals", plat::kRegDword, Dword(-1)},
          {"Scale", plat::kRegDword, Dword(8)}},
         1,
         INT32_MIN,
         -1,
         8},
        {"x",
         {{"Pain", plat::kRegBinary, {9, 0, 0, 0, 0}},
          {"Subliminals", plat::kRegSz, {'0', 0}},
          {"Enable sound", plat::kRegBinary, {0, 0, 0, 0}},
          {"Scale", plat::kRegBinary, Dword(3)}},
         0,
         3,
         1,
         1},
        {"x", {{"Pain", plat::kRegDword, {}}, {"Scale", plat::kRegDword, Dword(9)}}, 1, 3, 1, 1},
        {"x", {{"Scale", plat::kRegDword, Dword(-1)}}, 1, 3, 1, 1},
        {"x", {{"Scale", plat::kRegSz, {'3', 0, 0, 0}}}, 1, 3, 1, 1},
        {"x", {{"Scale", plat::kRegDword, Dword(3)}}, 1, 3, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.arg << " " << c.stored.size() << " stored, scale " << c.scale);
        headless::ResetRegistry();
        Bytes scale;
        for (const auto& [name, type, data] : c.stored) {
            headless::SetRegistryValue(kKey, name, type, data);
            if (std::string(name) == "Scale") scale = data;
        }
        theApp.m_nScale = -7;
        EXPECT_FALSE(Start({c.arg}));
        ExpectSettings(c.sound, c.pain, c.subliminals);
        EXPECT_EQ(c.scale, theApp.m_nScale);
        Bytes data;
        EXPECT_EQ(!scale.empty(), headless::GetRegistryValue(kKey, "Scale", nullptr, &data));
        EXPECT_EQ(scale, data);
        // No mode ran and every key handle was closed again.
        EXPECT_EQ(0, theApp.m_bConfigure + theApp.m_bPreview + theApp.m_bFullScreen + headless::ModuleLoadAttempts());
        EXPECT_EQ(0, headless::OpenRegistryKeyCount());
    }
    theApp.m_nScale = 1;
}

TEST_F(SettingsStoreTest, TheKeyIsNamedAfterTheExecutable) {
    for (const auto& [path, name] :
         {std::pair{"D:saver.v2.scr", "saver.v2"}, {"/opt/.morgrave", ".morgrave"}, {"plain", "plain"}}) {
        EXPECT_EQ(name, CWinApp::AppNameFromPath(path));
    }
    UseModule("C:\\WINDOWS\\SYSTEM\\Morgrave.SCR");
    EXPECT_FALSE(Start({"/save"}));
    ExpectSettings(1, 3, 1, "Software\\Tarnwick Productions Ltd\\Morgrave\\Settings");
    // The settings mode writes through the same operation.
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_EQ(2u, theApp.GetProfileInt("Settings", "Pain", 3));
    EXPECT_EQ(0, headless::OpenRegistryKeyCount());
}

TEST_F(SettingsStoreTest, StoreFileIsReadableAndSurvivesHandEditing) {
    // A person edits the file: CRLF endings, odd spelling, a garbled value, foreign keys, junk.
    static const char kMangled[] =
        "; my notes\r\ngarbage before any key \x01\x02\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
        "\"Pain\"=dword:00000004\r\n[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\morgrave\\Settings]\r\n"
        "\"enable SOUND\" = DWORD:0\r\n\"Pain\"=dword:zz\r\n\"Subliminals\"=\"unterminated\r\n\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n[HKEY_CURRENT_USER\\Software\r\n\"Pain\"=dword:00000002\r\n\0binary\xff\xfe tail";
    headless::UseRegistryFile(m_store.string());
    WriteFile(m_store, std::string(kMangled, sizeof(kMangled) - 1));
    EXPECT_FALSE(Start({"/save"}));
    // The hand-written spelling is understood, the garbled values count as missing.
    ExpectSettings(0, 3, 1);
    const std::string after = ReadFile(m_store);
    for (const char* kept :
         {"; my notes\r", "garbage before any key \x01\x02\r", "[HKEY_LOCAL_MACHINE\\Software\\Other]\r",
          "\"Pain\"=dword:00000004\r", "\"enable SOUND\" = DWORD:0\r", "\"Blob\"=hex:01,02,\\\r\n  03,04\r",
          "; unreadable, replaced: \"Pain\"=dword:zz\r", "; unreadable, replaced: \"Subliminals\"=\"unterminated\r",
          "[HKEY_CURRENT_USER\\Software\r", "\"Pain\"=dword:00000002\r"}) {
        EXPECT_NE(std::string::npos, after.find(kept)) << kept << "\n---\n" << after;
    }
    EXPECT_NE(std::string::npos, after.find(std::string("\0binary\xff\xfe tail", 14)));
    std::uint32_t type = 0;
    Bytes blob;
    EXPECT_TRUE(headless::GetRegistryValue(kKey, "Blob", &type, &blob) && type == plat::kRegBinary &&
                blob == Bytes({1, 2, 3, 4}));
    // Writing again changes nothing more: the store has settled.
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(after, ReadFile(m_store));
}

// Options after "s" replace what the store holds for that run only; bad ones are skipped with a line.
TEST_F(SettingsStoreTest, RunOptionsOverrideTheStoreForOneRunOnly) {
    // The store holds Pain 2, "Enable sound" 7, "Subliminals" 5.
    const struct {
        std::vector<std::string> args;
        int pain, sound, subliminals, scale, errorLines;
    } cases[] = {
        {{"s", "--pain", "1", "--sound", "0", "--subliminals", "0", "--scale", "3"}, 1, 0, 0, 3, 0},
        {{"-S", "--sound", "1", "--scale", "0"}, 2, 1, 5, 0, 0},
        {{"s", "--scale", "-1", "--pain", "9"}, 9, 7, 5, 1, 0},
        {{"s", "--pain", "99999999999", "--subliminals", "-99999999999"}, INT32_MAX, 7, INT32_MIN, 1, 0},
        {{"s", "-window-id", "0x2a", "--window-id", "42", "--pain", "4"}, 4, 7, 5, 1, 0},
        {{"s", "--bogus", "--pain", "3", "-root"}, 3, 7, 5, 1, 2},
        {{"s", "--pain", "x", "--sound", "4y"}, 2, 7, 5, 1, 2},
        {{"s", "--pain", "--sound", "0", "--scale"}, 2, 0, 5, 1, 2},
        // Only the full-screen mode takes options.
        {{"p", "0", "--pain", "1"}, 2, 7, 5, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        headless::ResetRegistry();
        for (const auto& [name, value] : {std::pair{"Pain", 2}, {"Enable sound", 7}, {"Subliminals", 5}}) {
            headless::SetRegistryValue(kKey, name, plat::kRegDword, Dword(value));
        }
        const std::string before = headless::RegistryText();
        theApp.m_nScale = 1;
        ::testing::internal::CaptureStderr();
        Start(c.args);
        const std::string err = ::testing::internal::GetCapturedStderr();
        if (theApp.m_pMainWnd != nullptr) theApp.m_pMainWnd->DestroyWindow();
        theApp.m_pMainWnd = nullptr;
        EXPECT_EQ((std::vector<int>{c.pain, c.sound, c.subliminals, c.scale}),
                  (std::vector<int>{theApp.m_nPain, theApp.m_nEnableSound, theApp.m_nSubliminals, theApp.m_nScale}));
        EXPECT_EQ(c.errorLines, std::count(err.begin(), err.end(), '\n')) << err;
        EXPECT_EQ(before, headless::RegistryText());
    }
}

// --help and --version answer on standard output and end before the store is touched.
TEST_F(SettingsStoreTest, HelpAndVersionLeaveNoStoreBehind) {
    for (const auto& [arg, start] : {std::pair{"--help", "Usage: morgrave [MODE]"}, {"--version", "morgrave "}}) {
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(Start({arg, "s"}));
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(0u, out.rfind(start, 0)) << out;
        EXPECT_EQ('\n', out.back());
        EXPECT_EQ("", headless::RegistryText()) << arg;
        EXPECT_EQ(0, theApp.m_bFullScreen);
    }
}

TEST_F(SettingsStoreTest, AStoreThatCannotBeReadIsNeverReplaced) {
    // Guarded by an alarm: a store that blocks the open must fail the test, not hang it.
    ::alarm(20);
    // A folder where the file should be, a FIFO (never opened for long), a file far too large.
    headless::UseRegistryFile(m_store.string());
    const std::string huge(plat::RegistryFile::kMaxBytes + 1, 'x');
    for (int kind = 0; kind < 3; ++kind) {
        fs::remove(m_store);
        kind == 0   ? fs::create_directory(m_store)
        : kind == 1 ? ::mkfifo(m_store.c_str(), 0600) == 0
                    : (WriteFile(m_store, huge), true);
        EXPECT_FALSE(Start({"/save"}));
        EXPECT_EQ(3, theApp.m_nPain);
        EXPECT_EQ(kind < 2, plat::RegLastWriteError().find("not a regular file") != std::string::npos);
        EXPECT_TRUE(kind == 0   ? fs::is_directory(m_store)
                    : kind == 1 ? fs::is_fifo(m_store)
                                : ReadFile(m_store) == huge);
    }
    fs::remove(m_store);

    // Just under the limit the store stays readable: start-up's writes (a missing and an
    // unreadable setting) and later ones that would take it past fail and leave it as it was,
    // and the store holds the file again at once (nothing unwritten reads as stored).
    const std::string settings =
        std::string("[HKEY_CURRENT_USER\\") + kKey + "]\n\"Pain\"=dword:4\n\"Subliminals\"=dword:zz\n";
    const std::string nearLimit = settings + ";" + std::string(4194300 - settings.size() - 2, 'p') + "\n";
    WriteFile(m_store, nearLimit);
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(4, theApp.m_nPain);
    EXPECT_EQ(nearLimit, headless::RegistryText());
    for (const char* name : {"Another setting", "Pain", "Subliminals"}) {
        EXPECT_FALSE(theApp.WriteProfileInt("Settings", name, 5)) << name;
        EXPECT_EQ(nearLimit, headless::RegistryText()) << name;
    }
    EXPECT_EQ(7u, theApp.GetProfileInt("Settings", "Another setting", 7));
    EXPECT_EQ(nearLimit, ReadFile(m_store));
    // A write that ends exactly at the limit is made; one byte more is refused.
    for (const std::size_t size : {plat::RegistryFile::kMaxBytes, plat::RegistryFile::kMaxBytes + 1}) {
        plat::RegistryFile file(m_store.string());
        plat::FileRegistry registry(&file);
        const std::string head = "[HKEY_CURRENT_USER\\Software\\T]\n", line = "\"v\"=dword:00000001\n";
        WriteFile(m_store, head + ";" + std::string(size - head.size() - line.size() - 2, 'p') + "\n");
        const bool fits = size == plat::RegistryFile::kMaxBytes;
        EXPECT_EQ(fits, registry.PutValue("Software\\T", "v", plat::kRegDword, Dword(1)));
        EXPECT_EQ(fits ? size : size - line.size(), fs::file_size(m_store));
    }
    // A key that cannot be written is taken out again: what is held is the file.
    std::string otherKeys =
        "[HKEY_CURRENT_USER\\Software]\n[a]\n[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd]\n";
    otherKeys += std::string(4194290 - otherKeys.size() - 1, ';') + "\n";
    WriteFile(m_store, otherKeys);
    EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_EQ(otherKeys, headless::RegistryText());
    EXPECT_EQ(otherKeys, ReadFile(m_store));

    // Folders that cannot be made: a file on the way, a path far longer than any the system
    // takes. The write fails and leaves nothing behind.
    WriteFile(m_dir / "blocker", "not a folder");
    std::string nested = m_dir.string();
    while (nested.size() < 80000) nested += "/d";
    for (const std::string& path : {(m_dir / "blocker" / "registry.reg").string(), nested + "/registry.reg"}) {
        headless::UseRegistryFile(path);
        EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 4));
    }
    EXPECT_EQ("not a folder", ReadFile(m_dir / "blocker"));
    ::alarm(0);
}

TEST_F(SettingsStoreTest, WritesNeverGoThroughPlantedLinksAndKeepALinkedStoreALink) {
    // The store is a link into a folder a dotfile manager keeps; links are planted wherever a
    // temporary file of this process could once be named.
    const fs::path target = m_dir / "dotfiles" / "registry.reg";
    fs::create_directory(m_dir / "dotfiles");
    fs::create_symlink("dotfiles/registry.reg", m_store);
    WriteFile(m_dir / "victim", "mine");
    for (const fs::path& at : {m_store, target}) {
        fs::create_symlink(m_dir / "victim", at.string() + ".tmp." + std::to_string(::getpid()));
    }
    headless::UseRegistryFile(m_store.string());
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ("mine", ReadFile(m_dir / "victim"));
    EXPECT_TRUE(fs::is_symlink(m_store));
    EXPECT_NE(std::string::npos, ReadFile(target).find("\"Pain\"=dword:00000003"));
    // A start that changes nothing writes nothing; a change is written beside the target.
    g_fileCalls.clear();
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_TRUE(g_fileCalls.empty());
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_TRUE(fs::is_symlink(m_store));
    EXPECT_NE(std::string::npos, ReadFile(target).find("\"Pain\"=dword:00000002"));
    for (const auto& entry : fs::directory_iterator(m_dir / "dotfiles")) {
        EXPECT_TRUE(entry.path().filename() == "registry.reg" || fs::is_symlink(entry.path())) << entry.path();
    }
}

// Start-up's three keys and three values are one write: a temporary file written in full and
// flushed to the disk, renamed over the store, and the folder flushed.
TEST_F(SettingsStoreTest, StartUpWritesTheStoreOnceFlushedBeforeItIsRenamed) {
    const fs::path store = m_dir / "cfg" / "morgrave" / "registry.reg";  // folders still to be made
    headless::UseRegistryFile(store.string());
    g_fileCalls.clear();
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_NE(std::string::npos,
              ReadFile(store).find(std::string("[HKEY_CURRENT_USER\\") + kKey +
                                   "]\n\"Enable sound\"="
                                   "dword:00000001\n\"Pain\"=dword:00000003\n\"Subliminals\"=dword:00000001\n"));
    ASSERT_EQ(3u, g_fileCalls.size()) << ::testing::PrintToString(g_fileCalls);
    const std::string size = " " + std::to_string(fs::file_size(store));
    EXPECT_EQ("rename registry.reg.tmp.XXXXXX" + size,
              g_fileCalls[1].substr(0, 24) + "XXXXXX" + g_fileCalls[1].substr(30));
    EXPECT_EQ("fsync fsync", g_fileCalls[0] + " " + g_fileCalls[2]);
}

// Another program's change between two operations is always seen: a store replaced by a file
// of the same size (even by one whose times are trusted at once), or rewritten in place.
TEST_F(SettingsStoreTest, AChangeByAnotherProgramIsSeenBetweenOperations) {
    // A file younger than the margin is never trusted by its times, an older one is.
    WriteFile(m_store, "; young\n");
    std::string text;
    for (const long long settledNs : {plat::RegistryFile::kSettledNs, 0LL}) {
        plat::RegistryFile file(m_store.string(), settledNs);
        EXPECT_EQ(plat::FileRegistry::LoadResult::Ok, file.Load(&text));
        EXPECT_EQ(settledNs == 0, file.Unchanged());
    }
    for (const long long settledNs : {plat::RegistryFile::kSettledNs, 0LL}) {
        plat::RegistryFile file(m_store.string(), settledNs);
        plat::FileRegistry registry(&file);
        ASSERT_TRUE(registry.PutValue("Software\\T", "v", plat::kRegDword, Dword(1)));
        // Replaced by a file of the same size; rewritten in place within the time granularity.
        for (const char value : std::string(settledNs == 0 ? "2" : "23")) {
            Bytes data;
            ASSERT_TRUE(registry.GetValue("Software\\T", "v", nullptr, &data));  // the file as last read
            std::string changed = ReadFile(m_store);
            changed[changed.rfind("dword:0000000") + 13] = value;
            WriteFile(value == '2' ? m_dir / "other" : m_store, changed);
            if (value == '2') fs::rename(m_dir / "other", m_store);
            ASSERT_TRUE(registry.GetValue("Software\\T", "v", nullptr, &data));
            EXPECT_EQ(Dword(value - '0'), data) << settledNs;
        }
    }
}

TEST_F(SettingsStoreTest, ALockHeldElsewhereNeverDelaysReadsAndFailsWritesSoon) {
    headless::UseRegistryFile(m_store.string());
    EXPECT_FALSE(Start({"/save"}));
    const int held = ::open((m_store.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(0, ::flock(held, LOCK_EX));
    ::alarm(20);
    EXPECT_EQ(3u, theApp.GetProfileInt("Settings", "Pain", 9));
    EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 4));
    EXPECT_NE(std::string::npos, plat::RegLastWriteError().find("registry.reg.lock: held by another program"));
    ::alarm(0);
    ::close(held);
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 4));
    EXPECT_EQ(4u, theApp.GetProfileInt("Settings", "Pain", 9));
}

}  // namespace
