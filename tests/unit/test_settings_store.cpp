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
const std::string kHeader = std::string("[HKEY_CURRENT_USER\\") + kKey + "]\n";
constexpr std::size_t kMaxBytes = plat::RegistryFile::kMaxBytes;

Bytes Dword(std::uint32_t u) {
    return {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Each test keeps its store in a file of its own folder, and runs as the installed program.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morgrave-store-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_dir = pattern;
        m_store = m_dir / "registry.reg";
        headless::UseRegistryFile(m_store.string());
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
    // Sound, pain and subliminals (the first three) are stored as REG_DWORDs in this key.
    static void ExpectStored(const std::vector<int>& settings, const char* key = kKey) {
        int i = 0;
        for (const char* name : {"Enable sound", "Pain", "Subliminals"}) {
            std::uint32_t type = 0;
            Bytes data;
            EXPECT_TRUE(headless::GetRegistryValue(key, name, &type, &data) && type == plat::kRegDword) << name;
            EXPECT_EQ(Dword(settings[i++]), data) << name;
        }
    }

    fs::path m_dir, m_store;
};

// What start-up reads, and writes back: missing values and values that are not exactly four bytes
// are the defaults; four bytes of any type are the value. "Scale" is an optional REG_DWORD up to 8
// (else 1), read but never written. Options after "s" replace a setting for that run only (never
// stored); bad ones are skipped with a line.
TEST_F(SettingsStoreTest, StartUpReadsTheSettingsWritesThemBackAndTakesOptionsForOneRun) {
    const char* const kStored = "\"Pain\"=dword:2\n\"Enable sound\"=dword:7\n\"Subliminals\"=dword:5\n";
    const struct {
        std::vector<std::string> args;
        const char* values;         // the lines of the settings key
        std::vector<int> settings;  // in use: sound, pain, subliminals, scale
        int errorLines;
    } cases[] = {
        {{"x"}, "\"Pain\"=dword:9\n\"Enable sound\"=dword:0\n\"Scale\"=dword:0\n", {0, 9, 1, 0}, 0},
        {{"x"}, "\"Pain\"=dword:80000000\n\"Subliminals\"=dword:ffffffff\n", {1, INT32_MIN, -1, 1}, 0},
        {{"x"}, "\"Pain\"=hex:09,00,00,00,00\n\"Subliminals\"=\"0\"\n\"Scale\"=hex:03,00,00,00\n", {1, 3, 1, 1}, 0},
        {{"x"}, "\"Enable sound\"=hex(7):00,00,00,00\n\"Scale\"=hex(1):33,00,00,00\n", {0, 3, 1, 1}, 0},
        {{"x"}, "\"Pain\"=hex(4):\n\"Scale\"=dword:9\n", {1, 3, 1, 1}, 0},
        {{"x"}, "\"Scale\"=dword:ffffffff\n", {1, 3, 1, 1}, 0},
        {{"x"}, "\"Scale\"=dword:8\n", {1, 3, 1, 8}, 0},
        {{"s", "--pain", "1", "--sound", "0", "--subliminals", "0", "--scale", "3"}, kStored, {0, 1, 0, 3}, 0},
        {{"-S", "--sound", "1", "--scale", "0"}, kStored, {1, 2, 5, 0}, 0},
        {{"s", "--scale", "-1", "--pain", "9"}, kStored, {7, 9, 5, 1}, 0},
        {{"s", "--pain", "99999999999", "--subliminals", "-99999999999"}, kStored, {7, INT32_MAX, INT32_MIN, 1}, 0},
        {{"s", "-window-id", "0x2a", "--window-id", "42", "--pain", "4"}, kStored, {7, 4, 5, 1}, 0},
        {{"s", "--bogus", "--pain", "3", "-root"}, kStored, {7, 3, 5, 1}, 2},
        {{"s", "--pain", "x", "--sound", "4y"}, kStored, {7, 2, 5, 1}, 2},
        {{"s", "--pain", "--sound", "0", "--scale"}, kStored, {0, 2, 5, 1}, 2},
        {{"p", "0", "--pain", "1"}, kStored, {7, 2, 5, 1}, 0}};  // only the full-screen mode takes options
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args) + "\n" + c.values);
        WriteFile(m_store, kHeader + c.values);
        Bytes scale, after;
        const bool hasScale = headless::GetRegistryValue(kKey, "Scale", nullptr, &scale);
        theApp.m_nScale = -7;
        ::testing::internal::CaptureStderr();
        Start(c.args);
        const std::string err = ::testing::internal::GetCapturedStderr();
        if (theApp.m_pMainWnd != nullptr) theApp.m_pMainWnd->DestroyWindow();
        theApp.m_pMainWnd = nullptr;
        EXPECT_EQ(c.settings,
                  (std::vector<int>{theApp.m_nEnableSound, theApp.m_nPain, theApp.m_nSubliminals, theApp.m_nScale}));
        EXPECT_EQ(c.errorLines, std::count(err.begin(), err.end(), '\n')) << err;
        ExpectStored(c.values == kStored ? std::vector<int>{7, 2, 5} : c.settings);
        EXPECT_EQ(hasScale, headless::GetRegistryValue(kKey, "Scale", nullptr, &after));
        EXPECT_EQ(scale, after);
        // Without a mode nothing more ran; every key handle was closed again.
        EXPECT_EQ(c.args[0] == "x", theApp.m_bConfigure + theApp.m_bPreview + theApp.m_bFullScreen == 0);
        EXPECT_EQ(0, headless::OpenRegistryKeyCount());
    }
    theApp.m_nScale = 1;
}

