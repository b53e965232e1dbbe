#include "JsonValue.h"

#include "TextSanitizer.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    JsonValue document()
    {
        JsonValue result = value(0);
        space();
        if (at_ != text_.size()) {
            fail("text after the value");
        }
        return result;
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error(what + " at offset " + std::to_string(at_));
    }
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void expect(char c)
    {
        if (peek() != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++at_;
    }
    bool take(char c)
    {
        space();
        if (peek() != c) {
            return false;
        }
        ++at_;
        return true;
    }
    void space()
    {
        while (peek() == ' ' || peek() == '\n' || peek() == '\t' || peek() == '\r') {
            ++at_;
        }
    }
    void literal(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word) {
            fail("bad literal");
        }
        at_ += word.size();
    }

    JsonValue value(int depth)
    {
        if (depth > kMaxDepth) {
            fail("nested too deep");
        }
        space();
        JsonValue result;
        switch (peek()) {
        case '{':
            result.value_ = object(depth);
            break;
        case '[':
            result.value_ = array(depth);
            break;
        case '"':
            result.value_ = string();
            break;
        case 't':
            literal("true");
            result.value_ = true;
            break;
        case 'f':
            literal("false");
            result.value_ = false;
            break;
        case 'n':
            literal("null");
            break;
        default:
            result.value_ = number();
        }
        return result;
    }

    JsonValue::Object object(int depth)
    {
        expect('{');
        JsonValue::Object members;
        if (take('}')) {
            return members;
        }
        do {
            space();
            std::string key = string();
            if (!take(':')) {
                fail("expected ':'");
            }
            members[std::move(key)] = value(depth + 1);
        } while (take(','));
        if (!take('}')) {
            fail("expected ',' or '}'");
        }
        return members;
    }

    JsonValue::Array array(int depth)
    {
        expect('[');
        JsonValue::Array elements;
        if (take(']')) {
            return elements;
        }
        do {
            elements.push_back(value(depth + 1));
        } while (take(','));
        if (!take(']')) {
            fail("expected ',' or ']'");
        }
        return elements;
    }

    double number()
    {
        const std::size_t start = at_;
        auto digits = [&] {
            if (!std::isdigit(static_cast<unsigned char>(peek()))) {
                fail("expected a digit");
            }
            while (std::isdigit(static_cast<unsigned char>(peek()))) {
                ++at_;
            }
        };
        if (peek() == '-') {
            ++at_;
        }
        digits();
        if (peek() == '.') {
            ++at_;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') {
                ++at_;
            }
            digits();
        }
        return std::strtod(std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
    }

    unsigned hex4()
    {
        if (at_ + 4 > text_.size()) {
            fail("bad \\u escape");
        }
        const std::string digits(text_.substr(at_, 4));
        for (const char c : digits) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                fail("bad \\u escape");
            }
        }
        at_ += 4;
        return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
    }

    void escape(std::string& out)
    {
        const char e = peek();
        ++at_;
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out += e;
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'u':
            break;
        default:
            fail("bad escape");
        }
        unsigned code = hex4();
        if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            const unsigned low = hex4();
            if (low < 0xDC00 || low >= 0xE000) {
                fail("unpaired surrogate");
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        TextSanitizer::appendUTF8(out, code);
    }

    std::string string()
    {
        expect('"');
        std::string out;
        while (true) {
            if (at_ >= text_.size()) {
                fail("unterminated string");
            }
            const char c = text_[at_++];
            if (c == '"') {
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("raw control character in a string");
            }
            if (c == '\\') {
                escape(out);
            } else {
                out += c;
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string& problem)
{
    try {
        return JsonParser(text).document();
    } catch (const std::runtime_error& error) {
        problem = error.what();
        return std::nullopt;
    }
}

std::optional<bool> JsonValue::boolean() const
{
    const bool* value = std::get_if<bool>(&value_);
    return value ? std::optional(*value) : std::nullopt;
}

std::optional<double> JsonValue::number() const
{
    const double* value = std::get_if<double>(&value_);
    return value ? std::optional(*value) : std::nullopt;
}

std::optional<std::string> JsonValue::string() const
{
    const std::string* value = std::get_if<std::string>(&value_);
    return value ? std::optional(*value) : std::nullopt;
}

const JsonValue::Array& JsonValue::array() const
{
    static const Array empty;
    const Array* value = std::get_if<Array>(&value_);
    return value ? *value : empty;
}

const JsonValue::Object& JsonValue::object() const
{
    static const Object empty;
    const Object* value = std::get_if<Object>(&value_);
    return value ? *value : empty;
}

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    static const JsonValue null;
    const auto& members = object();
    const auto found = members.find(key);
    return found == members.end() ? null : found->second;
}
