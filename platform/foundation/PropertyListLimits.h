#pragma once

#include <cstddef>

// What a property-list reader accepts, checked before the parser sees the bytes, and what a writer accepts.
//
// The defaults fit every file this system keeps, with room to spare:
// - maxBytes 16 MiB: the new-notifications log has no item limit and grows while the panel stays closed;
//   a record takes about 250 bytes of XML, so this is some 60,000 records, still parsed in well under a
//   second. Larger input is refused rather than read into memory.
// - maxDepth 64: the deepest file of the system (preferences, specifier files, Info.plist) nests five
//   levels. The writer and the release of a value tree recurse once per level, so 64 levels stay far
//   from any stack limit; hostile input of thousands of levels is refused before a value is made.
// - maxObjects 1,000,000: values and keys after expanding shared references. A binary list may reference
//   one object many times, so a few kilobytes could otherwise stand for billions of values, which every
//   walk over the tree (writing it, comparing it) would visit. A 16 MiB log holds well under a million.
// Callers that read data from other processes (the messaging centre) pass tighter limits.
struct PropertyListLimits {
    std::size_t maxBytes = 16u * 1024u * 1024u;
    std::size_t maxDepth = 64;
    std::size_t maxObjects = 1'000'000;

    // No caller can raise the depth past this: the writer and the release of a value tree recurse once
    // per level.
    static constexpr std::size_t kDepthCeiling = 512;

    std::size_t effectiveMaxDepth() const { return maxDepth < kDepthCeiling ? maxDepth : kDepthCeiling; }
};
