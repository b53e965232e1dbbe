#include "UITableViewCellDisclosureIndicator.h"

#include "UIGraphics.h"

UITableViewCellDisclosureIndicator::UITableViewCellDisclosureIndicator() : UIView(CGRectMake(0, 0, 10, 14))
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
    const CGRect b = bounds();
    if (highlighted_) {
        context->setGrayStrokeColor(1, 1);
    } else {
        context->setRGBStrokeColor(0.5, 0.5, 0.5, 1);
    }
    context->setLineWidth(3);
    context->setLineCap(kCGLineCapSquare);
    context->beginPath();
    context->moveToPoint(2, 2);
    context->addLineToPoint(b.size.width - 3, b.size.height / 2);
    context->addLineToPoint(2, b.size.height - 2);
    context->strokePath();
}
