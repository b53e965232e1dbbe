#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Assembles binary property lists ("bplist00") object by object, with references given by hand, so tests
// can build both well-formed lists and precisely broken ones (cycles, bad references, deep chains).
class BinaryPropertyListBuilder {
public:
    using Index = std::size_t;

    Index addRaw(std::string objectBytes);
    Index addBoolean(bool value);
    Index addInteger(std::int64_t value);
    Index addReal(double value);
    Index addDate(double secondsSinceReferenceDate);
    Index addString(const std::string& ascii);
    Index addData(const std::string& bytes);
    Index addArray(const std::vector<Index>& items);
    Index addDictionary(const std::vector<std::pair<Index, Index>>& keysAndValues);
    // Reserves an index whose object is given later with set(); lets a container refer to objects
    // created after it, or to itself.
    Index reserve();
    void set(Index index, std::string objectBytes);

    std::size_t count() const { return objects_.size(); }
    std::string build(Index top) const;

    // The marker of a container or variable-length object with `length`, extended form included.
    static std::string marker(unsigned type, std::uint64_t length);
    std::string references(const std::vector<Index>& indices) const;
    unsigned referenceWidth() const;

private:
    struct Entry {
        std::string raw;         // an object given as bytes
        unsigned containerType;  // 0xA or 0xD for a container encoded at build time, else 0
        std::vector<Index> references;
    };
    std::vector<Entry> objects_;
};
