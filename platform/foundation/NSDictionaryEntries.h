#pragma once

#include "NSObject.h"
#include "XMLPropertyListArena.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// The entries of an NSDictionary: string keys to objects, sorted by key in one flat array, so a whole
// dictionary costs one allocation rather than one per entry, and lookups search contiguous memory. The
// interface is the part of std::map's that callers use: iteration in key order, find, count, contains,
// at, operator[], emplace, try_emplace, insert, insert_or_assign, erase, size, empty, initializer lists.
// As with std::vector, inserting or erasing moves the entries after it and invalidates iterators; keys
// must not be changed through an iterator.
class NSDictionaryEntries {
public:
    // Where the array comes from: the heap, or the arena of the reader that made the dictionary, so a
    // dictionary read from a file costs no heap allocation of its own. An array in an arena never grows:
    // it is only built by fromKeysAndValues, for a dictionary that does not change, and copies of it go
    // to the heap. It is freed into its arena block, whether or not the arena is still there.
    template <class T>
    class Allocator {
    public:
        using value_type = T;
        using propagate_on_container_move_assignment = std::true_type;
        using propagate_on_container_swap = std::true_type;
        using is_always_equal = std::false_type;

        Allocator() = default;
        explicit Allocator(XMLPropertyListArena* arena) : arena_(arena) {}
        template <class U>
        Allocator(const Allocator<U>& other) : arena_(other.arena_)
        {
        }

        T* allocate(std::size_t count)
        {
            return arena_ ? XMLPropertyListArena::Allocator<T>(*arena_).allocate(count) : std::allocator<T>().allocate(count);
        }
        void deallocate(T* array, std::size_t count)
        {
            if (arena_) {
                XMLPropertyListArena::Allocator<T>(*arena_).deallocate(array, count);
            } else {
                std::allocator<T>().deallocate(array, count);
            }
        }
        Allocator select_on_container_copy_construction() const { return Allocator(); }

        template <class U>
        bool operator==(const Allocator<U>& other) const { return arena_ == other.arena_; }

    private:
        template <class U>
        friend class Allocator;
        XMLPropertyListArena* arena_ = nullptr;
    };

    using key_type = std::string;
    using mapped_type = id;
    using value_type = std::pair<std::string, id>;
    using iterator = std::vector<value_type, Allocator<value_type>>::iterator;
    using const_iterator = std::vector<value_type, Allocator<value_type>>::const_iterator;
    using size_type = std::size_t;

    NSDictionaryEntries() = default;
    // A repeated key keeps its first value, as std::map's does.
    NSDictionaryEntries(std::initializer_list<value_type> entries);

    // Entries from keys and values side by side (moved from), in any order, sorted once. A repeated key
    // keeps the value that comes last, as when they are assigned one after another. With an arena, the
    // array is cut from it.
    static NSDictionaryEntries fromKeysAndValues(std::span<std::string> keys, std::span<id> values,
                                                 XMLPropertyListArena* arena = nullptr);

    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    const_iterator cbegin() const { return entries_.cbegin(); }
    const_iterator cend() const { return entries_.cend(); }
    auto rbegin() const { return entries_.rbegin(); }
    auto rend() const { return entries_.rend(); }

    size_type size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }
    void reserve(size_type count)
    {
        moveToHeap();
        entries_.reserve(count);
    }

    iterator find(std::string_view key);
    const_iterator find(std::string_view key) const;
    size_type count(std::string_view key) const { return contains(key) ? 1 : 0; }
    bool contains(std::string_view key) const { return find(key) != end(); }
    const id& at(std::string_view key) const;
    id& at(std::string_view key);
    id& operator[](std::string key) { return try_emplace(std::move(key)).first->second; }

    // Adds the entry unless the key is there; answers where the key stands and whether it was added.
    template <class Value = id>
    std::pair<iterator, bool> try_emplace(std::string key, Value&& value = Value())
    {
        iterator at = lowerBound(key);
        if (at != end() && at->first == key) {
            return {at, false};
        }
        const auto offset = at - begin();
        moveToHeap();
        return {entries_.emplace(begin() + offset, std::move(key), id(std::forward<Value>(value))), true};
    }
    template <class Value>
    std::pair<iterator, bool> emplace(std::string key, Value&& value)
    {
        return try_emplace(std::move(key), std::forward<Value>(value));
    }
    std::pair<iterator, bool> insert(value_type entry) { return try_emplace(std::move(entry.first), std::move(entry.second)); }

    // Adds the entry or replaces the value under the key.
    std::pair<iterator, bool> insert_or_assign(std::string key, id value);
    // The same, looking first at the hint: building in key order with end() as the hint appends.
    iterator insert_or_assign(const_iterator hint, std::string key, id value);

    size_type erase(std::string_view key);
    iterator erase(const_iterator at) { return entries_.erase(at); }

    friend bool operator==(const NSDictionaryEntries& a, const NSDictionaryEntries& b) { return a.entries_ == b.entries_; }

private:
    // Before the array grows: one in an arena is moved to the heap first.
    void moveToHeap();
    iterator lowerBound(std::string_view key);
    const_iterator lowerBound(std::string_view key) const;

    std::vector<value_type, Allocator<value_type>> entries_;
};
