#include "grid/PodArray.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace tessel::grid::detail {

namespace {

// From this size on a block is pages of its own. The allocator would map such blocks itself
// only above a threshold that it raises as mapped blocks are freed (up to 32 MB), and grows
// the others by copying: the texts of a million-row fill (tens of MB) would be copied at
// every doubling, the old copy and the new one held at once, and the new pages touched again.
constexpr std::size_t kMappedBytes = std::size_t(1) << 20;

std::size_t pageRounded(std::size_t bytes) {
    static const auto page = std::size_t(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

bool mapped(const PodBlock &block) {
    return block.bytes >= kMappedBytes;
}

}  // namespace

void growBlock(PodBlock &block, std::size_t used, std::size_t bytes) {
    if (bytes < kMappedBytes) {
        void *p = std::realloc(block.data, bytes);
        if (!p)
            throw std::bad_alloc();
        block = {p, bytes};
        return;
    }
    bytes = pageRounded(bytes);
    void *p = mapped(block) ? mremap(block.data, block.bytes, bytes, MREMAP_MAYMOVE)
                            : mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (!mapped(block)) {
        if (used)
            std::memcpy(p, block.data, used);
        std::free(block.data);
    }
    block = {p, bytes};
}

std::size_t heldBytes(const PodBlock &block, std::size_t used) noexcept {
    return mapped(block) ? std::min(block.bytes, pageRounded(used)) : block.bytes;
}

void freeBlock(PodBlock &block) noexcept {
    if (mapped(block))
        munmap(block.data, block.bytes);
    else
        std::free(block.data);
    block = {};
}

}  // namespace tessel::grid::detail
