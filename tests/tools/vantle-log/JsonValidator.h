#pragma once

#include <string>
#include <string_view>

// A strict JSON (RFC 8259) checker for the tool's output: one value, nothing after it but white space,
// strings of well-formed UTF-8 without raw control characters, and valid escapes and numbers.
class JsonValidator {
public:
    // Empty when `text` is valid JSON; otherwise what is wrong and where.
    static std::string problem(std::string_view text);
};
