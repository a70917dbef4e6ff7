// Linux resources: the .res compiled from the resource script and embedded in the executable.
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/Resources.h"
#include "platform/common/EmbeddedResources.h"
#include "platform/common/ResBlob.h"
#include "platform/common/ResFile.h"

namespace plat {

namespace {

// Only whole pages inside [data, data + size) go: a neighbour's bytes on a shared page stay.
void ReleasePages(const void* data, std::size_t size) {
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + size) / page * page;
    // The blob is read-only file-backed memory: dropped pages are read in again from the file.
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

// Where each resource of the blob lies, found in one walk: a lookup then reads no other
// resource's bytes, so only the resources in use are in memory.
struct ResourceIndex {
    bool built = false;
    std::vector<ResFile::Record> records;  // file order, ordinal names only
};

const std::vector<ResFile::Record>& Records() {
    static ResourceIndex index;  // the back-end's one resource state object
    if (!index.built) {
        index.built = true;
        ResFile(kSaverRes, kSaverResSize).ForEach([](const ResFile::Record& r) {
            if (r.nameIsOrdinal) index.records.push_back(r);
            return true;
        });
        ReleasePages(kSaverRes, kSaverResSize);  // the walk touched every record
    }
    return index.records;
}

}  // namespace

// The first record of the type named `id`, in any language, as ResFile::Find gives it.
ResData FindResource(ResType type, std::uint16_t id) {
    for (const ResFile::Record& r : Records())
        if (r.Is(type, id)) return r.data;
    return ResData{};
}

bool LoadString(std::uint16_t id, std::string* out) { return LoadEmbeddedString(id, out); }

void ReleaseResource(ResData res) {
    if (res.data != nullptr) ReleasePages(res.data, res.size);
}

}  // namespace plat
