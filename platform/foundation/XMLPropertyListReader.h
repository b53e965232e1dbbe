#pragma once

#include "NSObject.h"
#include "Result.h"

#include <string_view>

// Reads the XML form of a property list into the value classes, on pugixml's DOM and one iterative walk
// over it (no recursion, whatever the depth). About an order of magnitude faster than libplist 2.2 on a
// large log, with the same values for every well-formed property list.
//
// What it accepts: a well-formed XML document whose one element is <plist> holding one value, or a value
// element itself; before it, an XML declaration, comments, processing instructions and a document type.
// Values are <dict> (alternating <key> and value; a repeated key keeps its last value), <array>,
// <string>, <integer>, <real>, <true/>, <false/>, <date> and <data>. Comments may stand between and
// inside values. Text is taken byte for byte (a carriage return stays one), with the five named
// entities, numeric character references and CDATA sections; strings and keys are then made well-formed
// UTF-8 (TextSanitizer).
// - <integer>: decimal or 0x-hexadecimal, optional sign and surrounding whitespace; empty reads as 0.
//   Above the signed range up to 2^64-1 it is an unsigned NSNumber; beyond that it is refused.
// - <real>: what strtod reads in full (also "nan", "inf", hexadecimal); empty reads as 0.
// - <date>: exactly "YYYY-MM-DDTHH:MM:SSZ", a real day and time of day (UTC).
// - <data>: base64, with whitespace anywhere and '=' padding only at the end.
//
// Where libplist 2.2 reads something else, this reader refuses instead of guessing: text or markup it
// skips (trailing garbage, text in containers, content of <true/>), a <key> without a value or outside a
// dictionary, unknown or unterminated entities, integers with leading zeros (libplist reads them as
// octal) or trailing characters, out-of-range integers (libplist saturates), malformed dates (libplist
// reads them as parts of a date or as 1970), and <data> or <date> split by comments (libplist decodes
// only the first piece). Processing instructions and document types are refused where libplist's
// handling of quotes would end them elsewhere than XML does, and attribute values holding quotes or
// angle brackets likewise.
// REQUIRES: the bytes passed PropertyListGuard::check (size, depth, no NUL byte).
class XMLPropertyListReader {
public:
    static Result<id> read(std::string_view xml);
};
