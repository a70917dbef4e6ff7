// RegistryFile: the registry text store as one file, replaced atomically and locked per operation.
#pragma once

#include <string>

#include "platform/common/FileRegistry.h"

namespace plat {

class RegistryFile : public FileRegistry::Storage {
public:
    // Files larger than this are not a store this program wrote; they are left alone.
    static constexpr std::size_t kMaxBytes = 4u << 20;

    explicit RegistryFile(std::string path);
    ~RegistryFile() override;
    RegistryFile(const RegistryFile&) = delete;
    RegistryFile& operator=(const RegistryFile&) = delete;

    const std::string& Path() const { return m_path; }

    FileRegistry::LoadResult Load(std::string* text) override;
    // Writes a temporary file in the same folder, flushes it to disk, renames it over the store
    // and flushes the folder: a crash leaves either the old or the new store, never a mix.
    bool Save(const std::string& text) override;
    // An advisory lock on "<path>.lock", so two saver processes do not lose each other's writes.
    void Lock() override;
    void Unlock() override;

private:
    std::string m_path;
    int m_lockFd = -1;
};

}  // namespace plat
