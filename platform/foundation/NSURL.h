#pragma once

#include "NSObject.h"

#include <string>

// A URL as text. Only well-formed text becomes a URL: `URLWithString` answers null for text with a
// character a URL may not hold unescaped (space, control or non-ASCII characters, `"<>\^`{|}`) or with
// a '%' not followed by two hex digits, as the platform does.
class NSURL final : public NSObject {
public:
    struct Private;
    NSURL(Private, std::string text, std::string scheme);

    static std::shared_ptr<NSURL> URLWithString(const std::string& text);

    const std::string& absoluteString() const { return text_; }
    // The part before the first ':' when it is a valid scheme ("http", "tel"); empty for a relative URL.
    const std::string& scheme() const { return scheme_; }

    std::string description() const override { return text_; }
    std::string className() const override { return "NSURL"; }
    bool isEqual(const NSObject& other) const override;

private:
    const std::string text_;
    const std::string scheme_;
};
