#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text from the log made fit for one line of a terminal table. Record texts may hold anything a producer
// put there (a message with line breaks, a plug-in's escape sequences, bytes that are not UTF-8); shown raw,
// they would break a row over several lines, move the cursor or reorder the line.
class DisplayText {
public:
    // Well-formed UTF-8 (ill-formed bytes become U+FFFD) on one line: a backslash, line breaks, tabs and
    // other control characters, the Unicode line and paragraph separators and the bidirectional controls
    // are written as escapes ("\\", "\n", "\t", "\x1b", "\u2028", "\u202e"), so the text reads back
    // unambiguously and stays in its column.
    static std::string escaped(std::string_view text);
    // The columns well-formed UTF-8 text takes on a terminal: two for wide and full-width characters
    // (CJK, most emoji), none for combining marks and other zero-width characters, one otherwise.
    static std::size_t width(std::string_view text);
};
