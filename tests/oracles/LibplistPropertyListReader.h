#pragma once

#include "NSObject.h"
#include "Result.h"

#include <string_view>

// Reads property-list bytes with libplist 2.2 into the value classes: the oracle that tests and fuzz
// targets compare the product's readers with, where libplist is right (it keeps dates in 32-bit seconds
// from 2001, so only the years 1933 to 2068 come back as written).
// REQUIRES: the bytes passed PropertyListGuard::check. libplist overflows its stack on deep trees and its
// binary reader trusts lengths and offsets; the guard is what makes handing it the bytes safe.
class LibplistPropertyListReader {
public:
    static Result<id> fromBinary(std::string_view bytes);
    static Result<id> fromXML(std::string_view bytes);
};
