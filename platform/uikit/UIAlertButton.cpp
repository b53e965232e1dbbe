#include "UIAlertButton.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "UIGraphics.h"

namespace {

constexpr CGFloat kCornerRadius = 6;

} // namespace

UIAlertButton::UIAlertButton(std::string title, bool isCancel)
    : UIButton(UIButtonTypeCustom, CGRectMake(0, 0, 127, height))
    , cancel_(isCancel)
{
    titleLabel()->setFont(UIFont::boldSystemFontOfSize(18));
    titleLabel()->setShadowOffset(CGSizeMake(0, -1));
    setTitleColorForState(UIColor::whiteColor(), UIControlStateNormal);
    setTitleShadowColorForState(UIColor::colorWithWhiteAlpha(0, 0.5), UIControlStateNormal);
    setTitleForState(std::move(title), UIControlStateNormal);
}

void UIAlertButton::setCancelButton(bool cancel)
{
    cancel_ = cancel;
    setNeedsDisplay();
}

void UIAlertButton::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect shape = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat top = isHighlighted() ? 0.55 : (cancel_ ? 0.30 : 0.42);
    const CGFloat bottom = isHighlighted() ? 0.35 : (cancel_ ? 0.08 : 0.16);
    {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(shape, kCornerRadius);
        context->clip();
        context->drawLinearGradient(
            CGGradient::gradientWithColorComponents({1, 1, 1, top, 1, 1, 1, bottom, 1, 1, 1, bottom}, {0, 0.5, 1}),
            CGPointMake(0, shape.origin.y), CGPointMake(0, CGRectGetMaxY(shape)), 0);
    }
    context->setRGBStrokeColor(0.02, 0.06, 0.20, 0.9);
    context->setLineWidth(1);
    context->addRoundedRect(shape, kCornerRadius);
    context->strokePath();
}
