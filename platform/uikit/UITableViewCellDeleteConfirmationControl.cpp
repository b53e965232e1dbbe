#include "UITableViewCellDeleteConfirmationControl.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "UIGraphics.h"

#include <algorithm>

UITableViewCellDeleteConfirmationControl::UITableViewCellDeleteConfirmationControl(std::string title)
    : UIButton(UIButtonTypeCustom, CGRectMake(0, 0, 64, height))
{
    titleLabel()->setFont(UIFont::boldSystemFontOfSize(16));
    titleLabel()->setShadowOffset(CGSizeMake(0, -1));
    setTitleColorForState(UIColor::whiteColor(), UIControlStateNormal);
    setTitleShadowColorForState(UIColor::colorWithWhiteAlpha(0, 0.4), UIControlStateNormal);
    setTitle(std::move(title));
}

void UITableViewCellDeleteConfirmationControl::setTitle(std::string title)
{
    title_ = std::move(title);
    setTitleForState(title_, UIControlStateNormal);
}

CGFloat UITableViewCellDeleteConfirmationControl::preferredWidth() const
{
    return std::max<CGFloat>(64, sizeWithFont(title_, titleLabel()->font()).width + 24);
}

void UITableViewCellDeleteConfirmationControl::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect pill = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat shade = isHighlighted() ? 0.8 : 1.0;
    {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(pill, 6);
        context->clip();
        context->drawLinearGradient(
            CGGradient::gradientWithColorComponents(
                {0.93 * shade, 0.45 * shade, 0.43 * shade, 1, 0.80 * shade, 0.05, 0.04, 1}, {0, 1}),
            CGPointMake(0, pill.origin.y), CGPointMake(0, CGRectGetMaxY(pill)), 0);
    }
    context->setRGBStrokeColor(0.55, 0.05, 0.04, 1);
    context->setLineWidth(1);
    context->addRoundedRect(pill, 6);
    context->strokePath();
}
