#include "NSURL.h"

#include <string_view>

struct NSURL::Private {};

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Unreserved, reserved (general and sub-delimiters) characters of RFC 3986; '%' is checked apart.
bool isURLCharacter(char c)
{
    static constexpr std::string_view kMarks = "-._~:/?#[]@!$&'()*+,;=";
    return isAlpha(c) || isDigit(c) || kMarks.find(c) != std::string_view::npos;
}

bool isWellFormed(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!isURLCharacter(text[i])) {
            return false;
        }
    }
    return true;
}

std::string schemeOf(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !isAlpha(text[0])) {
        return {};
    }
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = text[i];
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return {};
        }
    }
    return text.substr(0, colon);
}

} // namespace

NSURL::NSURL(Private, std::string text, std::string scheme) : text_(std::move(text)), scheme_(std::move(scheme)) {}

std::shared_ptr<NSURL> NSURL::URLWithString(const std::string& text)
{
    if (text.empty() || !isWellFormed(text)) {
        return nullptr;
    }
    return std::make_shared<NSURL>(Private{}, text, schemeOf(text));
}

bool NSURL::isEqual(const NSObject& other) const
{
    const auto* url = dynamic_cast<const NSURL*>(&other);
    return url && url->text_ == text_;
}
