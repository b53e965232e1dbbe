#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

// Where XMLPropertyListReader makes the values of one document: objects (with their shared_ptr control
// blocks, and dictionaries' arrays of entries) are cut from 16 KiB blocks instead of one heap allocation each, which in a large log is most of
// the cost of making and freeing them (glibc's free lists and their consolidation). A block is freed when
// the last object cut from it is freed, on whatever thread; an object kept after the rest of its document
// is gone keeps its block. Under AddressSanitizer the memory not handed out, or handed back, is poisoned,
// so misuse stays visible.
class XMLPropertyListArena {
public:
    XMLPropertyListArena() = default;
    XMLPropertyListArena(const XMLPropertyListArena&) = delete;
    XMLPropertyListArena& operator=(const XMLPropertyListArena&) = delete;
    ~XMLPropertyListArena();

    // For std::allocate_shared: allocates from the arena, frees into the block the memory came from.
    template <class T>
    class Allocator {
    public:
        using value_type = T;

        explicit Allocator(XMLPropertyListArena& arena) : arena_(&arena) {}
        template <class U>
        Allocator(const Allocator<U>& other) : arena_(other.arena_)
        {
        }

        T* allocate(std::size_t count) { return static_cast<T*>(arena_->allocate(count * sizeof(T), alignof(T))); }
        void deallocate(T* object, std::size_t count) { XMLPropertyListArena::deallocate(object, count * sizeof(T)); }

        template <class U>
        bool operator==(const Allocator<U>& other) const { return arena_ == other.arena_; }
        template <class U>
        bool operator!=(const Allocator<U>& other) const { return arena_ != other.arena_; }

    private:
        template <class U>
        friend class Allocator;
        XMLPropertyListArena* arena_; // used only to allocate, never after the document is read
    };

    template <class T, class... Arguments>
    std::shared_ptr<T> make(Arguments&&... arguments)
    {
        return std::allocate_shared<T>(Allocator<T>(*this), std::forward<Arguments>(arguments)...);
    }

private:
    struct Block;

    void* allocate(std::size_t bytes, std::size_t alignment);
    static void deallocate(void* object, std::size_t bytes);
    void seal();

    Block* block_ = nullptr;
    std::size_t used_ = 0;    // bytes of the current block handed out, header included
    std::size_t objects_ = 0; // objects cut from the current block so far
};