// The key is named after the executable; the first start makes the store's folders.
TEST_F(SettingsStoreTest, TheKeyIsNamedAfterTheExecutable) {
    for (const auto& [path, name] :
         {std::pair{"D:saver.v2.scr", "saver.v2"}, {"/opt/.morgrave", ".morgrave"}, {"plain", "plain"}}) {
        EXPECT_EQ(name, CWinApp::AppNameFromPath(path));
    }
    headless::UseRegistryFile((m_dir / "cfg" / "morgrave" / "registry.reg").string());
    UseModule("C:\\WINDOWS\\SYSTEM\\Morgrave.SCR");
    EXPECT_FALSE(Start({"/save"}));
    ExpectStored({1, 3, 1}, "Software\\Tarnwick Productions Ltd\\Morgrave\\Settings");
}

TEST_F(SettingsStoreTest, StoreFileIsReadableAndSurvivesHandEditing) {
    // A person edits the file: CRLF endings, odd spelling, a garbled value, foreign keys, junk.
    static const char kMangled[] =
        "; my notes\r\ngarbage before any key \x01\x02\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
        "\"Pain\"=dword:00000004\r\n[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\morgrave\\Settings]\r\n"
        "\"enable SOUND\" = DWORD:0\r\n\"Pain\"=dword:zz\r\n\"Subliminals\"=\"unterminated\r\n\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n[HKEY_CURRENT_USER\\Software\r\n\"Pain\"=dword:00000002\r\n\0binary\xff\xfe tail";
    WriteFile(m_store, std::string(kMangled, sizeof(kMangled) - 1));
    EXPECT_FALSE(Start({"/save"}));
    // The hand-written spelling is understood, the garbled values count as missing.
    ExpectStored({0, 3, 1});
    // Every line is kept; each unreadable line of a setting stays as a comment above its value.
    std::string after = std::string(kMangled, sizeof(kMangled) - 1) + "\n";
    for (const auto& [line, value] : {std::pair{"\"Pain\"=dword:zz\r\n", "\"Pain\"=dword:00000003\n"},
                                      {"\"Subliminals\"=\"unterminated\r\n", "\"Subliminals\"=dword:00000001\n"}}) {
        const std::size_t at = after.find(line);
        after.insert(at + std::string(line).size(), value);
        after.insert(at, "; unreadable, replaced: ");
    }
    EXPECT_EQ(after, ReadFile(m_store));
    std::uint32_t type = 0;
    Bytes blob;
    EXPECT_TRUE(headless::GetRegistryValue(kKey, "Blob", &type, &blob) && type == plat::kRegBinary &&
                blob == Bytes({1, 2, 3, 4}));
    // Writing again changes nothing more: the store has settled.
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(after, ReadFile(m_store));
}

