// RegistryFile: reading the store file, its atomic replacement (temp file, fsync, rename) and lock.
#include "platform/common/RegistryFile.h"

#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// mkdir -p for the store's folder.
bool MakeDirs(const std::string& dir) {
    if (dir.empty() || dir == "/" || dir == ".") return true;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (!MakeDirs(DirName(dir))) return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
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

}  // namespace

RegistryFile::RegistryFile(std::string path) : m_path(std::move(path)) {}

RegistryFile::~RegistryFile() {
    if (m_lockFd >= 0) ::close(m_lockFd);
}

FileRegistry::LoadResult RegistryFile::Load(std::string* text) {
    text->clear();
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileRegistry::LoadResult::Missing : FileRegistry::LoadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) > kMaxBytes) {
        ::close(fd);
        return FileRegistry::LoadResult::Failed;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t r = ::read(fd, buffer, sizeof(buffer));
        if (r < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return FileRegistry::LoadResult::Failed;
        }
        if (r == 0) break;
        text->append(buffer, static_cast<std::size_t>(r));
        if (text->size() > kMaxBytes) {
            ::close(fd);
            return FileRegistry::LoadResult::Failed;
        }
    }
    ::close(fd);
    return FileRegistry::LoadResult::Ok;
}

bool RegistryFile::Save(const std::string& text) {
    const std::string dir = DirName(m_path);
    if (!MakeDirs(dir)) return false;
    // Keep the permissions a person may have given the store.
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) == 0) mode = st.st_mode & 07777;

    const std::string temp = m_path + ".tmp." + std::to_string(static_cast<long>(::getpid()));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text.data(), text.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), m_path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void RegistryFile::Lock() {
    if (m_lockFd >= 0) return;
    if (!MakeDirs(DirName(m_path))) return;
    m_lockFd = ::open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0) return;
    // Without the lock the operation still runs; only a concurrent writer could then be lost.
    while (::flock(m_lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void RegistryFile::Unlock() {
    if (m_lockFd < 0) return;
    ::flock(m_lockFd, LOCK_UN);
    ::close(m_lockFd);
    m_lockFd = -1;
}

#else  // The Windows build keeps its settings in the real registry; this store is never used there.

RegistryFile::RegistryFile(std::string path) : m_path(std::move(path)) {}
RegistryFile::~RegistryFile() = default;
FileRegistry::LoadResult RegistryFile::Load(std::string* text) {
    text->clear();
    return FileRegistry::LoadResult::Failed;
}
bool RegistryFile::Save(const std::string&) { return false; }
void RegistryFile::Lock() {}
void RegistryFile::Unlock() {}

#endif

}  // namespace plat
