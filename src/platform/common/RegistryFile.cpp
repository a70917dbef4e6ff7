// RegistryFile: reading the store file, its atomic replacement (temp file, fsync, rename) and lock.
#include "platform/common/RegistryFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace plat {

#ifndef _WIN32

namespace {

std::string DirName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// The file a write replaces: the path itself, or the end of its chain of symbolic links.
bool WriteTarget(const std::string& path, std::string* target) {
    std::string p = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = p;
            return true;
        }
        std::vector<char> link(PATH_MAX);
        const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return false;
        const std::string to(link.data(), static_cast<std::size_t>(n));
        p = to[0] == '/' ? to : DirName(p) + "/" + to;
    }
    errno = ELOOP;
    return false;
}

long long Nanoseconds(const struct timespec& t) { return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

bool SameFile(const struct stat& st, unsigned long long dev, unsigned long long ino, unsigned long long size,
              long long mtimeNs, long long ctimeNs) {
    return static_cast<unsigned long long>(st.st_dev) == dev && static_cast<unsigned long long>(st.st_ino) == ino &&
           static_cast<unsigned long long>(st.st_size) == size && Nanoseconds(st.st_mtim) == mtimeNs &&
           Nanoseconds(st.st_ctim) == ctimeNs;
}

}  // namespace

bool MakeDirs(const std::string& dir) {
    if (dir.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    // Each prefix that ends before a '/' (and the whole path), shortest first.
    std::string prefix = dir;
    for (std::size_t end = 1; end <= prefix.size(); ++end) {
        if (end < prefix.size() && prefix[end] != '/') continue;
        const char saved = end < prefix.size() ? prefix[end] : '\0';
        if (end < prefix.size()) prefix[end] = '\0';
        struct stat st {};
        bool ok = true;
        if (::stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                errno = ENOTDIR;
                ok = false;
            }
        } else {
            ok = ::mkdir(prefix.c_str(), 0700) == 0 || errno == EEXIST;
        }
        if (end < prefix.size()) prefix[end] = saved;
        if (!ok) return false;
    }
    return true;
}

RegistryFile::RegistryFile(std::string path, long long settledNs) : m_path(std::move(path)), m_settledNs(settledNs) {}

RegistryFile::~RegistryFile() {
    if (m_lockFd >= 0) ::close(m_lockFd);
}

bool RegistryFile::Fail(const std::string& file, const std::string& reason) {
    m_lastError = file + ": " + reason;
    return false;
}

bool RegistryFile::Unchanged() {
    struct stat st {};
    return m_stamp.known && m_stamp.settled && ::stat(m_path.c_str(), &st) == 0 &&
           SameFile(st, m_stamp.dev, m_stamp.ino, m_stamp.size, m_stamp.mtimeNs, m_stamp.ctimeNs);
}

FileRegistry::LoadResult RegistryFile::Load(std::string* text) {
    text->clear();
    m_stamp.known = false;
    // Non-blocking, so that a FIFO in the store's place cannot hold the open; only a regular
    // file is read.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return FileRegistry::LoadResult::Missing;
        Fail(m_path, std::strerror(errno));
        return FileRegistry::LoadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) > kMaxBytes) {
        ::close(fd);
        Fail(m_path, S_ISREG(st.st_mode) ? "larger than a settings store can be" : "not a regular file");
        return FileRegistry::LoadResult::Failed;
    }
    // Taken before the read: a change while reading gives the file other times than these.
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    Stamp stamp;
    stamp.dev = static_cast<unsigned long long>(st.st_dev);
    stamp.ino = static_cast<unsigned long long>(st.st_ino);
    stamp.size = static_cast<unsigned long long>(st.st_size);
    stamp.mtimeNs = Nanoseconds(st.st_mtim);
    stamp.ctimeNs = Nanoseconds(st.st_ctim);
    stamp.settled = Nanoseconds(now) - std::max(stamp.mtimeNs, stamp.ctimeNs) >= m_settledNs;
    text->reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t r = ::read(fd, buffer, sizeof(buffer));
        if (r < 0) {
            if (errno == EINTR) continue;
            Fail(m_path, std::strerror(errno));
            ::close(fd);
            return FileRegistry::LoadResult::Failed;
        }
        if (r == 0) break;
        text->append(buffer, static_cast<std::size_t>(r));
        if (text->size() > kMaxBytes) {
            ::close(fd);
            Fail(m_path, "larger than a settings store can be");
            return FileRegistry::LoadResult::Failed;
        }
    }
    ::close(fd);
    if (text->size() == stamp.size) {
        stamp.known = true;
        m_stamp = stamp;
    }
    return FileRegistry::LoadResult::Ok;
}

bool RegistryFile::Save(const std::string& text) {
    // A file this process just wrote is too young to be trusted by its times: read it next.
    m_stamp.known = false;
    if (text.size() > kMaxBytes) return Fail(m_path, "the settings would grow larger than a settings store can be");
    if (!MakeDirs(DirName(m_path))) return Fail(DirName(m_path), std::strerror(errno));
    std::string target;
    if (!WriteTarget(m_path, &target)) return Fail(m_path, std::strerror(errno));
    const std::string dir = DirName(target);
    // Keep the permissions a person may have given the store.
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

    std::string temp = target + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail(dir, std::strerror(errno));
    bool ok = WriteAll(fd, text.data(), text.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = ok ? errno : writeErrno;
        ::unlink(temp.c_str());
        return Fail(target, std::strerror(err));
    }
    // The rename itself reaches the disk only with the folder.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool RegistryFile::Lock() {
    if (m_lockFd >= 0) return true;
    if (!MakeDirs(DirName(m_path))) return Fail(DirName(m_path), std::strerror(errno));
    const std::string lockPath = m_path + ".lock";
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (m_lockFd < 0) return Fail(lockPath, std::strerror(errno));
    // Polled rather than waited for: a lock held elsewhere costs this write at most kLockWaitMs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    while (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            const int err = errno;
            ::close(m_lockFd);
            m_lockFd = -1;
            return Fail(lockPath, err == EWOULDBLOCK ? "held by another program" : std::strerror(err));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void RegistryFile::Unlock() {
    if (m_lockFd < 0) return;
    ::flock(m_lockFd, LOCK_UN);
    ::close(m_lockFd);
    m_lockFd = -1;
}

#else  // The Windows build keeps its settings in the real registry; this store is never used there.

bool MakeDirs(const std::string&) { return false; }
RegistryFile::RegistryFile(std::string path, long long settledNs) : m_path(std::move(path)), m_settledNs(settledNs) {}
RegistryFile::~RegistryFile() = default;
bool RegistryFile::Fail(const std::string& file, const std::string& reason) {
    m_lastError = file + ": " + reason;
    return false;
}
FileRegistry::LoadResult RegistryFile::Load(std::string* text) {
    text->clear();
    return FileRegistry::LoadResult::Failed;
}
bool RegistryFile::Save(const std::string&) { return false; }
bool RegistryFile::Lock() { return false; }
void RegistryFile::Unlock() {}
bool RegistryFile::Unchanged() { return false; }

#endif

}  // namespace plat
