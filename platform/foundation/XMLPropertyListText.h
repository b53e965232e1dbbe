#pragma once

#include "NSObject.h"
#include "Result.h"

#include <string>
#include <string_view>

// The text forms of XML property lists' scalars, read strictly: every text libplist 2.2 reads as
// written gives its value here, and text it would misread is refused with a reason.
class XMLPropertyListText {
public:
    // XML's whitespace: space, tab, line feed, carriage return.
    static bool isWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // Appends text with its references decoded: the five named entities and numeric character references
    // ("&#65;", "&#x41;", at most eight characters between '&' and ';', code points 1 to 0x10FFFF; a
    // surrogate is encoded like any other code point). False at any other '&'.
    static bool appendDecoded(std::string& out, std::string_view text);

    // <integer>: decimal or 0x-hexadecimal with an optional sign, whitespace around it; empty is 0. Above
    // the signed range up to 2^64-1 it is an unsigned NSNumber. Leading zeros (libplist reads octal),
    // other characters and values beyond 64 bits (libplist saturates) are refused.
    static Result<id> integer(std::string_view text);
    // <real>: what strtod reads in full once whitespace around it is gone ("nan", "-infinity" and
    // hexadecimal too); empty is 0.
    static Result<id> real(std::string_view text);
    // <date>: exactly "YYYY-MM-DDTHH:MM:SSZ", a real day and time of day, in UTC, as seconds since NSDate's
    // reference date. Any year from 0000 to 9999 (libplist gives 1932-12-13 for those beyond 32-bit
    // seconds from 2001).
    static Result<double> date(std::string_view text);
    // <data>: base64 with whitespace anywhere and at most two '=' at the end, in groups of four.
    static Result<id> data(std::string_view text);
};
