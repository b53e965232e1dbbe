#include "UITextBudget.h"

#include <glib.h>

namespace {

constexpr std::string_view kZeroWidthSpace = "\u200B";
constexpr gunichar kZeroWidthJoiner = 0x200D;

// Reads the code point at `at` and moves past it; a malformed byte counts as one character of its own.
gunichar next(std::string_view text, std::size_t& at)
{
    const auto* start = reinterpret_cast<const guchar*>(text.data() + at);
    const gunichar c = g_utf8_get_char_validated(text.data() + at, static_cast<gssize>(text.size() - at));
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
        ++at;
        return *start;
    }
    at += static_cast<std::size_t>(g_utf8_skip[*start]);
    return c;
}

bool takesRoom(gunichar c) { return !g_unichar_iszerowidth(c); }

// Whether a line may break beside this character without breaking a word.
bool endsRun(gunichar c)
{
    switch (g_unichar_break_type(c)) {
    case G_UNICODE_BREAK_SPACE:
    case G_UNICODE_BREAK_ZERO_WIDTH_SPACE:
    case G_UNICODE_BREAK_IDEOGRAPHIC:
    case G_UNICODE_BREAK_HYPHEN:
    case G_UNICODE_BREAK_AFTER:
    case G_UNICODE_BREAK_BEFORE:
    case G_UNICODE_BREAK_BEFORE_AND_AFTER:
    case G_UNICODE_BREAK_MANDATORY:
    case G_UNICODE_BREAK_LINE_FEED:
    case G_UNICODE_BREAK_CARRIAGE_RETURN:
    case G_UNICODE_BREAK_NEXT_LINE:
        return true;
    default:
        return g_unichar_isspace(c) != 0;
    }
}

// Appends a run, with a zero-width space before each of its characters that take room but the first,
// unless it follows a joiner.
void appendBroken(std::string& out, std::string_view run)
{
    gunichar previous = 0;
    bool first = true;
    for (std::size_t at = 0; at < run.size();) {
        const std::size_t start = at;
        const gunichar c = next(run, at);
        if (takesRoom(c) && !first && previous != kZeroWidthJoiner) {
            out += kZeroWidthSpace;
        }
        first = first && !takesRoom(c);
        out.append(run.substr(start, at - start));
        previous = c;
    }
}

} // namespace

std::size_t UITextBudget::visibleCharacters(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size();) {
        count += takesRoom(next(text, at)) ? 1 : 0;
    }
    return count;
}

std::string UITextBudget::breakingLongRuns(std::string_view text, std::size_t longestRun)
{
    std::string out;
    out.reserve(text.size());
    std::size_t runStart = 0;
    std::size_t runLength = 0;
    const auto endRun = [&](std::size_t end) {
        const std::string_view run = text.substr(runStart, end - runStart);
        if (runLength > longestRun) {
            appendBroken(out, run);
        } else {
            out.append(run);
        }
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const gunichar c = next(text, at);
        if (endsRun(c)) {
            endRun(start);
            out.append(text.substr(start, at - start));
            runStart = at;
            runLength = 0;
        } else {
            runLength += takesRoom(c) ? 1 : 0;
        }
    }
    endRun(text.size());
    return out;
}

std::string_view UITextBudget::prefix(std::string_view text, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        if (takesRoom(next(text, at)) && ++seen > count) {
            return text.substr(0, start);
        }
    }
    return text;
}

std::string_view UITextBudget::suffix(std::string_view text, std::size_t count)
{
    const std::size_t total = visibleCharacters(text);
    return count >= total ? text : text.substr(prefix(text, total - count).size());
}
