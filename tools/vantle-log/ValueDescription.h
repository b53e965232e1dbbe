#pragma once

#include "NSObject.h"

#include <string>

// A value of a record as a table shows it when it is not what its column expects, marked with its type so
// it is never taken for an ordinary entry: `<number 5>`, `<bool true>`, `<string "yesterday">`,
// `<date 2026-12-07T20:33:35Z>`, `<data 5 bytes SGVsbG8=>`, `<array [<number 1>]>`,
// `<dictionary {"Key": <number 1>}>`. Texts inside are escaped to one line (see DisplayText).
class ValueDescription {
public:
    static std::string describe(const id& value);
    // "string", "number", "bool", "date", "data", "array", "dictionary" (or the class name of anything else).
    static std::string typeName(const id& value);
    // "a dictionary", "an array", "data", ...
    static std::string typeNameWithArticle(const id& value);
};
