#pragma once

#include "NSDictionaryEntries.h"
#include "NSObject.h"

#include <optional>
#include <string>

// An immutable dictionary from string keys to objects (the only keys property lists have). Typed lookups
// answer null for a missing key and for a value of another type, so a record whose "Date" is a string
// never breaks a reader. To change a dictionary, copy `entries()` and make a new one.
class NSDictionary final : public NSObject {
public:
    using Entries = NSDictionaryEntries;

    explicit NSDictionary(Entries entries) : entries_(std::move(entries)) {}

    static std::shared_ptr<NSDictionary> dictionary() { return std::make_shared<NSDictionary>(Entries{}); }
    static std::shared_ptr<NSDictionary> dictionaryWithEntries(Entries entries)
    {
        return std::make_shared<NSDictionary>(std::move(entries));
    }

    std::size_t count() const { return entries_.size(); }
    const Entries& entries() const { return entries_; }

    id objectForKey(const std::string& key) const;
    template <class T>
    std::shared_ptr<T> objectForKey(const std::string& key) const { return as<T>(objectForKey(key)); }
    // The string under the key, or absent when there is none or it is not a string.
    std::optional<std::string> stringForKey(const std::string& key) const;

    std::string description() const override;
    std::string className() const override { return "NSDictionary"; }
    bool isEqual(const NSObject& other) const override;

private:
    const Entries entries_;
};