// --help and --version answer on standard output and end, before the store is touched.
TEST_F(SettingsStoreTest, HelpAndVersionLeaveNoStoreBehind) {
    for (const auto& [arg, start] : {std::pair{"--help", "Usage: morgrave [MODE]"}, {"--version", "morgrave "}}) {
        ::testing::internal::CaptureStdout();
        EXPECT_FALSE(Start({arg, "s"}));
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(0u, out.rfind(start, 0)) << out;
        EXPECT_FALSE(fs::exists(m_store)) << arg;
    }
}

TEST_F(SettingsStoreTest, AStoreThatCannotBeReadIsNeverReplaced) {
    ::alarm(20);  // a store that blocks the open must fail the test, not hang it
    // A folder where the file should be, a FIFO (never opened for long), a file far too large.
    const std::string huge(kMaxBytes + 1, 'x');
    for (int kind = 0; kind < 3; ++kind) {
        fs::remove(m_store);
        kind == 0   ? fs::create_directory(m_store)
        : kind == 1 ? ::mkfifo(m_store.c_str(), 0600) == 0
                    : (WriteFile(m_store, huge), true);
        EXPECT_FALSE(Start({"/save"}));
        EXPECT_EQ(3, theApp.m_nPain);
        EXPECT_NE(std::string::npos, plat::RegLastWriteError().find(kind < 2 ? "not a regular file" : "larger than"));
        EXPECT_EQ(kind, fs::is_directory(m_store) ? 0 : fs::is_fifo(m_store) ? 1 : ReadFile(m_store) == huge ? 2 : -1);
    }

    // Just under the limit: writes that would take the store past it (start-up's, of a missing and an
    // unreadable setting; later ones) fail, and what is held is the file again (nothing unwritten).
    const std::string settings = kHeader + "\"Pain\"=dword:4\n\"Subliminals\"=dword:zz\n";
    const std::string nearLimit = settings + ";" + std::string(kMaxBytes - 4 - settings.size() - 2, 'p') + "\n";
    WriteFile(m_store, nearLimit);
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(4, theApp.m_nPain);
    for (const char* name : {"Another setting", "Pain", "Subliminals"}) {
        EXPECT_FALSE(theApp.WriteProfileInt("Settings", name, 5)) << name;
        EXPECT_EQ(nearLimit, headless::RegistryText()) << name;
    }
    EXPECT_EQ(nearLimit, ReadFile(m_store));
    // A write that ends exactly at the limit is made; one byte more is refused.
    const std::string line = "\"Pain\"=dword:00000002\n";
    for (const std::size_t size : {kMaxBytes, kMaxBytes + 1}) {
        WriteFile(m_store, kHeader + ";" + std::string(size - kHeader.size() - line.size() - 2, 'p') + "\n");
        EXPECT_EQ(size == kMaxBytes, theApp.WriteProfileInt("Settings", "Pain", 2));
        EXPECT_EQ(size == kMaxBytes ? size : size - line.size(), fs::file_size(m_store));
    }
    // A key that cannot be written is taken out again: what is held is the file.
    std::string otherKeys =
        "[HKEY_CURRENT_USER\\Software]\n[a]\n[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd]\n";
    otherKeys += std::string(kMaxBytes - 14 - otherKeys.size() - 1, ';') + "\n";
    WriteFile(m_store, otherKeys);
    EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_EQ(otherKeys, headless::RegistryText());
    // A file where a folder of the store's path should be: the write fails and says why.
    WriteFile(m_dir / "blocker", "not a folder");
    headless::UseRegistryFile((m_dir / "blocker" / "registry.reg").string());
    EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 4));
    EXPECT_NE(std::string::npos, plat::RegLastWriteError().find("blocker: Not a directory"));
    ::alarm(0);
}

