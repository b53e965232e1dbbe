#include "NSDictionaryEntries.h"

#include <functional>

namespace {

bool keyLess(const NSDictionaryEntries::value_type& entry, std::string_view key)
{
    return std::string_view(entry.first) < key;
}

// Whether a sorts before b, as std::string's operator< answers; inline, as keys mostly differ in their
// first bytes.
bool isBefore(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
        }
    }
    return a.size() < b.size();
}

} // namespace

NSDictionaryEntries::NSDictionaryEntries(std::initializer_list<value_type> entries)
{
    entries_.reserve(entries.size());
    for (const value_type& entry : entries) {
        try_emplace(entry.first, entry.second);
    }
}

NSDictionaryEntries NSDictionaryEntries::fromKeysAndValues(std::span<std::string> keys, std::span<id> values,
                                                           XMLPropertyListArena* arena)
{
    NSDictionaryEntries entries;
    std::vector<value_type, Allocator<value_type>> pairs{Allocator<value_type>(arena)};
    const std::size_t count = std::min(keys.size(), values.size());
    pairs.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        pairs.emplace_back(std::move(keys[i]), std::move(values[i]));
    }
    // Files are written in key order: one comparison per neighbour tells there is nothing to sort or drop.
    const auto ascending = [](const value_type& a, const value_type& b) { return isBefore(a.first, b.first); };
    if (std::adjacent_find(pairs.begin(), pairs.end(), std::not_fn(ascending)) == pairs.end()) {
        entries.entries_ = std::move(pairs);
        return entries;
    }
    const auto byKey = [](const value_type& a, const value_type& b) { return a.first < b.first; };
    if (!std::is_sorted(pairs.begin(), pairs.end(), byKey)) {
        std::stable_sort(pairs.begin(), pairs.end(), byKey);
    }
    // Of equal keys, now side by side in their first order, the last one stays.
    const auto sameKey = [](const value_type& a, const value_type& b) { return a.first == b.first; };
    if (std::adjacent_find(pairs.begin(), pairs.end(), sameKey) != pairs.end()) {
        std::reverse(pairs.begin(), pairs.end());
        pairs.erase(std::unique(pairs.begin(), pairs.end(), sameKey), pairs.end());
        std::reverse(pairs.begin(), pairs.end());
    }
    entries.entries_ = std::move(pairs);
    return entries;
}

NSDictionaryEntries::iterator NSDictionaryEntries::lowerBound(std::string_view key)
{
    return std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
}

NSDictionaryEntries::const_iterator NSDictionaryEntries::lowerBound(std::string_view key) const
{
    return std::lower_bound(entries_.begin(), entries_.end(), key, keyLess);
}

NSDictionaryEntries::iterator NSDictionaryEntries::find(std::string_view key)
{
    const iterator at = lowerBound(key);
    return at != end() && at->first == key ? at : end();
}

NSDictionaryEntries::const_iterator NSDictionaryEntries::find(std::string_view key) const
{
    const const_iterator at = lowerBound(key);
    return at != end() && at->first == key ? at : end();
}

const id& NSDictionaryEntries::at(std::string_view key) const
{
    const const_iterator found = find(key);
    if (found == end()) {
        throw std::out_of_range("no entry for the key");
    }
    return found->second;
}

id& NSDictionaryEntries::at(std::string_view key)
{
    const iterator found = find(key);
    if (found == end()) {
        throw std::out_of_range("no entry for the key");
    }
    return found->second;
}

std::pair<NSDictionaryEntries::iterator, bool> NSDictionaryEntries::insert_or_assign(std::string key, id value)
{
    auto [at, added] = try_emplace(std::move(key));
    at->second = std::move(value);
    return {at, added};
}

NSDictionaryEntries::iterator NSDictionaryEntries::insert_or_assign(const_iterator hint, std::string key, id value)
{
    if (hint == end() && (empty() || entries_.back().first < key)) {
        moveToHeap();
        entries_.emplace_back(std::move(key), std::move(value));
        return end() - 1;
    }
    return insert_or_assign(std::move(key), std::move(value)).first;
}

NSDictionaryEntries::size_type NSDictionaryEntries::erase(std::string_view key)
{
    const iterator found = find(key);
    if (found == end()) {
        return 0;
    }
    entries_.erase(found);
    return 1;
}

void NSDictionaryEntries::moveToHeap()
{
    if (entries_.get_allocator() != Allocator<value_type>()) {
        entries_ = std::vector<value_type, Allocator<value_type>>(std::make_move_iterator(entries_.begin()),
                                                                  std::make_move_iterator(entries_.end()));
    }
}
