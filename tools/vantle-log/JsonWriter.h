#pragma once

#include "NSObject.h"

#include <string>
#include <string_view>

class LogFile;

// The log as JSON: `{"new": [...], "old": [...]}`, one element per line, each as the natural JSON value of
// what the file holds. Records become objects with every key they have; strings are well-formed UTF-8
// (ill-formed bytes become U+FFFD) with every control character escaped; dates are ISO 8601 strings in UTC;
// numbers and booleans stay numbers and booleans. Values JSON has no literal for are marked objects:
// data `{"$data": "<base64>"}`, a real that is not finite `{"$number": "NaN"}` (or "Infinity",
// "-Infinity"), a date outside the years 0001 to 9999 `{"$date": "<seconds> seconds since ..."}`.
// A file that does not read is `null` in its place.
class JsonWriter {
public:
    static std::string document(const LogFile& newFile, const LogFile& oldFile);
    static std::string value(const id& value);
    static std::string string(std::string_view text);
};
