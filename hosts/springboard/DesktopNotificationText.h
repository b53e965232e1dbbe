#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The texts of a desktop notification as the phone shows them: plain, well-formed UTF-8 of a size a
// pop-up and a log record can hold, whatever a client sent.
class DesktopNotificationText {
public:
    // Well-formed UTF-8 (see TextSanitizer) of at most maxBytes. A longer text is cut at a character
    // boundary and ends with "…" (within the bytes). maxBytes must be at least 3.
    static std::string truncated(std::string_view text, std::size_t maxBytes);

    // The text of a body in the freedesktop notifications protocol's markup (a few HTML tags: b, i, u, a,
    // img): every tag and comment dropped, <br> as a line break, the character references (&amp; &lt; &gt;
    // &quot; &apos; and numeric ones) decoded. A "<" that starts no tag and an "&" that starts no known
    // reference stand as text, so a plain-text body comes through unchanged. Linear in the input, however
    // it is nested or left unterminated. The result may still hold ill-formed UTF-8 from the input.
    static std::string plainText(std::string_view markup);

private:
    // Appends the character a reference names ("amp", "#38", "#x26") to text; false when it names none.
    static bool appendReference(std::string_view name, std::string& text);
    static void appendCodePoint(char32_t codePoint, std::string& text);
};
