#pragma once

#include "NSObject.h"
#include "Result.h"

#include <string>

// Writes the value classes with libplist 2.2, in both forms: the oracle whose output the product's
// readers must read to the same values, and the floor the product's XML writer is measured against.
// Refuses what libplist cannot hold: dates outside its 32-bit seconds from 2001 (the years 1933 to 2068),
// NaN and infinite reals (its XML writer prints them in a form it does not read back), null and
// non-property-list objects. Recurses once per level: only for trees of bounded depth.
class LibplistPropertyListWriter {
public:
    static Result<std::string> toXML(const id& plist);
    static Result<std::string> toBinary(const id& plist);
};
