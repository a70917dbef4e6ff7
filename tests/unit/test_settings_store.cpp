// The settings store at start-up: defaults, values passed through, key path, the file on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "framework/Wnd.h"
#include "platform/Registry.h"
#include "platform/common/FileRegistry.h"
#include "platform/common/RegistryFile.h"
#include "platform/headless/HeadlessSystem.h"

namespace {

namespace fs = std::filesystem;

const char* const kKey = "Software\\Tarnwick Productions Ltd\\morgrave\\Settings";

std::vector<std::uint8_t> Dword(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 24)};
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morgrave-store-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_dir = pattern;
        headless::ResetRegistry();
        headless::ResetModules();
        UseModule("/usr/lib/morgrave/morgrave");
    }
    void TearDown() override {
        headless::ResetRegistry();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
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
        theApp.m_argc = 0;
        theApp.m_argv = nullptr;
        return result;
    }
    static void ExpectDword(const std::string& name, std::int32_t value, const char* key = kKey) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(headless::GetRegistryValue(key, name, &type, &data)) << name;
        EXPECT_EQ(plat::kRegDword, type) << name;
        EXPECT_EQ(Dword(value), data) << name;
    }

    fs::path m_dir;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheDefaultsWhateverTheArgument) {
    for (const char* arg : {"/save", "//s", "/s:0", "-", ""}) {
        SCOPED_TRACE(arg);
        headless::ResetRegistry();
        EXPECT_FALSE(Start({arg}));
        ExpectDword("Enable sound", 1);
        ExpectDword("Pain", 3);
        ExpectDword("Subliminals", 1);
        EXPECT_EQ(1, theApp.m_nEnableSound);
        EXPECT_EQ(3, theApp.m_nPain);
        EXPECT_EQ(1, theApp.m_nSubliminals);
        // No mode ran and every key handle was closed again.
        EXPECT_EQ(0, theApp.m_bConfigure + theApp.m_bPreview + theApp.m_bFullScreen);
        EXPECT_EQ(0, headless::ModuleLoadAttempts());
        EXPECT_EQ(0, headless::OpenRegistryKeyCount());
    }
}

TEST_F(SettingsStoreTest, StoredValuesPassUnchanged) {
    for (std::int32_t pain : {9, 0, -1, INT32_MIN, 4}) {
        SCOPED_TRACE(pain);
        headless::ResetRegistry();
        headless::SetRegistryValue(kKey, "Pain", plat::kRegDword, Dword(pain));
        headless::SetRegistryValue(kKey, "Enable sound", plat::kRegDword, Dword(0));
        headless::SetRegistryValue(kKey, "Subliminals", plat::kRegDword, Dword(7));
        EXPECT_FALSE(Start({"/save"}));
        EXPECT_EQ(pain, theApp.m_nPain);
        EXPECT_EQ(0, theApp.m_nEnableSound);
        EXPECT_EQ(7, theApp.m_nSubliminals);
        ExpectDword("Pain", pain);
        ExpectDword("Enable sound", 0);
        ExpectDword("Subliminals", 7);
    }
}

TEST_F(SettingsStoreTest, ValuesThatAreNotFourBytesReadAsTheDefaultAndAreOverwritten) {
    headless::SetRegistryValue(kKey, "Pain", plat::kRegBinary, {9, 0, 0, 0, 0});       // longer
    headless::SetRegistryValue(kKey, "Subliminals", plat::kRegSz, {'0', 0});           // shorter
    headless::SetRegistryValue(kKey, "Enable sound", plat::kRegBinary, {0, 0, 0, 0});  // 4 bytes
    EXPECT_FALSE(Start({"x"}));
    EXPECT_EQ(3, theApp.m_nPain);
    EXPECT_EQ(1, theApp.m_nSubliminals);
    // Four bytes are the value whatever their type; written back as a REG_DWORD.
    EXPECT_EQ(0, theApp.m_nEnableSound);
    ExpectDword("Pain", 3);
    ExpectDword("Subliminals", 1);
    ExpectDword("Enable sound", 0);

    headless::SetRegistryValue(kKey, "Pain", plat::kRegDword, {});
    EXPECT_FALSE(Start({"x"}));
    EXPECT_EQ(3, theApp.m_nPain);
}

