#include "UITableViewCellDisclosureIndicator.h"

#include "UIGraphics.h"

UITableViewCellDisclosureIndicator::UITableViewCellDisclosureIndicator(Kind kind)
    : UIView(kind == Kind::Chevron ? CGRectMake(0, 0, 10, 14) : CGRectMake(0, 0, 15, 14)), kind_(kind)
{
    setOpaque(false);
    setUserInteractionEnabled(false);
}

void UITableViewCellDisclosureIndicator::setHighlighted(bool highlighted)
{
    if (highlighted_ != highlighted) {
        highlighted_ = highlighted;
        setNeedsDisplay();
    }
}

void UITableViewCellDisclosureIndicator::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    if (kind_ == Kind::Chevron) {
        drawChevron(*context);
    } else {
        drawCheckmark(*context);
    }
}

void UITableViewCellDisclosureIndicator::drawChevron(CGContext& context) const
{
    const CGRect b = bounds();
    if (highlighted_) {
        context.setGrayStrokeColor(1, 1);
    } else {
        context.setRGBStrokeColor(0.5, 0.5, 0.5, 1);
    }
    context.setLineWidth(3);
    context.setLineCap(kCGLineCapSquare);
    context.beginPath();
    context.moveToPoint(2, 2);
    context.addLineToPoint(b.size.width - 3, b.size.height / 2);
    context.addLineToPoint(2, b.size.height - 2);
    context.strokePath();
}

void UITableViewCellDisclosureIndicator::drawCheckmark(CGContext& context) const
{
    const CGRect b = bounds();
    if (highlighted_) {
        context.setGrayStrokeColor(1, 1);
    } else {
        context.setRGBStrokeColor(0.20, 0.31, 0.52, 1);
    }
    context.setLineWidth(3);
    context.setLineCap(kCGLineCapRound);
    context.beginPath();
    context.moveToPoint(2, b.size.height * 0.55);
    context.addLineToPoint(b.size.width * 0.38, b.size.height - 2);
    context.addLineToPoint(b.size.width - 2, 2);
    context.strokePath();
}
