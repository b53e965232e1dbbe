#pragma once

#include "NSData.h"
#include "NSObject.h"
#include "PropertyListLimits.h"
#include "Result.h"

#include <optional>
#include <string>
#include <string_view>

// Converts between property-list bytes and the value classes: NSString, NSNumber (booleans, signed and
// unsigned 64-bit integers, reals), NSDate, NSData, NSArray and NSDictionary. Reading accepts the XML and
// the binary form (told apart by content) within the limits' caps: after PropertyListGuard's size check,
// XMLPropertyListReader or BinaryPropertyListReader, which keep the depth and object caps before they make
// a value. Writing produces the XML form (XMLPropertyListWriter).
//
// What survives a round trip through the XML form:
// - dates keep whole seconds (the fraction is cut off, toward 2001); in memory, and in the binary form,
//   they keep every double. XML holds the years 0001 to 9999: other dates, and NaN or
//   infinite ones, are refused on write.
// - reals keep every double, NaN and the infinities included.
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
    // Why dataWithPropertyList would refuse the tree, found without writing it (all but the size cap);
    // empty when it would write it.
    static std::optional<NSError> refusalToWrite(const id& plist, const PropertyListLimits& limits = {});
};
