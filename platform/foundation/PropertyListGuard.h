#pragma once

#include "NSError.h"
#include "PropertyListLimits.h"

#include <optional>
#include <string_view>

// The checks a property-list read makes before any value is built, on the raw bytes and without
// recursion. NSPropertyListSerialization needs only detectFormat and checkSize: its XML reader keeps the
// depth and object caps itself as it reads, and its binary reader (BinaryPropertyListReader) checks the
// whole structure before it makes a value. check() is the whole gate, for a parser that recurses or trusts
// the bytes (libplist 2.2, which the tests compare with, overflows its stack on deep trees, expands every
// shared reference of a binary list into a copy and does not check every length and offset). It refuses:
// - input larger than the size cap;
// - XML nested deeper than the depth cap, or with more elements than the object cap (a linear scan of
//   the markup; it may overestimate, never underestimate);
// - binary lists whose trailer, offset table, object headers, lengths or references do not fit the
//   buffer, that hold a reference cycle, that use a type the system does not read, or whose tree
//   (shared references expanded) is deeper or larger than the caps.
// Depth counts a scalar as 1 and a container as one more than its deepest child.
class PropertyListGuard {
public:
    enum class Format { XML, Binary };

    // The format by content: binary when the bytes start with "bplist", XML otherwise.
    static Format detectFormat(std::string_view bytes);

    // Empty when the bytes may be handed to the parser; otherwise why not.
    static std::optional<NSError> check(std::string_view bytes, const PropertyListLimits& limits);
    // Only the size cap and emptiness: what is checked before XMLPropertyListReader, which keeps the
    // depth and object caps itself as it reads.
    static std::optional<NSError> checkSize(std::string_view bytes, const PropertyListLimits& limits);
};
