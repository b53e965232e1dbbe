#pragma once

#include "NSObject.h"
#include "PropertyListLimits.h"
#include "Result.h"

#include <string_view>

// Reads the XML form of a property list into the value classes in one pass over the bytes, checking the
// XML and building values as it goes, with an explicit stack of open containers (no recursion, whatever
// the depth). Several times as fast as libplist 2.2 on a large log (bench/foundation), with the same
// values for every well-formed property list; malformed XML is refused as "not well-formed XML".
//
// What it accepts: a well-formed XML document whose one element is <plist> holding one value, or a value
// element itself; around it, an XML declaration, comments, processing instructions and a document type.
// Values are <dict> (alternating <key> and value; a repeated key keeps its last value), <array>,
// <string>, <integer>, <real>, <true/>, <false/>, <date> and <data>. Comments may stand between and
// inside values. Text is taken byte for byte (a carriage return stays one), with the five named
// entities, numeric character references and CDATA sections; strings and keys are then made well-formed
// UTF-8 (TextSanitizer). Integers, reals, dates and data are read by XMLPropertyListText.
//
// Where libplist 2.2 reads something else, this reader refuses instead of guessing: text or markup it
// skips (trailing garbage, text in containers, content of <true/>), a <key> without a value or outside a
// dictionary, entity look-alikes, the scalars XMLPropertyListText refuses, and <data> or <date> split by
// comments (libplist decodes only the first piece). Processing instructions and document types are
// refused where libplist's handling of quotes would end them elsewhere than XML does, and attribute
// values holding quotes or angle brackets likewise. It reads an empty key written "<key/>", which
// libplist refuses.
//
// The limits' depth and object caps are kept in the same pass, as each element is met and before its
// value is made, so nothing deeper or more numerous than they allow is ever built (PropertyListGuard's
// separate scan is for libplist, which recurses); a NUL byte is refused outright.
class XMLPropertyListReader {
public:
    static Result<id> read(std::string_view xml, const PropertyListLimits& limits = {});
    // As NSPropertyListSerialization answers: a refusal for a cap or a NUL byte in the guard's words
    // ("nested deeper than 64 levels"), any other as "not a valid XML property list: <reason>".
    static Result<id> propertyList(std::string_view xml, const PropertyListLimits& limits);
};