TEST_F(SettingsStoreTest, ScaleIsAnOptionalDwordReadNormalisedAndNeverWritten) {
    struct Case {
        const char* what;
        std::uint32_t type;  // 0: no value
        std::vector<std::uint8_t> data;
        int scale;
    };
    const Case cases[] = {
        {"absent", 0, {}, 1},         {"0", plat::kRegDword, Dword(0), 0},  {"1", plat::kRegDword, Dword(1), 1},
        {"3", plat::kRegDword, Dword(3), 3}, {"8", plat::kRegDword, Dword(8), 8}, {"9", plat::kRegDword, Dword(9), 1},
        {"-1", plat::kRegDword, Dword(-1), 1}, {"text", plat::kRegSz, {'3', 0, 0, 0}, 1},
        {"binary", plat::kRegBinary, Dword(3), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless::ResetRegistry();
        if (c.type != 0) headless::SetRegistryValue(kKey, "Scale", c.type, c.data);
        theApp.m_nScale = -7;
        EXPECT_FALSE(Start({"x"}));
        EXPECT_EQ(c.scale, theApp.m_nScale);
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        EXPECT_EQ(c.type != 0, headless::GetRegistryValue(kKey, "Scale", &type, &data));
        EXPECT_EQ(c.data, data);
    }
    theApp.m_nScale = 1;
}

TEST_F(SettingsStoreTest, TheKeyIsNamedAfterTheExecutable) {
    EXPECT_EQ("Morgrave", CWinApp::AppNameFromPath("C:\\WINDOWS\\SYSTEM\\Morgrave.SCR"));
    EXPECT_EQ("morgrave", CWinApp::AppNameFromPath("/usr/lib/morgrave/morgrave"));
    EXPECT_EQ("morgrave", CWinApp::AppNameFromPath("/home/ann/.local/bin/morgrave"));
    EXPECT_EQ("saver.v2", CWinApp::AppNameFromPath("D:saver.v2.scr"));
    EXPECT_EQ(".morgrave", CWinApp::AppNameFromPath("/opt/.morgrave"));
    EXPECT_EQ("plain", CWinApp::AppNameFromPath("plain"));

    UseModule("C:\\WINDOWS\\SYSTEM\\Morgrave.SCR");
    EXPECT_FALSE(Start({"/save"}));
    ExpectDword("Pain", 3, "Software\\Tarnwick Productions Ltd\\Morgrave\\Settings");
    EXPECT_NE(std::string::npos,
              headless::RegistryText().find("[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\Morgrave\\Settings]"));
    // The settings mode writes through the same operation.
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_EQ(2u, theApp.GetProfileInt("Settings", "Pain", 3));
    EXPECT_EQ(0, headless::OpenRegistryKeyCount());
}

TEST_F(SettingsStoreTest, StoreFileIsReadableAndSurvivesHandEditing) {
    const fs::path store = m_dir / "cfg" / "registry.reg";
    headless::UseRegistryFile(store.string());
    EXPECT_FALSE(Start({"/save"}));
    const std::string first = ReadFile(store);
    EXPECT_NE(std::string::npos, first.find("[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\morgrave\\Settings]\n"
                                            "\"Enable sound\"=dword:00000001\n"
                                            "\"Pain\"=dword:00000003\n"
                                            "\"Subliminals\"=dword:00000001\n"))
        << first;

    // A person edits the file: CRLF endings, odd spelling, a garbled value, foreign keys, junk.
    static const char kMangled[] =
        "; my notes\r\n"
        "garbage before any key \x01\x02\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
        "\"Pain\"=dword:00000004\r\n"
        "[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd\\morgrave\\Settings]\r\n"
        "\"enable SOUND\" = DWORD:0\r\n"
        "\"Pain\"=dword:zz\r\n"
        "\"Subliminals\"=\"unterminated\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n"
        "[HKEY_CURRENT_USER\\Software\r\n"
        "\"Pain\"=dword:00000002\r\n"
        "\0binary\xff\xfe tail";
    WriteFile(store, std::string(kMangled, sizeof(kMangled) - 1));
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(0, theApp.m_nEnableSound);  // hand-written spelling is understood
    EXPECT_EQ(3, theApp.m_nPain);         // the garbled value counts as missing
    EXPECT_EQ(1, theApp.m_nSubliminals);
    const std::string after = ReadFile(store);
    for (const char* kept : {"; my notes\r", "garbage before any key \x01\x02\r", "[HKEY_LOCAL_MACHINE\\Software\\Other]\r",
                             "\"Pain\"=dword:00000004\r", "\"enable SOUND\" = DWORD:0\r", "\"Blob\"=hex:01,02,\\\r\n  03,04\r",
                             "; unreadable, replaced: \"Pain\"=dword:zz\r",
                             "; unreadable, replaced: \"Subliminals\"=\"unterminated\r", "[HKEY_CURRENT_USER\\Software\r",
                             "\"Pain\"=dword:00000002\r"}) {
        EXPECT_NE(std::string::npos, after.find(kept)) << kept << "\n---\n" << after;
    }
    EXPECT_NE(std::string::npos, after.find(std::string("\0binary\xff\xfe tail", 14)));
    std::uint32_t type = 0;
    std::vector<std::uint8_t> blob;
    ASSERT_TRUE(headless::GetRegistryValue(kKey, "Blob", &type, &blob));
    EXPECT_EQ(plat::kRegBinary, type);
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3, 4}), blob);
    ExpectDword("Pain", 3);
    // Writing again changes nothing more: the store has settled.
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(after, ReadFile(store));
}

