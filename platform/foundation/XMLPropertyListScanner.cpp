#include "XMLPropertyListScanner.h"

#include <fmt/format.h>

namespace {

bool isNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

class Scan {
public:
    Scan(std::string_view xml, const PropertyListLimits& limits)
        : xml_(xml), maxElementDepth_(limits.effectiveMaxDepth() + 1), maxElements_(limits.maxObjects + 1)
    {
    }

    std::optional<NSError> run()
    {
        // XML forbids NUL; the parsing library would cut names and keys at it.
        if (xml_.find('\0') != std::string_view::npos) {
            return NSError("NUL byte in XML");
        }
        while (true) {
            const std::size_t open = xml_.find('<', position_);
            if (open == std::string_view::npos) {
                return std::nullopt;
            }
            position_ = open;
            if (auto error = markup()) {
                return error;
            }
        }
    }

private:
    bool startsWith(std::string_view prefix) const { return xml_.substr(position_, prefix.size()) == prefix; }

    std::optional<NSError> skipPast(std::string_view terminator, const char* what)
    {
        const std::size_t end = xml_.find(terminator, position_);
        if (end == std::string_view::npos) {
            return NSError(fmt::format("unterminated {}", what));
        }
        position_ = end + terminator.size();
        return std::nullopt;
    }

    std::optional<NSError> markup()
    {
        if (startsWith("<!--")) {
            position_ += 4;
            return skipPast("-->", "comment");
        }
        if (startsWith("<![CDATA[")) {
            position_ += 9;
            return skipPast("]]>", "CDATA section");
        }
        if (startsWith("<?")) {
            position_ += 2;
            return skipPast("?>", "processing instruction");
        }
        if (startsWith("<!")) {
            return declaration();
        }
        if (startsWith("</")) {
            return endTag();
        }
        if (position_ + 1 < xml_.size() && isNameStart(static_cast<unsigned char>(xml_[position_ + 1]))) {
            return startTag();
        }
        return NSError(fmt::format("malformed markup at byte {}", position_));
    }

    // Moves past the '>' that closes the tag at position_, honouring quoted values. Answers whether the
    // tag was self-closing ("/>").
    std::optional<NSError> skipTag(bool& selfClosing)
    {
        char quote = 0;
        for (std::size_t i = position_ + 1; i < xml_.size(); ++i) {
            const char c = xml_[i];
            if (c == '<') {
                return NSError(fmt::format("'<' inside a tag at byte {}", i));
            }
            if (quote) {
                if (c == quote) {
                    quote = 0;
                }
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                selfClosing = xml_[i - 1] == '/';
                position_ = i + 1;
                return std::nullopt;
            }
        }
        return NSError("unterminated tag");
    }

    // "<!DOCTYPE plist PUBLIC ...>": refused when it carries an internal subset ('['), which could
    // declare entities.
    std::optional<NSError> declaration()
    {
        char quote = 0;
        for (std::size_t i = position_ + 2; i < xml_.size(); ++i) {
            const char c = xml_[i];
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                return NSError("document type declarations with an internal subset are not read");
            } else if (c == '<') {
                return NSError(fmt::format("'<' inside a declaration at byte {}", i));
            } else if (c == '>') {
                position_ = i + 1;
                return std::nullopt;
            }
        }
        return NSError("unterminated declaration");
    }

    std::optional<NSError> endTag()
    {
        bool selfClosing = false;
        if (auto error = skipTag(selfClosing)) {
            return error;
        }
        if (depth_ > 0) {
            --depth_;
        }
        return std::nullopt;
    }

    std::optional<NSError> startTag()
    {
        bool selfClosing = false;
        if (auto error = skipTag(selfClosing)) {
            return error;
        }
        if (++elements_ > maxElements_) {
            return NSError(fmt::format("more than {} values", maxElements_ - 1));
        }
        if (depth_ + 1 > maxElementDepth_) {
            return NSError(fmt::format("nested deeper than {} levels", maxElementDepth_ - 1));
        }
        if (!selfClosing) {
            ++depth_;
        }
        return std::nullopt;
    }

    const std::string_view xml_;
    const std::size_t maxElementDepth_;
    const std::size_t maxElements_;
    std::size_t position_ = 0;
    std::size_t depth_ = 0;
    std::size_t elements_ = 0;
};

} // namespace

std::optional<NSError> XMLPropertyListScanner::check(std::string_view xml, const PropertyListLimits& limits)
{
    return Scan(xml, limits).run();
}
