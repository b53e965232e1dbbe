#pragma once

#include "NSError.h"
#include "PropertyListLimits.h"

#include <optional>
#include <string_view>

// Validates a binary property list ("bplist00") against its own buffer before the parsing library reads
// it: the trailer, every offset-table entry, every reachable object's header, length and payload, and
// every object reference. Walks the object graph from the top object with an explicit stack (no
// recursion on untrusted depth), refuses reference cycles, and computes the depth and the size of the
// tree the parser would build (each shared reference expanded), refusing trees over the caps. Only the
// types this system reads are accepted: booleans, integers, reals, dates, data, ASCII and UTF-16 strings,
// arrays and dictionaries with string keys.
class BinaryPropertyListChecker {
public:
    static std::optional<NSError> check(std::string_view bytes, const PropertyListLimits& limits);
};
