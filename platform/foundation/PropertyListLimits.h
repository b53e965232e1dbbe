#pragma once

#include <cstddef>

// What a property-list reader accepts, checked before the parser sees the bytes, and what a writer accepts.
//
// The defaults are a guard of memory, not a size any file of this system is meant to stay under: the
// notification log has no length limit, and a log of a million records is some 280 MB of XML.
// - maxBytes: a quarter of the machine's physical memory (kMemoryShare), read once. Larger input is refused
//   rather than read into memory; a reader that refuses a file says why, and the log store keeps such a
//   file beside its path instead of overwriting it.
// - maxDepth 64: the deepest file of the system (preferences, specifier files, Info.plist) nests five
//   levels. The writer and the release of a value tree recurse once per level, so 64 levels stay far
//   from any stack limit; hostile input of thousands of levels is refused before a value is made.
// - maxObjects: values and keys after expanding shared references, as many as the byte guard holds at
//   kBytesPerObject each (a value in memory takes at least that). A binary list may reference one object
//   many times, so a few kilobytes could otherwise stand for billions of values, which every walk over the
//   tree (writing it, comparing it) would visit; the count is what bounds that.
// Callers that read data from other processes (the messaging centre) or files of a known small kind pass
// tighter limits.
struct PropertyListLimits {
    static constexpr std::size_t kMemoryShare = 4;
    static constexpr std::size_t kBytesPerObject = 32;
    // Never below this, so a machine whose memory cannot be read still reads every ordinary file.
    static constexpr std::size_t kMinimumGuardBytes = 256u * 1024u * 1024u;

    // A quarter of physical memory (at least kMinimumGuardBytes), read once per process.
    static std::size_t memoryGuardBytes();

    std::size_t maxBytes = memoryGuardBytes();
    std::size_t maxDepth = 64;
    std::size_t maxObjects = memoryGuardBytes() / kBytesPerObject;

    // No caller can raise the depth past this: the writer and the release of a value tree recurse once
    // per level.
    static constexpr std::size_t kDepthCeiling = 512;

    std::size_t effectiveMaxDepth() const { return maxDepth < kDepthCeiling ? maxDepth : kDepthCeiling; }
};
