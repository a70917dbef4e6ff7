// Pixel memory: bitmap blocks (large ones on huge pages) and whether a surface is fresh shared memory.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Window.h"
#include "platform/posix/PosixWindowState.h"

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a block is an ordinary heap allocation.
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

}  // namespace

namespace plat {

void* AllocPixelMemory(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes < kLargeBlock) return std::calloc(1, bytes);
    const std::size_t size = RoundUp(bytes, kHugePage);
    // Map one huge page more than needed and trim, so the block starts on a huge-page boundary.
    void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(base, kHugePage);
    if (aligned > base) munmap(raw, aligned - base);
    const std::uintptr_t end = base + size + kHugePage;
    if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, size, MADV_HUGEPAGE);  // a hint: without huge pages the block still works
    return block;                         // anonymous memory comes zero-filled
}

void FreePixelMemory(void* block, std::size_t bytes) {
    if (block == nullptr) return;
    if (bytes < kLargeBlock) {
        std::free(block);
        return;
    }
    munmap(block, RoundUp(bytes, kHugePage));
}

namespace posix {

bool InSharedMemory(const void* p) {
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (maps == nullptr) return false;
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    bool shared = false;
    char line[512];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long long from = 0, to = 0;
        if (std::sscanf(line, "%llx-%llx", &from, &to) != 2 || at < from || at >= to) continue;
        shared = std::strstr(line, " /SYSV") != nullptr;
        break;
    }
    std::fclose(maps);
    return shared;
}

}  // namespace posix

}  // namespace plat
