#include "SBLockScreenView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSDate.h"
#include "NSDateFormatter.h"
#include "NSString-UIStringDrawing.h"
#include "SBStatusBar.h"
#include "SBWallpaper.h"
#include "UIGraphics.h"
#include "UITouch.h"

#include <algorithm>

namespace {

constexpr CGFloat kKnobWidth = 72;

// "9:41" for "9:41 AM": the lock screen's clock has no day period.
std::string clockText()
{
    NSDateFormatter formatter;
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    std::string text = formatter.stringFromDate(NSDate::date());
    const auto space = text.rfind(' ');
    return space == std::string::npos ? text : text.substr(0, space);
}

// "Tuesday, December 8" for "Tuesday, December 8, 2026".
std::string dateText()
{
    NSDateFormatter formatter;
    formatter.setDateStyle(NSDateFormatter::Style::Full);
    std::string text = formatter.stringFromDate(NSDate::date());
    const auto comma = text.rfind(", ");
    return comma == std::string::npos || comma == text.find(", ") ? text : text.substr(0, comma);
}

} // namespace

SBLockScreenView::SBLockScreenView(std::shared_ptr<SBAwayItemsView> awayItemsView)
    : awayItemsView_(std::move(awayItemsView))
{
    addSubview(awayItemsView_);
}

void SBLockScreenView::layoutSubviews()
{
    const CGRect area = bounds();
    const CGFloat top = SBStatusBar::kHeight + kClockBarHeight + 12;
    awayItemsView_->setFrame(CGRectMake(12, top, area.size.width - 24, area.size.height - top - kSliderBarHeight - 12));
}

CGRect SBLockScreenView::trackFrame() const
{
    const CGRect area = bounds();
    const CGFloat width = std::min<CGFloat>(area.size.width - 40, 280);
    return CGRectMake((area.size.width - width) / 2, area.size.height - kSliderBarHeight / 2 - 26, width, 52);
}

CGFloat SBLockScreenView::knobTravel() const { return trackFrame().size.width - kKnobWidth - 8; }

CGRect SBLockScreenView::knobFrame() const
{
    const CGRect track = trackFrame();
    return CGRectMake(track.origin.x + 4 + knobOffset_, track.origin.y + 4, kKnobWidth, track.size.height - 8);
}

void SBLockScreenView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    SBWallpaper::drawInRect(*context, bounds());
    drawClockBar(*context);
    drawSliderBar(*context);
}

void SBLockScreenView::drawGlassBar(CGContext& context, CGRect bar)
{
    const auto glass = CGGradient::gradientWithColorComponents(
        {0.35, 0.35, 0.38, 0.62, 0.12, 0.12, 0.14, 0.62, 0, 0, 0, 0.7, 0, 0, 0, 0.78}, {0, 0.5, 0.5, 1});
    {
        CGContextStateSaver saved(context);
        context.clipToRect(bar);
        context.drawLinearGradient(glass, bar.origin, CGPointMake(bar.origin.x, CGRectGetMaxY(bar)), 0);
    }
    context.setGrayFillColor(1, 0.18);
    context.fillRect(CGRectMake(bar.origin.x, bar.origin.y, bar.size.width, 1));
    context.setGrayFillColor(0, 0.6);
    context.fillRect(CGRectMake(bar.origin.x, CGRectGetMaxY(bar) - 1, bar.size.width, 1));
}

void SBLockScreenView::drawClockBar(CGContext& context) const
{
    const CGFloat width = bounds().size.width;
    drawGlassBar(context, CGRectMake(0, SBStatusBar::kHeight, width, kClockBarHeight));
    const CGRect clock = CGRectMake(0, SBStatusBar::kHeight + 4, width, 62);
    context.setGrayFillColor(0, 0.5);
    drawInRectWithFontLineBreakModeAlignment(clockText(), CGRectOffset(clock, 0, -1), UIFont::systemFontOfSize(54),
        UILineBreakModeClip, UITextAlignmentCenter);
    context.setGrayFillColor(1, 1);
    drawInRectWithFontLineBreakModeAlignment(
        clockText(), clock, UIFont::systemFontOfSize(54), UILineBreakModeClip, UITextAlignmentCenter);
    drawInRectWithFontLineBreakModeAlignment(dateText(), CGRectMake(0, SBStatusBar::kHeight + 68, width, 20),
        UIFont::boldSystemFontOfSize(15), UILineBreakModeTailTruncation, UITextAlignmentCenter);
}

void SBLockScreenView::drawSliderBar(CGContext& context) const
{
    const CGRect area = bounds();
    drawGlassBar(context, CGRectMake(0, area.size.height - kSliderBarHeight, area.size.width, kSliderBarHeight));
    const CGRect track = trackFrame();
    context.setRGBFillColor(0, 0, 0, 0.55);
    context.addRoundedRect(track, 11);
    context.fillPath();
    context.setGrayStrokeColor(1, 0.22);
    context.setLineWidth(1);
    context.addRoundedRect(CGRectInset(track, 0.5, 0.5), 11);
    context.strokePath();
    // The words fade as the knob moves over them.
    const CGFloat fade = 1 - std::min<CGFloat>(knobOffset_ / 60, 1);
    context.setGrayFillColor(1, 0.72 * fade);
    const CGRect words
        = CGRectMake(track.origin.x + kKnobWidth + 4, track.origin.y + 14, track.size.width - kKnobWidth - 8, 26);
    drawInRectWithFontLineBreakModeAlignment(
        "slide to unlock", words, UIFont::systemFontOfSize(21), UILineBreakModeClip, UITextAlignmentCenter);
    const CGRect knob = knobFrame();
    const auto metal = CGGradient::gradientWithColorComponents(
        {0.98, 0.98, 0.98, 1, 0.84, 0.84, 0.86, 1, 0.7, 0.7, 0.72, 1}, {0, 0.5, 1});
    {
        CGContextStateSaver saved(context);
        context.addRoundedRect(knob, 8);
        context.clip();
        context.drawLinearGradient(metal, knob.origin, CGPointMake(knob.origin.x, CGRectGetMaxY(knob)), 0);
    }
    // The arrow on the knob.
    const CGFloat cx = CGRectGetMidX(knob), cy = CGRectGetMidY(knob);
    context.setGrayFillColor(0.45, 1);
    context.fillRect(CGRectMake(cx - 14, cy - 4, 16, 8));
    context.beginPath();
    context.moveToPoint(cx + 1, cy - 11);
    context.addLineToPoint(cx + 14, cy);
    context.addLineToPoint(cx + 1, cy + 11);
    context.closePath();
    context.fillPath();
}

void SBLockScreenView::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty()) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(this);
    dragging_ = CGRectContainsPoint(knobFrame(), point);
    dragStartX_ = point.x - knobOffset_;
}

void SBLockScreenView::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (!dragging_ || touches.empty()) {
        return;
    }
    knobOffset_ = std::clamp<CGFloat>(touches.front()->locationInView(this).x - dragStartX_, 0, knobTravel());
    setNeedsDisplay();
}

void SBLockScreenView::touchesEndedWithEvent(const UITouchSet&, UIEvent*)
{
    const bool reachedEnd = dragging_ && knobOffset_ >= knobTravel() - 1;
    dragging_ = false;
    knobOffset_ = 0;
    setNeedsDisplay();
    if (reachedEnd && unlock_) {
        unlock_();
    }
}

void SBLockScreenView::touchesCancelledWithEvent(const UITouchSet&, UIEvent*)
{
    dragging_ = false;
    knobOffset_ = 0;
    setNeedsDisplay();
}
