#pragma once

#include "UIView.h"

#include <string>

// A count badge: a red pill with a white rim whose digits are cut out of it with the clear blend mode, so
// whatever lies beneath the badge shows through the digits.
class SampleBadgeView : public UIView {
public:
    SampleBadgeView(CGPoint origin, std::string count);

    void drawRect(CGRect rect) override;

    std::string className() const override { return "SampleBadgeView"; }

    static constexpr CGFloat height = 30;
    static constexpr CGFloat fontSize = 20;

private:
    static CGFloat widthForCount(const std::string& count);

    const std::string count_;
};
