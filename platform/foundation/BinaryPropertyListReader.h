#pragma once

#include "NSError.h"
#include "NSObject.h"
#include "PropertyListLimits.h"
#include "Result.h"

#include <optional>
#include <string_view>

// Reads a binary property list ("bplist00") into the value classes, checking everything against its own
// buffer first: the trailer, every offset-table entry, every reachable object's header, length and payload,
// and every object reference. Walks the object graph from the top object with an explicit stack (no
// recursion on untrusted depth), refuses reference cycles, and computes the depth and the size of the
// tree (each shared reference counted once per place it is used), refusing trees over the caps. A shared
// object is made once and the same value stands in every place, so memory stays proportional to the file.
// Only the types this system keeps are read: booleans, integers (up to 16 bytes, holding a value from
// -2^63 to 2^64-1), reals of 4 and 8 bytes, dates (any double, as seconds since 2001), data, ASCII and
// UTF-16 strings (made well-formed UTF-8), arrays and dictionaries with string keys without NUL.
class BinaryPropertyListReader {
public:
    static Result<id> read(std::string_view bytes, const PropertyListLimits& limits);
    // What read() would refuse, without making the values.
    static std::optional<NSError> check(std::string_view bytes, const PropertyListLimits& limits);
};
