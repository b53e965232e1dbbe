#include "JsonValidator.h"

#include "TextSanitizer.h"

#include <cctype>
#include <stdexcept>

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    void document()
    {
        value();
        space();
        if (at_ != text_.size()) {
            fail("text after the value");
        }
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error(what + " at offset " + std::to_string(at_));
    }
    bool more() const { return at_ < text_.size(); }
    char peek() const { return more() ? text_[at_] : '\0'; }
    void expect(char c)
    {
        if (peek() != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++at_;
    }
    void space()
    {
        while (more() && (peek() == ' ' || peek() == '\n' || peek() == '\t' || peek() == '\r')) {
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
    void digits()
    {
        if (!std::isdigit(static_cast<unsigned char>(peek()))) {
            fail("expected a digit");
        }
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            ++at_;
        }
    }
    void number()
    {
        if (peek() == '-') {
            ++at_;
        }
        if (peek() == '0') {
            ++at_;
        } else {
            digits();
        }
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
    }
    void string()
    {
        expect('"');
        const std::size_t start = at_;
        while (true) {
            if (!more()) {
                fail("unterminated string");
            }
            const auto c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                break;
            }
            if (c < 0x20) {
                fail("raw control character in a string");
            }
            if (c == '\\') {
                ++at_;
                const char e = peek();
                if (e == 'u') {
                    for (int i = 0; i < 4; ++i) {
                        ++at_;
                        if (!std::isxdigit(static_cast<unsigned char>(peek()))) {
                            fail("bad \\u escape");
                        }
                    }
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    fail("bad escape");
                }
            }
            ++at_;
        }
        if (!TextSanitizer::isValidUTF8(text_.substr(start, at_ - start))) {
            fail("string is not well-formed UTF-8");
        }
        ++at_;
    }
    void value()
    {
        space();
        switch (peek()) {
        case '{':
            ++at_;
            space();
            if (peek() == '}') {
                ++at_;
                return;
            }
            while (true) {
                space();
                string();
                space();
                expect(':');
                value();
                space();
                if (peek() == ',') {
                    ++at_;
                    continue;
                }
                expect('}');
                return;
            }
        case '[':
            ++at_;
            space();
            if (peek() == ']') {
                ++at_;
                return;
            }
            while (true) {
                value();
                space();
                if (peek() == ',') {
                    ++at_;
                    continue;
                }
                expect(']');
                return;
            }
        case '"':
            string();
            return;
        case 't':
            literal("true");
            return;
        case 'f':
            literal("false");
            return;
        case 'n':
            literal("null");
            return;
        default:
            number();
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

std::string JsonValidator::problem(std::string_view text)
{
    try {
        Parser(text).document();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return {};
}
