#pragma once

#include "NSComparisonResult.h"
#include "NSObject.h"

#include <string>
#include <string_view>

// An immutable UTF-8 string.
class NSString final : public NSObject {
public:
    explicit NSString(std::string value) : value_(std::move(value)) {}

    static std::shared_ptr<NSString> stringWithString(std::string value)
    {
        return std::make_shared<NSString>(std::move(value));
    }

    const std::string& string() const { return value_; }
    std::size_t length() const { return value_.size(); }

    // Compares after full Unicode case folding (ICU), in code-point order of the folded texts, so
    // "ärger" and "ÄRGER" are the same and "Straße" equals "STRASSE". Not locale-sensitive.
    NSComparisonResult caseInsensitiveCompare(const NSString& other) const;

    std::string description() const override { return value_; }
    std::string className() const override { return "NSString"; }
    bool isEqual(const NSObject& other) const override;

private:
    const std::string value_;
};
