#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Makes text safe for property lists. Strings in memory may hold any bytes (a plug-in's record, a
// truncated message), but a written file must always read back, and XML 1.0 allows only well-formed
// UTF-8 without most control characters.
class TextSanitizer {
public:
    // Well-formed UTF-8: each maximal ill-formed subsequence becomes one U+FFFD, as Unicode recommends.
    static std::string validUTF8(std::string_view text);
    // validUTF8, then without the characters XML 1.0 forbids (controls other than tab, line feed and
    // carriage return, NUL, U+FFFE and U+FFFF).
    static std::string sanitizedForXML(std::string_view text);
    // Appends the code point's UTF-8 bytes. A surrogate code point is encoded like any other (validUTF8
    // turns it into U+FFFD afterwards). REQUIRES: codePoint <= 0x10FFFF.
    static void appendUTF8(std::string& out, std::uint32_t codePoint);
    // Whether validUTF8 would change nothing.
    static bool isValidUTF8(std::string_view text);
};
