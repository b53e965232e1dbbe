#include "UISwitch.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSString-UIStringDrawing.h"
#include "UIFont.h"
#include "UIGraphics.h"

namespace {

constexpr CGFloat kCornerRadius = 5;
constexpr CGFloat kKnobWidth = 40;

void fillTrack(CGContext& context, CGRect track, bool on)
{
    const std::vector<CGFloat> blue{0.00, 0.35, 0.80, 1, 0.20, 0.55, 0.95, 1};
    const std::vector<CGFloat> grey{0.82, 0.82, 0.82, 1, 0.99, 0.99, 0.99, 1};
    {
        CGContextStateSaver saved(context);
        context.beginPath();
        context.addRoundedRect(track, kCornerRadius);
        context.clip();
        context.drawLinearGradient(CGGradient::gradientWithColorComponents(on ? blue : grey, {}), track.origin,
            CGPointMake(track.origin.x, CGRectGetMaxY(track)), 0);
    }
    context.setRGBStrokeColor(0.55, 0.55, 0.55, 1);
    context.setLineWidth(1);
    context.beginPath();
    context.addRoundedRect(CGRectInset(track, 0.5, 0.5), kCornerRadius);
    context.strokePath();
}

void drawKnob(CGContext& context, CGRect knob)
{
    const std::vector<CGFloat> white{0.86, 0.86, 0.86, 1, 1, 1, 1, 1};
    {
        CGContextStateSaver saved(context);
        context.beginPath();
        context.addRoundedRect(knob, kCornerRadius);
        context.clip();
        context.drawLinearGradient(CGGradient::gradientWithColorComponents(white, {}),
            CGPointMake(knob.origin.x, CGRectGetMaxY(knob)), knob.origin, 0);
    }
    context.setRGBStrokeColor(0.60, 0.60, 0.60, 1);
    context.beginPath();
    context.addRoundedRect(CGRectInset(knob, 0.5, 0.5), kCornerRadius);
    context.strokePath();
}

} // namespace

UISwitch::UISwitch(CGRect frame)
    : UIControl(CGRectMake(frame.origin.x, frame.origin.y, width, height))
{
    setOpaque(false);
    addTargetActionForControlEvents(
        this, [this] { flip(); }, UIControlEventTouchUpInside);
}

void UISwitch::setOn(bool on) { setOnAnimated(on, false); }

void UISwitch::setOnAnimated(bool on, bool)
{
    if (on_ != on) {
        on_ = on;
        setNeedsDisplay();
    }
}

void UISwitch::setFrame(CGRect frame)
{
    UIControl::setFrame(CGRectMake(frame.origin.x, frame.origin.y, width, height));
}

CGSize UISwitch::sizeThatFits(CGSize) { return CGSizeMake(width, height); }

void UISwitch::flip()
{
    setOn(!on_);
    sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISwitch::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect track = bounds();
    fillTrack(*context, track, on_);
    const CGRect knob = on_ ? CGRectMake(CGRectGetMaxX(track) - kKnobWidth, 0, kKnobWidth, height)
                            : CGRectMake(0, 0, kKnobWidth, height);
    const CGRect label
        = on_ ? CGRectMake(0, 0, width - kKnobWidth, height) : CGRectMake(kKnobWidth, 0, width - kKnobWidth, height);
    const auto font = UIFont::boldSystemFontOfSize(16);
    if (on_) {
        context->setGrayFillColor(1, 1);
    } else {
        context->setRGBFillColor(0.45, 0.45, 0.45, 1);
    }
    const CGFloat textHeight = sizeWithFont(on_ ? "ON" : "OFF", font).height;
    drawInRectWithFontLineBreakModeAlignment(on_ ? "ON" : "OFF",
        CGRectMake(label.origin.x, (height - textHeight) / 2, label.size.width, textHeight), font, UILineBreakModeClip,
        UITextAlignmentCenter);
    drawKnob(*context, knob);
}
