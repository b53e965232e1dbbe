#include "XMLPropertyListText.h"

#include "CivilDateTime.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSNumber.h"
#include "TextSanitizer.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && XMLPropertyListText::isWhitespace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && XMLPropertyListText::isWhitespace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

int digitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// "#65" or "#x41" (the text between '&' and ';'). At most eight characters, as libplist reads them, and a
// code point from 1 to 0x10FFFF.
std::optional<std::uint32_t> characterReference(std::string_view reference)
{
    if (reference.size() < 2 || reference.size() > 8 || reference[0] != '#') {
        return std::nullopt;
    }
    int base = 10;
    std::string_view digits = reference.substr(1);
    if (digits[0] == 'x' || digits[0] == 'X') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint32_t codePoint = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        codePoint = codePoint * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    if (codePoint == 0 || codePoint > 0x10FFFF) {
        return std::nullopt;
    }
    return codePoint;
}

// The value of digits of the base; nothing when it does not fit 64 bits.
std::optional<std::uint64_t> magnitudeOf(std::string_view digits, int base)
{
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(digit)) /
                        static_cast<std::uint64_t>(base)) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

// "YYYY-MM-DDTHH:MM:SSZ" as seconds since 1970, or nothing.
std::optional<std::int64_t> secondsSince1970(std::string_view text)
{
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    // Every position checked without an early exit: a log holds thousands of dates, all well-formed.
    bool wellFormed = true;
    const auto field = [&](std::size_t at, std::size_t length) {
        unsigned value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
            wellFormed &= digit <= 9;
            value = value * 10 + digit;
        }
        return value;
    };
    const unsigned year = field(0, 4), month = field(5, 2), day = field(8, 2);
    const unsigned hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    wellFormed &= text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' && text[16] == ':' &&
                  text[19] == 'Z';
    if (!wellFormed || month < 1 || month > 12 || day < 1 || day > CivilDateTime::daysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    return CivilDateTime::daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    return c == '/' ? 63 : -1;
}

std::optional<std::string> base64Decoded(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int sextets = 0;
    int padding = 0;
    for (const char c : text) {
        if (XMLPropertyListText::isWhitespace(c)) {
            continue;
        }
        if (c == '=') {
            // Padding completes the last group: after two or three characters of it.
            if (sextets + padding < 2 || ++padding > 2) {
                return std::nullopt;
            }
            continue;
        }
        const int value = base64Value(c);
        if (value < 0 || padding > 0) {
            return std::nullopt;
        }
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++sextets == 4) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
            sextets = 0;
        }
    }
    if (padding > 0 && sextets + padding != 4) {
        return std::nullopt;
    }
    if (padding == 0 && sextets != 0) {
        return std::nullopt;
    }
    if (sextets == 2) {
        bytes += static_cast<char>(group >> 4);
    } else if (sextets == 3) {
        bytes += static_cast<char>(group >> 10);
        bytes += static_cast<char>(group >> 2);
    }
    return bytes;
}

} // namespace

bool XMLPropertyListText::appendDecoded(std::string& out, std::string_view text)
{
    while (!text.empty()) {
        const std::size_t ampersand = text.find('&');
        out.append(text.substr(0, ampersand));
        if (ampersand == std::string_view::npos) {
            return true;
        }
        const std::size_t semicolon = text.find(';', ampersand);
        if (semicolon == std::string_view::npos) {
            return false;
        }
        const std::string_view reference = text.substr(ampersand + 1, semicolon - ampersand - 1);
        if (reference == "amp") {
            out += '&';
        } else if (reference == "lt") {
            out += '<';
        } else if (reference == "gt") {
            out += '>';
        } else if (reference == "quot") {
            out += '"';
        } else if (reference == "apos") {
            out += '\'';
        } else if (const auto codePoint = characterReference(reference)) {
            TextSanitizer::appendUTF8(out, *codePoint);
        } else {
            return false;
        }
        text.remove_prefix(semicolon + 1);
    }
    return true;
}


Result<id> XMLPropertyListText::integer(std::string_view text)
{
    std::string_view digits = trimmed(text);
    if (digits.empty()) {
        return id(NSNumber::numberWithInteger(0));
    }
    const bool negative = digits[0] == '-';
    if (digits[0] == '-' || digits[0] == '+') {
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.size() > 1 && digits[0] == '0') {
        return NSError("not an integer (leading zeros)");
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [base](char c) { return digitValue(c, base) >= 0; })) {
        return NSError(fmt::format("not an integer: '{}'", text));
    }
    const auto magnitude = magnitudeOf(digits, base);
    constexpr auto kSignedMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!magnitude || (negative && *magnitude > kSignedMax + 1)) {
        return NSError(fmt::format("integer out of range: '{}'", text));
    }
    if (negative) {
        return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(0 - *magnitude)));
    }
    if (*magnitude > kSignedMax) {
        return id(NSNumber::numberWithUnsignedInteger(*magnitude));
    }
    return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(*magnitude)));
}

Result<id> XMLPropertyListText::real(std::string_view text)
{
    const std::string number(trimmed(text));
    if (number.empty()) {
        return id(NSNumber::numberWithDouble(0));
    }
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) {
        return NSError(fmt::format("not a real number: '{}'", number));
    }
    return id(NSNumber::numberWithDouble(value));
}

Result<double> XMLPropertyListText::date(std::string_view text)
{
    const auto seconds = secondsSince1970(text);
    if (!seconds) {
        return NSError(fmt::format("not a date of the form YYYY-MM-DDTHH:MM:SSZ: '{}'", text));
    }
    return static_cast<double>(*seconds) - NSDate::kReferenceDateFromUnixEpoch;
}

Result<id> XMLPropertyListText::data(std::string_view text)
{
    auto bytes = base64Decoded(text);
    if (!bytes) {
        return NSError("not base64 data");
    }
    return id(NSData::dataWithBytes(*bytes));
}
