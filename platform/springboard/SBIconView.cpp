#include "SBIconView.h"

#include "CGContextStateSaver.h"
#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"
#include "UIImage.h"
#include "UITouch.h"

SBIconView::SBIconView(std::shared_ptr<SBIcon> icon)
    : UIView(CGRectMake(0, 0, kWidth, kHeight))
    , icon_(std::move(icon))
    , image_(icon_->getIconImage(SBIcon::HomeScreenFormat))
{
    setOpaque(false);
}

void SBIconView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect art = CGRectMake((kWidth - kIconSize) / 2, 2, kIconSize, kIconSize);
    // A shadow beneath the icon: stacked translucent rounded rectangles, widest and faintest first.
    for (int step = 3; step >= 1; --step) {
        context->setRGBFillColor(0, 0, 0, 0.12);
        context->addRoundedRect(CGRectOffset(CGRectInset(art, -step, -step), 0, 2), 10 + step);
        context->fillPath();
    }
    if (image_) {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(art, 10);
        context->clip();
        image_->drawInRect(art);
    } else {
        context->setGrayFillColor(0.6, 1);
        context->addRoundedRect(art, 10);
        context->fillPath();
    }
    if (pressed_) {
        context->setRGBFillColor(0, 0, 0, 0.45);
        context->addRoundedRect(art, 10);
        context->fillPath();
    }
    const auto font = UIFont::boldSystemFontOfSize(11);
    const CGRect name = CGRectMake(0, kIconSize + 8, kWidth, 14);
    context->setGrayFillColor(0, 0.8);
    drawInRectWithFontLineBreakModeAlignment(
        icon_->displayName(), CGRectOffset(name, 0, 1), font, UILineBreakModeTailTruncation, UITextAlignmentCenter);
    context->setGrayFillColor(1, 1);
    drawInRectWithFontLineBreakModeAlignment(
        icon_->displayName(), name, font, UILineBreakModeTailTruncation, UITextAlignmentCenter);
}

void SBIconView::touchesBeganWithEvent(const UITouchSet&, UIEvent*)
{
    pressed_ = true;
    setNeedsDisplay();
}

void SBIconView::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    const bool inside = !touches.empty() && CGRectContainsPoint(bounds(), touches.front()->locationInView(this));
    pressed_ = false;
    setNeedsDisplay();
    if (inside && tap_) {
        tap_(icon_->application());
    }
}

void SBIconView::touchesCancelledWithEvent(const UITouchSet&, UIEvent*)
{
    pressed_ = false;
    setNeedsDisplay();
}
