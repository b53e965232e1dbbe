#pragma once

#include "NSError.h"
#include "NSObject.h"
#include "PropertyListLimits.h"
#include "Result.h"

#include <optional>
#include <string>

// Writes a tree of value classes as an XML property list, in one pass into one buffer. The layout is
// fixed and the same for a value wherever it stands: a header and "<plist version=\"1.0\">" on lines of
// their own, then one element per line, indented by one tab per enclosing container; an empty container
// is "<array/>" or "<dict/>"; data is base64 on lines of its own between "<data>" and "</data>", at most
// 76 characters less 8 per level (never fewer than 12) on each. So an element of a list is the same bytes
// whatever else the list holds, which the log store relies on to join records without encoding them again.
//
// What each value becomes:
// - strings and keys: well-formed UTF-8 without the characters XML forbids (TextSanitizer), with '&', '<'
//   and '>' escaped and a carriage return written "&#13;" so that XML readers, which turn a bare one into a
//   line feed, read it as written;
// - integers: decimal, signed or (above the signed range) unsigned, up to 2^64-1;
// - reals: the shortest decimal that reads back as the same double; "nan", "inf" and "-inf" otherwise;
// - dates: "YYYY-MM-DDTHH:MM:SSZ" in UTC, whole seconds since 2001 with the fraction cut off toward 2001,
//   as the system counts whole seconds everywhere (no writer of the form keeps fractions: Python's
//   plistlib cuts them too, toward the past). Only years 0001 to 9999 have such text: a date outside
//   them, or NaN or infinite, is refused.
// Refuses a tree deeper than the limits' depth, XML larger than their size (it would not read back), a
// null and any object that is not a property-list value, each with a readable reason.
class XMLPropertyListWriter {
public:
    static Result<std::string> write(const id& plist, const PropertyListLimits& limits = {});
    // Why write() would refuse the tree, without writing it; empty when it would not (the size cap is
    // left out, as only writing tells the size).
    static std::optional<NSError> refusalFor(const id& plist, const PropertyListLimits& limits = {});
};
