#include "DesktopNotificationText.h"

#include "TextSanitizer.h"

#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace {

constexpr std::string_view kEllipsis = "\u2026";
// The longest reference worth reading: "&#x10FFFF;" is ten characters.
constexpr std::size_t kMaxReferenceLength = 10;

bool startsTag(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '/' || c == '!' || c == '?';
}

// The tag's name in lower case: "br" for "<br>", "<BR/>" and "<br />".
std::string tagName(std::string_view tag)
{
    std::string name;
    for (const char c : tag) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            break;
        }
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

// The index of the first byte of the character that holds index `at`.
std::size_t characterStart(std::string_view text, std::size_t at)
{
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

} // namespace

std::string DesktopNotificationText::truncated(std::string_view text, std::size_t maxBytes)
{
    std::string valid = TextSanitizer::validUTF8(text);
    if (valid.size() <= maxBytes) {
        return valid;
    }
    valid.resize(characterStart(valid, maxBytes - kEllipsis.size()));
    valid += kEllipsis;
    return valid;
}

std::string DesktopNotificationText::plainText(std::string_view markup)
{
    std::string text;
    text.reserve(markup.size());
    std::size_t at = 0;
    while (at < markup.size()) {
        const char c = markup[at];
        if (c == '<' && at + 1 < markup.size() && startsTag(markup[at + 1])) {
            const bool comment = markup.substr(at, 4) == "<!--";
            const std::size_t end = comment ? markup.find("-->", at + 4) : markup.find('>', at + 1);
            if (end == std::string_view::npos) {
                break; // an unterminated tag or comment runs to the end: nothing after it is text
            }
            if (!comment && tagName(markup.substr(at + 1, end - at - 1)) == "br") {
                text += '\n';
            }
            at = end + (comment ? 3 : 1);
            continue;
        }
        if (c == '&') {
            // Only a short stretch is searched, so a body of ampersands costs no more than its length.
            const std::size_t length = markup.substr(at + 1, kMaxReferenceLength + 1).find(';');
            if (length != std::string_view::npos && appendReference(markup.substr(at + 1, length), text)) {
                at += length + 2;
                continue;
            }
        }
        text += c;
        ++at;
    }
    return text;
}

bool DesktopNotificationText::appendReference(std::string_view name, std::string& text)
{
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (const auto& [named, character] : kNamed) {
        if (name == named) {
            text += character;
            return true;
        }
    }
    if (name.size() < 2 || name[0] != '#') {
        return false;
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t codePoint = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    appendCodePoint(static_cast<char32_t>(codePoint), text);
    return true;
}

void DesktopNotificationText::appendCodePoint(char32_t codePoint, std::string& text)
{
    const bool valid = codePoint != 0 && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
    if (!valid) {
        codePoint = 0xFFFD;
    }
    TextSanitizer::appendUTF8(text, static_cast<std::uint32_t>(codePoint));
}
