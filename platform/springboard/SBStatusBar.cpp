#include "SBStatusBar.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSDate.h"
#include "NSDateFormatter.h"
#include "NSString-UIStringDrawing.h"
#include "UIApplication.h"
#include "UIGraphics.h"
#include "UITouch.h"

#include <algorithm>

SBStatusBar::SBStatusBar() { setOpaque(false); }

void SBStatusBar::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    drawBackground(*context);
    drawSignal(*context);
    drawCentre(*context);
    const CGFloat batteryLeft = bounds().size.width - 62;
    drawBattery(*context, bounds().size.width - 6);
    drawImages(*context, batteryLeft - 4);
}

void SBStatusBar::drawBackground(CGContext& context) const
{
    const CGRect bar = CGRectMake(0, 0, bounds().size.width, kHeight);
    const auto shade = CGGradient::gradientWithColorComponents({0.16, 0.16, 0.17, 0.92, 0, 0, 0, 0.92}, {});
    context.drawLinearGradient(shade, CGPointMake(0, 0), CGPointMake(0, kHeight), 0);
    context.setGrayFillColor(1, 0.12);
    context.fillRect(CGRectMake(0, 0, bar.size.width, 1));
}

void SBStatusBar::drawSignal(CGContext& context) const
{
    context.setGrayFillColor(1, 1);
    for (int bar = 0; bar < 5; ++bar) {
        const CGFloat height = 4 + 2 * bar;
        context.fillRect(CGRectMake(6 + 4 * bar, 15 - height, 3, height));
    }
    drawAtPointWithFont("Carrier", CGPointMake(30, 2), UIFont::boldSystemFontOfSize(12));
}

void SBStatusBar::drawCentre(CGContext& context) const
{
    const CGFloat mid = bounds().size.width / 2;
    context.setGrayFillColor(1, 1);
    if (locked_) {
        // A padlock: the shackle as a stroked arch over a rounded body.
        context.setGrayStrokeColor(1, 1);
        context.setLineWidth(1.6);
        context.beginPath();
        context.addArc(mid, 8, 3.4, 3.14159265, 0, 0);
        context.strokePath();
        context.addRoundedRect(CGRectMake(mid - 5.5, 8, 11, 8.5), 1.5);
        context.fillPath();
        return;
    }
    NSDateFormatter formatter;
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    const std::string time = formatter.stringFromDate(NSDate::date());
    drawInRectWithFontLineBreakModeAlignment(time, CGRectMake(mid - 60, 2, 120, 16), UIFont::boldSystemFontOfSize(13),
        UILineBreakModeClip, UITextAlignmentCenter);
}

void SBStatusBar::drawBattery(CGContext& context, CGFloat right) const
{
    const CGRect body = CGRectMake(right - 24, 5, 22, 10);
    context.setGrayStrokeColor(1, 1);
    context.setLineWidth(1);
    context.addRoundedRect(CGRectInset(body, 0.5, 0.5), 2);
    context.strokePath();
    context.setGrayFillColor(1, 1);
    context.fillRect(CGRectMake(CGRectGetMaxX(body), 8, 2, 4));
    const CGFloat level = std::clamp(batteryLevel_, 0, 100) / 100.0;
    if (batteryLevel_ <= 20) {
        context.setRGBFillColor(0.95, 0.2, 0.15, 1);
    }
    context.fillRect(
        CGRectMake(body.origin.x + 2, body.origin.y + 2, (body.size.width - 4) * level, body.size.height - 4));
    context.setGrayFillColor(1, 1);
    drawInRectWithFontLineBreakModeAlignment(std::to_string(batteryLevel_) + "%", CGRectMake(right - 62, 3, 34, 14),
        UIFont::boldSystemFontOfSize(11), UILineBreakModeClip, UITextAlignmentRight);
}

CGFloat SBStatusBar::drawImages(CGContext& context, CGFloat right) const
{
    const auto names = UIApplication::sharedApplication()->statusBarImageNames();
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        right -= 16;
        drawImageGlyph(context, *name, CGRectMake(right, 3, 14, 14));
        right -= 3;
    }
    return right;
}

void SBStatusBar::drawImageGlyph(CGContext& context, const std::string& name, CGRect box)
{
    CGContextStateSaver saved(context);
    context.setGrayFillColor(1, 1);
    if (name == "Vantle") {
        // A bell: a dome widening into a flared rim, with the clapper below.
        const CGFloat x = box.origin.x, y = box.origin.y, w = box.size.width;
        context.beginPath();
        context.moveToPoint(x + 1.5, y + 10.5);
        context.addCurveToPoint(x + 3.5, y + 9, x + 3, y + 6.5, x + 3.5, y + 5);
        context.addCurveToPoint(x + 4.2, y + 1.5, x + w - 4.2, y + 1.5, x + w - 3.5, y + 5);
        context.addCurveToPoint(x + w - 3, y + 6.5, x + w - 3.5, y + 9, x + w - 1.5, y + 10.5);
        context.closePath();
        context.fillPath();
        context.fillEllipseInRect(CGRectMake(x + w / 2 - 1.6, y + 10.6, 3.2, 3.2));
        context.fillRect(CGRectMake(x + w / 2 - 0.6, y + 0.5, 1.2, 1.6));
    } else {
        // Any other image: its initial in a rounded tile.
        context.addRoundedRect(CGRectInset(box, 1, 1), 3);
        context.fillPath();
        context.setGrayFillColor(0, 1);
        drawInRectWithFontLineBreakModeAlignment(name.substr(0, 1),
            CGRectMake(box.origin.x, box.origin.y, box.size.width, box.size.height), UIFont::boldSystemFontOfSize(10),
            UILineBreakModeClip, UITextAlignmentCenter);
    }
}

void SBStatusBar::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty()) {
        return;
    }
    touchMode_ = TouchMode::Tracking;
    touchStartY_ = touches.front()->locationInView(this).y;
}

void SBStatusBar::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touchMode_ != TouchMode::Tracking || touches.empty()) {
        return;
    }
    if (touches.front()->locationInView(this).y - touchStartY_ > kSwipeDownDistance) {
        touchMode_ = TouchMode::Reported;
        if (swipeDown_) {
            swipeDown_();
        }
    }
}

void SBStatusBar::touchesEndedWithEvent(const UITouchSet&, UIEvent*) { touchMode_ = TouchMode::None; }

void SBStatusBar::touchesCancelledWithEvent(const UITouchSet&, UIEvent*) { touchMode_ = TouchMode::None; }
