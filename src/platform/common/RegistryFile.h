// RegistryFile: the registry text store as one file, replaced atomically, writes locked per operation.
#pragma once

#include <string>

#include "platform/common/FileRegistry.h"

namespace plat {

// mkdir -p with mode 0700 for the folders it creates, one level after the other; false when the
// folder cannot exist (a path of PATH_MAX or more is refused at once).
bool MakeDirs(const std::string& dir);

class RegistryFile : public FileRegistry::Storage {
public:
    // Files larger than this are not a store this program wrote; they are left alone, and a
    // write that would pass it fails (a store is always one the program can read back).
    static constexpr std::size_t kMaxBytes = 4u << 20;
    // How long a write waits for another process's lock before it fails.
    static constexpr int kLockWaitMs = 1000;

    // settledNs: how old a file's times must be before they are trusted (see Unchanged).
    explicit RegistryFile(std::string path, long long settledNs = kSettledNs);
    ~RegistryFile() override;
    RegistryFile(const RegistryFile&) = delete;
    RegistryFile& operator=(const RegistryFile&) = delete;

    const std::string& Path() const { return m_path; }
    // The last failure as "<file>: <reason>" for the user ("" when nothing failed yet).
    const std::string& LastError() const { return m_lastError; }

    // Only a regular file is read (a FIFO or device is never opened for long); no lock is taken,
    // since the store only ever changes by a rename.
    FileRegistry::LoadResult Load(std::string* text) override;
    // Writes a temporary file of a fresh name (created exclusively, never through a link) beside
    // the file, flushes it, renames it over the file and flushes the folder: a crash leaves
    // either the old or the new store. A store that is a symbolic link is written through to the
    // file at the end of the link, which stays a link.
    bool Save(const std::string& text) override;
    // An advisory lock on "<path>.lock", so two saver processes do not lose each other's writes;
    // false after kLockWaitMs when another process holds it.
    bool Lock() override;
    void Unlock() override;
    // The file is the one last loaded: same device, inode, size, modification and change time
    // (nanoseconds). Trusted only for a file whose times were at least settledNs old when it was
    // read, so that a change within the file system's time granularity (up to 2 s) cannot go
    // unseen; a younger file is always read again.
    bool Unchanged() override;
    static constexpr long long kSettledNs = 2'000'000'000;

private:
    bool Fail(const std::string& file, const std::string& reason);

    // What the file looked like when it was last loaded (known: a load succeeded since the last
    // save; settled: its times were old enough then to be trusted).
    struct Stamp {
        bool known = false;
        bool settled = false;
        unsigned long long dev = 0, ino = 0, size = 0;
        long long mtimeNs = 0, ctimeNs = 0;
    };
    Stamp m_stamp;

    std::string m_path;
    long long m_settledNs;
    std::string m_lastError;
    int m_lockFd = -1;
};

}  // namespace plat