// Options after "s" replace what the store holds for that run only; bad ones are skipped with a line.
TEST_F(SettingsStoreTest, RunOptionsOverrideTheStoreForOneRunOnly) {
    struct Case {
        std::vector<std::string> args;
        int pain, sound, subliminals, scale;
        int errorLines;
    };
    // The store holds Pain 2, "Enable sound" 7, "Subliminals" 5.
    const Case cases[] = {
        {{"s", "--pain", "1", "--sound", "0", "--subliminals", "0", "--scale", "3"}, 1, 0, 0, 3, 0},
        {{"-S", "--sound", "1", "--scale", "0"}, 2, 1, 5, 0, 0},
        {{"s", "--scale", "9"}, 2, 7, 5, 1, 0},
        {{"s", "--scale", "-1", "--pain", "9"}, 9, 7, 5, 1, 0},
        {{"s", "--pain", "99999999999", "--subliminals", "-99999999999"}, INT32_MAX, 7, INT32_MIN, 1, 0},
        {{"s", "-window-id", "0x2a", "--window-id", "42", "--pain", "4"}, 4, 7, 5, 1, 0},
        {{"s", "--bogus", "--pain", "3", "-root"}, 3, 7, 5, 1, 2},
        {{"s", "--pain", "x", "--sound", "4y"}, 2, 7, 5, 1, 2},
        {{"s", "--pain", "--sound", "0", "--scale"}, 2, 0, 5, 1, 2},
        // Only the full-screen mode takes options.
        {{"p", "0", "--pain", "1"}, 2, 7, 5, 1, 0},
        {{"/save", "--pain", "1"}, 2, 7, 5, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        headless::ResetRegistry();
        headless::SetRegistryValue(kKey, "Pain", plat::kRegDword, Dword(2));
        headless::SetRegistryValue(kKey, "Enable sound", plat::kRegDword, Dword(7));
        headless::SetRegistryValue(kKey, "Subliminals", plat::kRegDword, Dword(5));
        const std::string before = headless::RegistryText();
        theApp.m_nScale = 1;
        ::testing::internal::CaptureStderr();
        Start(c.args);
        const std::string err = ::testing::internal::GetCapturedStderr();
        if (theApp.m_pMainWnd != nullptr) theApp.m_pMainWnd->DestroyWindow();
        theApp.m_pMainWnd = nullptr;
        EXPECT_EQ(c.pain, theApp.m_nPain);
        EXPECT_EQ(c.sound, theApp.m_nEnableSound);
        EXPECT_EQ(c.subliminals, theApp.m_nSubliminals);
        EXPECT_EQ(c.scale, theApp.m_nScale);
        EXPECT_EQ(c.errorLines, std::count(err.begin(), err.end(), '\n')) << err;
        EXPECT_EQ(before, headless::RegistryText());
    }
}

// --help and --version answer on standard output and end before the store is touched.
TEST_F(SettingsStoreTest, HelpAndVersionLeaveNoStoreBehind) {
    const std::pair<const char*, const char*> cases[] = {{"--help", "Usage: morgrave [MODE]"},
                                                         {"--version", "morgrave "}};
    for (const auto& [arg, start] : cases) {
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
    // Each guarded by an alarm: a store that blocks the open must fail the test, not hang it.
    ::alarm(20);
    // A folder where the file should be, a FIFO (never opened for long), a file far too large.
    const fs::path store = m_dir / "registry.reg";
    fs::create_directory(store);
    headless::UseRegistryFile(store.string());
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(3, theApp.m_nPain);
    EXPECT_TRUE(fs::is_directory(store));
    fs::remove(store);

    ASSERT_EQ(0, ::mkfifo(store.c_str(), 0600));
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(3, theApp.m_nPain);
    EXPECT_TRUE(fs::is_fifo(store));
    EXPECT_NE(std::string::npos, plat::RegLastWriteError().find("not a regular file"));
    fs::remove(store);

    const std::string huge(plat::RegistryFile::kMaxBytes + 10, 'x');
    WriteFile(store, huge);
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ(1, theApp.m_nSubliminals);
    EXPECT_EQ(huge.size(), fs::file_size(store));
    EXPECT_EQ(huge, ReadFile(store));

    // A store just under the limit stays readable: writes that would take it past fail and leave
    // it as it was, and what the store holds is the file again at once (nothing unwritten reads
    // as stored): a new value, a longer spelling of a value, an unreadable value replaced.
    const std::string settings =
        std::string("[HKEY_CURRENT_USER\\") + kKey + "]\n\"Pain\"=dword:4\n\"Subliminals\"=dword:zz\n";
    std::string nearLimit = settings + ";" + std::string(4194300 - settings.size() - 2, 'p') + "\n";
    WriteFile(store, nearLimit);
    EXPECT_FALSE(Start({"/save"}));  // the missing and the unreadable setting do not fit
    EXPECT_EQ(4, theApp.m_nPain);
    EXPECT_EQ(nearLimit, headless::RegistryText());
    for (const char* name : {"Another setting", "Pain", "Subliminals"}) {
        EXPECT_FALSE(theApp.WriteProfileInt("Settings", name, 5)) << name;
        EXPECT_EQ(nearLimit, headless::RegistryText()) << name;
    }
    EXPECT_EQ(7u, theApp.GetProfileInt("Settings", "Another setting", 7));
    EXPECT_EQ(nearLimit, ReadFile(store));
    // A key that cannot be written is taken out again: what is held is the file.
    std::string otherKeys = "[HKEY_CURRENT_USER\\Software]\n[a]\n[HKEY_CURRENT_USER\\Software\\Tarnwick Productions Ltd]\n";
    otherKeys += std::string(4194290 - otherKeys.size() - 1, ';') + "\n";
    WriteFile(store, otherKeys);
    EXPECT_FALSE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_EQ(otherKeys, headless::RegistryText());
    EXPECT_EQ(otherKeys, ReadFile(store));

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
    EXPECT_TRUE(plat::MakeDirs((m_dir / "a" / "b" / "c").string()));
    EXPECT_TRUE(fs::is_directory(m_dir / "a" / "b" / "c"));
    ::alarm(0);
}

TEST_F(SettingsStoreTest, WritesNeverGoThroughPlantedLinksAndKeepALinkedStoreALink) {
    // The store is a link into a folder a dotfile manager keeps; links are planted wherever a
    // temporary file of this process could once be named.
    const fs::path link = m_dir / "registry.reg";
    const fs::path target = m_dir / "dotfiles" / "registry.reg";
    fs::create_directory(m_dir / "dotfiles");
    fs::create_symlink("dotfiles/registry.reg", link);
    WriteFile(m_dir / "victim", "mine");
    for (const fs::path& at : {link, target}) {
        fs::create_symlink(m_dir / "victim", at.string() + ".tmp." + std::to_string(::getpid()));
    }
    headless::UseRegistryFile(link.string());
    EXPECT_FALSE(Start({"/save"}));
    EXPECT_EQ("mine", ReadFile(m_dir / "victim"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(std::string::npos, ReadFile(target).find("\"Pain\"=dword:00000003"));
    // A start that changes nothing writes nothing; a change is written beside the target.
    struct stat before {};
    ASSERT_EQ(0, ::stat(target.c_str(), &before));
    EXPECT_FALSE(Start({"/save"}));
    struct stat after {};
    ASSERT_EQ(0, ::stat(target.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_TRUE(theApp.WriteProfileInt("Settings", "Pain", 2));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(std::string::npos, ReadFile(target).find("\"Pain\"=dword:00000002"));
    for (const fs::path& folder : {m_dir, m_dir / "dotfiles"}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find(".tmp.") == std::string::npos || fs::is_symlink(entry.path())) << name;
        }
    }
}

TEST_F(SettingsStoreTest, ALockHeldElsewhereNeverDelaysReadsAndFailsWritesSoon) {
    const fs::path store = m_dir / "registry.reg";
    headless::UseRegistryFile(store.string());
    EXPECT_FALSE(Start({"/save"}));
    const int held = ::open((store.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
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

TEST_F(SettingsStoreTest, TheFileIsNeverHalfWritten) {
    const fs::path store = m_dir / "registry.reg";
    // Two full versions of a large store; a writer killed at any moment must leave one of them.
    const std::string payloadA(30000, 'a');
    const std::string payloadB(20000, 'b');
    {
        plat::RegistryFile file(store.string());
        plat::FileRegistry registry(&file);
        ASSERT_TRUE(registry.PutValue("Software\\T", "Text", plat::kRegSz,
                                      std::vector<std::uint8_t>(payloadA.begin(), payloadA.end())));
    }
    const auto versionOk = [&](const std::string& text) {
        plat::FileRegistry check;
        check.Parse(text);
        std::vector<std::uint8_t> data;
        if (!check.GetValue("Software\\T", "Text", nullptr, &data)) return false;
        const std::string s(data.begin(), data.end());
        return s == payloadA || s == payloadB;
    };
    ASSERT_TRUE(versionOk(ReadFile(store)));

    const auto startWriter = [&]() {
        const pid_t child = ::fork();
        if (child == 0) {
            plat::RegistryFile file(store.string());
            plat::FileRegistry registry(&file);
            for (int i = 0;; ++i) {
                const std::string& p = i % 2 == 0 ? payloadB : payloadA;
                registry.PutValue("Software\\T", "Text", plat::kRegSz, std::vector<std::uint8_t>(p.begin(), p.end()));
            }
        }
        return child;
    };
    // A reader racing the writer only ever sees a whole version...
    const pid_t writer = startWriter();
    ASSERT_GT(writer, 0);
    int reads = 0;
    // At least 1.5 s and 200 reads (a slow machine reads less often), at most 10 s.
    const auto start = std::chrono::steady_clock::now();
    for (auto now = start; now < start + std::chrono::seconds(10) &&
                           (now < start + std::chrono::milliseconds(1500) || reads < 200);
         now = std::chrono::steady_clock::now(), ++reads) {
        const std::string text = ReadFile(store);
        if (!versionOk(text)) {
            ::kill(writer, SIGKILL);
            ::waitpid(writer, nullptr, 0);
            FAIL() << "a reader saw a partial store after " << reads << " reads (" << text.size() << " bytes)";
        }
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_GE(reads, 50);
    // ...and a writer killed at any moment leaves one.
    for (int round = 0; round < 8; ++round) {
        const pid_t child = startWriter();
        ASSERT_GT(child, 0);
        ::usleep(static_cast<useconds_t>(2000 + round * 1700));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_TRUE(versionOk(ReadFile(store))) << "round " << round;
    }
    // A killed writer may leave its temporary file; a writer that finishes leaves none.
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        if (entry.path().filename().string().find(".tmp.") != std::string::npos) fs::remove(entry.path());
    }
    {
        plat::RegistryFile file(store.string());
        plat::FileRegistry registry(&file);
        ASSERT_TRUE(registry.PutValue("Software\\T", "Other", plat::kRegDword, Dword(5)));
    }
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << name;
    }
}

}  // namespace