// Every write is one temporary file written in full, flushed, renamed over the store, and the folder
// flushed. Links planted where a temporary file could once be named are never followed; a store that
// is a link (into a folder a dotfile manager keeps) stays a link, and its target is written.
TEST_F(SettingsStoreTest, WritesAreFlushedRenamedNeverThroughPlantedLinksAndKeepALinkedStoreALink) {
    const fs::path target = m_dir / "dotfiles" / "registry.reg";
    fs::create_directory(m_dir / "dotfiles");
    fs::create_symlink("dotfiles/registry.reg", m_store);
    WriteFile(m_dir / "victim", "mine");
    for (const fs::path& at : {m_store, target}) {
        fs::create_symlink(m_dir / "victim", at.string() + ".tmp." + std::to_string(::getpid()));
    }
    g_fileCalls.clear();
    EXPECT_FALSE(Start({"/save"}));
    ExpectStored({1, 3, 1});
    ASSERT_EQ(3u, g_fileCalls.size()) << ::testing::PrintToString(g_fileCalls);
    EXPECT_EQ("rename registry.reg.tmp.XXXXXX " + std::to_string(fs::file_size(target)),
              g_fileCalls[1].substr(0, 24) + "XXXXXX" + g_fileCalls[1].substr(30));
    EXPECT_EQ("fsync fsync", g_fileCalls[0] + " " + g_fileCalls[2]);
    EXPECT_EQ("mine", ReadFile(m_dir / "victim"));
    // A start that changes nothing writes nothing; a change is written to the target.
    g_fileCalls.clear();
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_TRUE(g_fileCalls.empty());
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_TRUE(fs::is_symlink(m_store));
    EXPECT_NE(std::string::npos, ReadFile(target).find("\"Pain\"=dword:00000002"));
}

// Another program's change between two operations is always seen: a store replaced by a file
// of the same size (even by one whose times are trusted at once), or rewritten in place.
TEST_F(SettingsStoreTest, AChangeByAnotherProgramIsSeenBetweenOperations) {
    WriteFile(m_store, "[HKEY_CURRENT_USER\\Software\\T]\n\"v\"=dword:00000001\n");
    for (const long long settledNs : {plat::RegistryFile::kSettledNs, 0LL}) {
        // A file younger than the margin is never trusted by its times, an older one is.
        plat::RegistryFile file(m_store.string(), settledNs);
        plat::FileRegistry registry(&file);
        std::string text;
        EXPECT_EQ(plat::FileRegistry::LoadResult::Ok, file.Load(&text));
        EXPECT_EQ(settledNs == 0, file.Unchanged());
        // Replaced by a file of the same size; rewritten in place within the time granularity.
        for (const char value : std::string(settledNs == 0 ? "2" : "23")) {
            Bytes data;
            ASSERT_TRUE(registry.GetValue("Software\\T", "v", nullptr, &data));  // the file as last read
            std::string changed = ReadFile(m_store);
            changed[changed.rfind("0000000") + 7] = value;
            WriteFile(value == '2' ? m_dir / "other" : m_store, changed);
            if (value == '2') fs::rename(m_dir / "other", m_store);
            ASSERT_TRUE(registry.GetValue("Software\\T", "v", nullptr, &data));
            EXPECT_EQ(Dword(value - '0'), data) << settledNs;
        }
    }
}

TEST_F(SettingsStoreTest, ALockHeldElsewhereNeverDelaysReadsAndFailsWritesSoon) {
    EXPECT_FALSE(Start({"/save"}));
    const int held = ::open((m_store.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_TRUE(held >= 0 && ::flock(held, LOCK_EX) == 0);
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
