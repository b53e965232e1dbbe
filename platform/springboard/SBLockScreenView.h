#pragma once

#include "CGContext.h"
#include "MinuteTicker.h"
#include "SBAwayItemsView.h"
#include "UIView.h"

#include <functional>
#include <memory>

// The lock screen: the wallpaper, a bar under the status bar with the big clock and the date (redrawn when
// the minute changes), the list of
// missed events (SBAwayItemsView) beneath it, and the "slide to unlock" track at the bottom. Dragging the
// knob to the end of the track unlocks; let go earlier and it slides back.
class SBLockScreenView : public UIView {
public:
    static constexpr CGFloat kClockBarHeight = 96;
    static constexpr CGFloat kSliderBarHeight = 96;

    explicit SBLockScreenView(std::shared_ptr<SBAwayItemsView> awayItemsView);

    SBAwayItemsView& awayItemsView() const { return *awayItemsView_; }
    void setUnlockHandler(std::function<void()> handler) { unlock_ = std::move(handler); }
    // The knob's rectangle in this view's coordinates.
    CGRect knobFrame() const;

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;
    std::string className() const override { return "SBLockScreenView"; }

private:
    CGRect trackFrame() const;
    CGFloat knobTravel() const;
    void drawClockBar(CGContext& context) const;
    void drawSliderBar(CGContext& context) const;
    static void drawGlassBar(CGContext& context, CGRect bar);

    std::shared_ptr<SBAwayItemsView> awayItemsView_;
    std::function<void()> unlock_;
    bool dragging_ = false;
    CGFloat dragStartX_ = 0;
    CGFloat knobOffset_ = 0;
    MinuteTicker clock_{[this] { setNeedsDisplay(); }};
};
