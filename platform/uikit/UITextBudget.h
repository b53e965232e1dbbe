#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How much of a text is worth handing to Pango. Laying out costs time in proportion to the text laid out,
// and breaking a line inside a word costs Pango a scan of the rest of that word, so a single word of tens
// of thousands of characters takes seconds to wrap. The text engine therefore lays out
// - the text with a break allowed between the characters of every run too long for any line: Pango
//   would break such a run between characters anyway, and with the breaks given it does so in linear time;
// - only a prefix (or suffix) of as many characters as can be seen, when the rest cannot show.
// Characters are counted as they take room: marks and format characters (which take none) are not.
class UITextBudget {
public:
    // The characters of the text that take room.
    static std::size_t visibleCharacters(std::string_view text);
    // The text with a zero-width space before each character of every run of more than `longestRun`
    // characters in which no line could break (no space, hyphen or ideograph), but the first. Marks stay
    // with the character they follow.
    static std::string breakingLongRuns(std::string_view text, std::size_t longestRun);
    // The text up to its `count`-th character that takes room (with the marks that follow it).
    static std::string_view prefix(std::string_view text, std::size_t count);
    // The text from its `count`-th last character that takes room.
    static std::string_view suffix(std::string_view text, std::size_t count);
};
