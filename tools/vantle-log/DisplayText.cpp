#include "DisplayText.h"

#include "TextSanitizer.h"

#include <fmt/format.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

bool isBidiControl(UChar32 c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The escape for a character that must not reach the terminal as it is, or empty for one that may.
std::string escapeFor(UChar32 c)
{
    switch (c) {
    case '\\':
        return "\\\\";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
        return fmt::format("\\x{:02x}", c);
    }
    if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || isBidiControl(c)) {
        return fmt::format("\\u{:04x}", c);
    }
    return {};
}

int columnsOf(UChar32 c)
{
    const auto category = static_cast<UCharCategory>(u_charType(c));
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR ||
        category == U_CONTROL_CHAR) {
        return 0;
    }
    const auto eastAsian = static_cast<UEastAsianWidth>(u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH));
    return eastAsian == U_EA_WIDE || eastAsian == U_EA_FULLWIDTH ? 2 : 1;
}

} // namespace

std::string DisplayText::escaped(std::string_view text)
{
    const std::string valid = TextSanitizer::validUTF8(text);
    std::string out;
    out.reserve(valid.size());
    const auto length = static_cast<int32_t>(valid.size());
    int32_t at = 0;
    while (at < length) {
        const int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(valid.data(), at, length, c);
        const std::string escape = escapeFor(c);
        if (escape.empty()) {
            out.append(valid, static_cast<std::size_t>(start), static_cast<std::size_t>(at - start));
        } else {
            out += escape;
        }
    }
    return out;
}

std::size_t DisplayText::width(std::string_view text)
{
    const auto length = static_cast<int32_t>(text.size());
    std::size_t columns = 0;
    int32_t at = 0;
    while (at < length) {
        UChar32 c = 0;
        U8_NEXT(text.data(), at, length, c);
        columns += c < 0 ? 1 : static_cast<std::size_t>(columnsOf(c));
    }
    return columns;
}
