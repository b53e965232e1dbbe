#include "UITableViewCellBackgroundView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "UIGraphics.h"

#include <cmath>

namespace {

std::shared_ptr<CGGradient> selectionGradient(UITableViewCellBackgroundView::Fill fill)
{
    if (fill == UITableViewCellBackgroundView::Fill::BlueSelection) {
        return CGGradient::gradientWithColorComponents({0.02, 0.55, 0.96, 1, 0.01, 0.37, 0.88, 1}, {0, 1});
    }
    return CGGradient::gradientWithColorComponents({0.74, 0.74, 0.74, 1, 0.56, 0.56, 0.56, 1}, {0, 1});
}

} // namespace

UITableViewCellBackgroundView::UITableViewCellBackgroundView(bool grouped, Fill fill)
    : grouped_(grouped)
    , fill_(fill)
    , separatorColor_(UIColor::colorWithWhiteAlpha(0.67, 1))
{
    setOpaque(false);
    setUserInteractionEnabled(false);
}

void UITableViewCellBackgroundView::setGrouped(bool grouped)
{
    if (grouped_ != grouped) {
        grouped_ = grouped;
        setNeedsDisplay();
    }
}

void UITableViewCellBackgroundView::setFill(Fill fill)
{
    if (fill_ != fill) {
        fill_ = fill;
        setNeedsDisplay();
    }
}

void UITableViewCellBackgroundView::setSectionLocation(SectionLocation location)
{
    if (location_ != location) {
        location_ = location;
        setNeedsDisplay();
    }
}

void UITableViewCellBackgroundView::setSeparatorColor(std::shared_ptr<UIColor> color)
{
    separatorColor_ = std::move(color);
    setNeedsDisplay();
}

void UITableViewCellBackgroundView::addPiecePath(CGContext& context, CGRect rect) const
{
    const bool roundTop = location_ == SectionLocation::Alone || location_ == SectionLocation::Top;
    const bool roundBottom = location_ == SectionLocation::Alone || location_ == SectionLocation::Bottom;
    const CGFloat r = std::min(cornerRadius, std::min(rect.size.width, rect.size.height) / 2);
    const CGFloat left = CGRectGetMinX(rect), right = CGRectGetMaxX(rect);
    const CGFloat top = CGRectGetMinY(rect), bottom = CGRectGetMaxY(rect);
    context.beginPath();
    if (roundTop) {
        context.moveToPoint(left, top + r);
        context.addArcToPoint(left, top, left + r, top, r);
        context.addArcToPoint(right, top, right, top + r, r);
    } else {
        context.moveToPoint(left, top);
        context.addLineToPoint(right, top);
    }
    if (roundBottom) {
        context.addArcToPoint(right, bottom, right - r, bottom, r);
        context.addArcToPoint(left, bottom, left, bottom - r, r);
    } else {
        context.addLineToPoint(right, bottom);
        context.addLineToPoint(left, bottom);
    }
    context.closePath();
}

void UITableViewCellBackgroundView::fillPiece(CGContext& context, CGRect rect) const
{
    if (fill_ == Fill::White) {
        context.setGrayFillColor(1, 1);
        context.fillPath();
        return;
    }
    CGContextStateSaver saved(context);
    context.clip();
    context.drawLinearGradient(
        selectionGradient(fill_), CGPointMake(0, CGRectGetMinY(rect)), CGPointMake(0, CGRectGetMaxY(rect)), 0);
}

void UITableViewCellBackgroundView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect b = bounds();
    if (!grouped_) {
        if (fill_ != Fill::White) {
            context->drawLinearGradient(selectionGradient(fill_), CGPointMake(0, 0), CGPointMake(0, b.size.height), 0);
        } else {
            context->setGrayFillColor(1, 1);
            context->fillRect(b);
        }
        return;
    }
    // The border is a 1-point line centred half a point inside the piece, so it covers whole pixels.
    const CGRect piece = CGRectInset(b, 0.5, 0);
    const bool endsSection = location_ == SectionLocation::Alone || location_ == SectionLocation::Bottom;
    const bool beginsSection = location_ == SectionLocation::Alone || location_ == SectionLocation::Top;
    const CGRect outline = CGRectMake(piece.origin.x, piece.origin.y + (beginsSection ? 0.5 : 0), piece.size.width,
        piece.size.height - (beginsSection ? 0.5 : 0) - (endsSection ? 0.5 : 0));
    addPiecePath(*context, outline);
    fillPiece(*context, outline);
    if (separatorColor_ && separatorColor_->alpha() > 0) {
        context->setStrokeColorWithColor(separatorColor_);
        context->setLineWidth(1);
        addPiecePath(*context, outline);
        context->strokePath();
        if (!endsSection) {
            context->setFillColorWithColor(separatorColor_);
            context->fillRect(CGRectMake(0, b.size.height - 1, b.size.width, 1));
        }
    }
}
