#pragma once

#include "NSData.h"
#include "NSObject.h"
#include "PropertyListLimits.h"
#include "Result.h"

#include <string>
#include <string_view>

// Converts between property-list bytes and the value classes: NSString, NSNumber (booleans, signed and
// unsigned integers, reals), NSDate, NSData, NSArray and NSDictionary. Reading accepts the XML and the
// binary form (told apart by content) within the limits' caps: the binary form goes through
// PropertyListGuard first, XML through its size check and then XMLPropertyListReader, which keeps the
// depth and object caps as it reads. Writing produces the XML form; the binary form and XML output are
// libplist's.
//
// What survives a round trip through the XML form:
// - dates keep whole seconds (the fraction is cut off); in memory, and in the binary form, they keep microseconds.
//   Dates must lie within about 68 years of 2001 (the library holds seconds in 32 bits); others are
//   refused on write.
// - strings are written as well-formed UTF-8 without the control characters XML forbids (see
//   TextSanitizer); they read back in that form. Strings read are made well-formed UTF-8.
// - integers keep their sign: -1 and 18446744073709551615 stay apart.
// Errors are values with a readable reason ("nested deeper than 64 levels", "not a valid XML property
// list"); nothing throws.
class NSPropertyListSerialization {
public:
    static Result<id> propertyListWithData(std::string_view bytes, const PropertyListLimits& limits = {});
    static Result<id> propertyListWithData(const NSData& data, const PropertyListLimits& limits = {});

    // The XML form of a tree of value classes. Refuses a tree deeper than the limits' depth, XML larger
    // than their size (it would not read back) and any object that is not a property-list value.
    static Result<std::string> dataWithPropertyList(const id& plist, const PropertyListLimits& limits = {});
};
