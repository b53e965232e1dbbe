#pragma once

#include "CGContext.h"
#include "MinuteTicker.h"
#include "UIView.h"

#include <functional>
#include <string>

// The status bar across the top of the screen, 20 points high: signal and carrier on the left, the time
// in the middle (a padlock while the device is locked; redrawn when the minute changes), the battery on the right, and
// the status-bar images that libraries add through UIApplication, drawn as small glyphs to the left of the battery.
//
// A finger that comes down on the bar and moves down by more than kSwipeDownDistance is the status-bar
// swipe-down gesture; it is reported once per touch.
class SBStatusBar : public UIView {
public:
    static constexpr CGFloat kHeight = 20;
    static constexpr CGFloat kSwipeDownDistance = 40;

    SBStatusBar();

    void setLocked(bool locked) { locked_ = locked; }
    void setBatteryLevel(int percent) { batteryLevel_ = percent; }
    int batteryLevel() const { return batteryLevel_; }
    void setSwipeDownHandler(std::function<void()> handler) { swipeDown_ = std::move(handler); }

    void drawRect(CGRect rect) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "SBStatusBar"; }

private:
    enum class TouchMode { None, Tracking, Reported };

    void drawBackground(CGContext& context) const;
    void drawSignal(CGContext& context) const;
    void drawCentre(CGContext& context) const;
    void drawBattery(CGContext& context, CGFloat right) const;
    CGFloat drawImages(CGContext& context, CGFloat right) const;
    static void drawImageGlyph(CGContext& context, const std::string& name, CGRect box);

    bool locked_ = true;
    int batteryLevel_ = 100;
    std::function<void()> swipeDown_;
    TouchMode touchMode_ = TouchMode::None;
    CGFloat touchStartY_ = 0;
    MinuteTicker clock_{[this] { setNeedsDisplay(); }};
};
