#pragma once

#include "NSObject.h"
#include "Result.h"

#include <cstddef>
#include <string_view>

// Reads the old text form of property lists that filter files are usually written in:
//
//     { Filter = { Bundles = ( "com.apple.springboard" ); }; }
//
// Dictionaries "{ key = value; ... }", arrays "( value, ... )" and strings, quoted ("a \"b\"", with the
// escapes \n \t \r \\ \" and \Uxxxx) or bare (letters, digits and _ $ / : . -), with // and /* */ comments
// between tokens. Answers NSDictionary, NSArray and NSString values; data ("<...>") is not read. Input
// nested deeper than `maxDepth` is refused before it is read further, so hostile text cannot exhaust the
// stack. Errors name what was expected and the byte offset.
class OpenStepPropertyList {
public:
    static Result<id> parse(std::string_view text, std::size_t maxDepth);

    // Whether the text starts (after white space) as the text form does rather than XML or binary.
    static bool looksLikeOpenStep(std::string_view text);

private:
    OpenStepPropertyList(std::string_view text, std::size_t maxDepth) : text_(text), maxDepth_(maxDepth) {}

    Result<id> parseValue(std::size_t depth);
    Result<id> parseDictionary(std::size_t depth);
    Result<id> parseArray(std::size_t depth);
    Result<id> parseString();
    Result<id> parseQuotedString();
    Result<id> parseBareString();
    // Skips white space and comments; answers the next character, or 0 at the end.
    char peek();
    bool consume(char expected);
    NSError error(const std::string& what) const;

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t maxDepth_;
};
