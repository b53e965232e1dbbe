#pragma once

#include "MinuteTicker.h"
#include "UIView.h"

// The 20-point black bar across the top of the Settings application's screen, with the time in the middle
// ("9:41 AM", from the process clock in the local time zone) in bold white, redrawn when the minute changes.
class PreferencesStatusBar : public UIView {
public:
    static constexpr CGFloat height = 20;

    explicit PreferencesStatusBar(CGRect frame);

    void drawRect(CGRect rect) override;

    std::string className() const override { return "PreferencesStatusBar"; }

private:
    MinuteTicker clock_{[this] { setNeedsDisplay(); }};
};
