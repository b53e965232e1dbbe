#include "TextSanitizer.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Decodes one character at `at`. Answers the number of bytes that form it (0 < length) and whether they
// form a well-formed character; an ill-formed sequence answers the length of its maximal subpart.
struct Decoded {
    std::size_t length;
    bool valid;
    char32_t codePoint;
};

Decoded decode(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return {1, true, lead};
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, false, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            return {i, false, 0};
        }
        const unsigned char next = byte(at + i);
        const unsigned char min = i == 1 ? low : 0x80;
        const unsigned char max = i == 1 ? high : 0xBF;
        if (next < min || next > max) {
            return {i, false, 0};
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {length, true, codePoint};
}

bool isAllowedInXML(char32_t c)
{
    if (c < 0x20) {
        return c == '\t' || c == '\n' || c == '\r';
    }
    return c != 0xFFFE && c != 0xFFFF;
}

template <class Keep>
std::string rebuild(std::string_view text, Keep keep)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Decoded d = decode(text, at);
        if (!d.valid) {
            out += kReplacement;
        } else if (keep(d.codePoint)) {
            out.append(text.substr(at, d.length));
        }
        at += d.length;
    }
    return out;
}

} // namespace

bool TextSanitizer::isValidUTF8(std::string_view text)
{
    // Most text is ASCII: skip it eight bytes at a time.
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (word & 0x8080808080808080u) {
            break;
        }
    }
    while (at < text.size()) {
        const Decoded d = decode(text, at);
        if (!d.valid) {
            return false;
        }
        at += d.length;
    }
    return true;
}

std::string TextSanitizer::validUTF8(std::string_view text)
{
    if (isValidUTF8(text)) {
        return std::string(text);
    }
    return rebuild(text, [](char32_t) { return true; });
}

std::string TextSanitizer::sanitizedForXML(std::string_view text)
{
    return rebuild(text, isAllowedInXML);
}

void TextSanitizer::appendUTF8(std::string& out, std::uint32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}
