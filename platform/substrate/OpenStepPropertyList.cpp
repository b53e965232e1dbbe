#include "OpenStepPropertyList.h"

#include "NSArray.h"
#include "NSDictionary.h"
#include "NSString.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

bool isBareStringCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '/' || c == ':' || c == '.'
        || c == '-';
}

// Appends a code point of the Basic Multilingual Plane; a lone surrogate becomes U+FFFD.
void appendUtf8(std::string& out, unsigned codePoint)
{
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
        codePoint = 0xFFFD;
    }
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

Result<id> OpenStepPropertyList::parse(std::string_view text, std::size_t maxDepth)
{
    OpenStepPropertyList parser(text, maxDepth);
    Result<id> value = parser.parseValue(0);
    if (value && parser.peek() != 0) {
        return parser.error("nothing after the value");
    }
    return value;
}

bool OpenStepPropertyList::looksLikeOpenStep(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && std::string_view("{(\"/").find(text[first]) != std::string_view::npos;
}

Result<id> OpenStepPropertyList::parseValue(std::size_t depth)
{
    switch (peek()) {
    case '{':
    case '(':
        if (depth >= maxDepth_) {
            return error("nested deeper than " + std::to_string(maxDepth_) + " levels");
        }
        return peek() == '{' ? parseDictionary(depth + 1) : parseArray(depth + 1);
    default:
        return parseString();
    }
}

Result<id> OpenStepPropertyList::parseDictionary(std::size_t depth)
{
    consume('{');
    NSDictionary::Entries entries;
    while (!consume('}')) {
        Result<id> key = parseString();
        if (!key) {
            return key;
        }
        if (!consume('=')) {
            return error("'=' expected");
        }
        Result<id> value = parseValue(depth);
        if (!value) {
            return value;
        }
        if (!consume(';')) {
            return error("';' expected");
        }
        entries.insert_or_assign(as<NSString>(key.value())->string(), std::move(value).value());
    }
    return id(NSDictionary::dictionaryWithEntries(std::move(entries)));
}

Result<id> OpenStepPropertyList::parseArray(std::size_t depth)
{
    consume('(');
    std::vector<id> objects;
    while (!consume(')')) {
        Result<id> value = parseValue(depth);
        if (!value) {
            return value;
        }
        objects.push_back(std::move(value).value());
        if (!consume(',') && peek() != ')') {
            return error("',' or ')' expected");
        }
    }
    return id(NSArray::arrayWithObjects(std::move(objects)));
}

Result<id> OpenStepPropertyList::parseString()
{
    const char next = peek();
    if (next == '"') {
        return parseQuotedString();
    }
    if (isBareStringCharacter(next)) {
        return parseBareString();
    }
    return error(next == 0 ? "a value expected, not the end" : "a value expected");
}

Result<id> OpenStepPropertyList::parseQuotedString()
{
    ++position_; // the opening quote
    std::string value;
    while (position_ < text_.size() && text_[position_] != '"') {
        char c = text_[position_++];
        if (c == '\\' && position_ < text_.size()) {
            c = text_[position_++];
            if (c == 'U' && position_ + 4 <= text_.size()) {
                const std::string hex(text_.substr(position_, 4));
                if (hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                    appendUtf8(value, static_cast<unsigned>(std::stoul(hex, nullptr, 16)));
                    position_ += 4;
                    continue;
                }
            }
            c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        value += c;
    }
    if (position_ >= text_.size()) {
        return error("unterminated string");
    }
    ++position_; // the closing quote
    return id(NSString::stringWithString(std::move(value)));
}

Result<id> OpenStepPropertyList::parseBareString()
{
    const std::size_t start = position_;
    while (position_ < text_.size() && isBareStringCharacter(text_[position_])) {
        ++position_;
    }
    return id(NSString::stringWithString(std::string(text_.substr(start, position_ - start))));
}

char OpenStepPropertyList::peek()
{
    while (position_ < text_.size()) {
        const std::string_view rest = text_.substr(position_);
        if (std::isspace(static_cast<unsigned char>(rest.front()))) {
            ++position_;
        } else if (rest.starts_with("//")) {
            const std::size_t end = rest.find('\n');
            position_ = end == std::string_view::npos ? text_.size() : position_ + end + 1;
        } else if (rest.starts_with("/*")) {
            const std::size_t end = rest.find("*/", 2);
            position_ = end == std::string_view::npos ? text_.size() : position_ + end + 2;
        } else {
            return rest.front();
        }
    }
    return 0;
}

bool OpenStepPropertyList::consume(char expected)
{
    if (peek() != expected) {
        return false;
    }
    ++position_;
    return true;
}

NSError OpenStepPropertyList::error(const std::string& what) const
{
    return NSError("not a valid text property list: " + what + " at byte " + std::to_string(position_));
}
