#pragma once

#include "NSObject.h"
#include "Result.h"

#include <string_view>

// Reads property-list bytes with libplist 2.2 into the value classes. The binary form is always read this
// way; the XML form is read by XMLPropertyListReader, and libplist's XML reading stays here as the
// reference it is compared with.
// REQUIRES: the bytes passed PropertyListGuard::check. libplist overflows its stack on deep trees and its
// binary reader trusts lengths and offsets; the guard is what makes handing it the bytes safe.
class LibplistPropertyListReader {
public:
    static Result<id> fromBinary(std::string_view bytes);
    static Result<id> fromXML(std::string_view bytes);
};
