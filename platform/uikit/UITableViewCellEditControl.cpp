#include "UITableViewCellEditControl.h"

#include "UIGraphics.h"

UITableViewCellEditControl::UITableViewCellEditControl() : UIControl(CGRectMake(0, 0, width, 44))
{
    setOpaque(false);
}

void UITableViewCellEditControl::setEditingStyle(UITableViewCellEditingStyle style)
{
    if (style_ != style) {
        style_ = style;
        setNeedsDisplay();
    }
}

void UITableViewCellEditControl::setRotated(bool rotated)
{
    if (rotated_ != rotated) {
        rotated_ = rotated;
        setNeedsDisplay();
    }
}

void UITableViewCellEditControl::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr || style_ == UITableViewCellEditingStyle::None) {
        return;
    }
    const CGRect b = bounds();
    const CGFloat diameter = 22;
    const CGRect disc = CGRectMake(b.size.width - diameter - 2, (b.size.height - diameter) / 2, diameter, diameter);
    context->setGrayFillColor(1, 1);
    context->fillEllipseInRect(CGRectInset(disc, -1.5, -1.5));
    if (style_ == UITableViewCellEditingStyle::Insert) {
        context->setRGBFillColor(0.16, 0.69, 0.22, 1);
    } else {
        context->setRGBFillColor(0.86, 0.16, 0.13, 1);
    }
    context->fillEllipseInRect(disc);
    context->setGrayFillColor(1, 1);
    const CGFloat cx = CGRectGetMidX(disc), cy = CGRectGetMidY(disc);
    const CGRect across = CGRectMake(cx - 6.5, cy - 1.5, 13, 3);
    const CGRect upright = CGRectMake(cx - 1.5, cy - 6.5, 3, 13);
    if (style_ == UITableViewCellEditingStyle::Insert) {
        context->fillRect(across);
        context->fillRect(upright);
    } else {
        context->fillRect(rotated_ ? upright : across);
    }
}
