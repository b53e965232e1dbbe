#pragma once

#include "UIView.h"

#include <cstdint>
#include <string>

// The count badge of a group header: a grey pill as wide as its text in the bold 14-point font plus 16
// points, 18 high, with the text cut out of it so that what lies behind the badge shows through the digits.
// It draws in its own fixed rectangle from its top-left corner, whatever its frame.
class GMBadgeView final : public UIView {
public:
    static constexpr double kHeight = 18;
    static constexpr double kHorizontalPadding = 16;

    explicit GMBadgeView(CGRect frame = CGRectZero);

    std::int32_t badgeNumber() const { return badgeNumber_; }
    // Stores the number and makes it the text.
    void setBadgeNumber(std::int32_t number);
    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }

    // The pill's size for a text.
    static CGSize pillSizeForText(const std::string& text);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "GMBadgeView"; }

private:
    std::int32_t badgeNumber_ = 0;
    std::string text_;
};
