#include "XMLPropertyListArena.h"

#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VT_ARENA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VT_ARENA_ASAN 1
#endif
#endif

#ifdef VT_ARENA_ASAN
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace {

constexpr std::size_t kBlockBytes = 16 * 1024;
// While a block is being cut its count of users starts from this bias, so that objects freed meanwhile
// never bring it to zero; sealing the block trades the bias for the number of objects cut.
constexpr std::size_t kBeingCut = std::size_t(1) << 62;

std::size_t alignedUp(std::size_t offset, std::size_t alignment)
{
    return (offset + alignment - 1) / alignment * alignment;
}

void* heapBytes(std::size_t bytes)
{
    void* memory = std::malloc(bytes);
    if (!memory) {
        throw std::bad_alloc();
    }
    return memory;
}

} // namespace

// A block's header; every object cut from it is preceded by the block's address.
struct XMLPropertyListArena::Block {
    explicit Block(std::size_t initialUsers) : users(initialUsers) {}
    std::atomic<std::size_t> users;
};

XMLPropertyListArena::~XMLPropertyListArena()
{
    seal();
}

void* XMLPropertyListArena::allocate(std::size_t bytes, std::size_t alignment)
{
    const std::size_t firstObject = alignedUp(sizeof(Block) + sizeof(Block*), alignment);
    Block* owner = nullptr;
    std::size_t at = firstObject;
    if (firstObject + bytes > kBlockBytes) {
        // A block of its own, with its one user.
        owner = new (heapBytes(firstObject + bytes)) Block(1);
    } else {
        at = alignedUp(used_ + sizeof(Block*), alignment);
        if (!block_ || at + bytes > kBlockBytes) {
            seal();
            block_ = new (heapBytes(kBlockBytes)) Block(kBeingCut);
            // Under AddressSanitizer what is not handed out, or handed back, may not be touched.
            ASAN_POISON_MEMORY_REGION(reinterpret_cast<char*>(block_) + sizeof(Block), kBlockBytes - sizeof(Block));
            at = firstObject;
        }
        used_ = at + bytes;
        ++objects_;
        owner = block_;
    }
    char* const object = reinterpret_cast<char*>(owner) + at;
    ASAN_UNPOISON_MEMORY_REGION(object - sizeof(Block*), sizeof(Block*) + bytes);
    std::memcpy(object - sizeof(Block*), &owner, sizeof owner);
    return object;
}

void XMLPropertyListArena::deallocate(void* object, std::size_t bytes)
{
    Block* block = nullptr;
    std::memcpy(&block, static_cast<char*>(object) - sizeof(Block*), sizeof block);
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(object) - sizeof(Block*), sizeof(Block*) + bytes);
    if (block->users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block->~Block();
        std::free(block);
    }
}

void XMLPropertyListArena::seal()
{
    if (!block_) {
        return;
    }
    const std::size_t change = objects_ - kBeingCut;
    if (block_->users.fetch_add(change, std::memory_order_acq_rel) + change == 0) {
        block_->~Block();
        std::free(block_);
    }
    block_ = nullptr;
    used_ = 0;
    objects_ = 0;
}
