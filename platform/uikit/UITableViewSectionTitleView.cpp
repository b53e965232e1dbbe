#include "UITableViewSectionTitleView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSString-UIStringDrawing.h"
#include "UIFont.h"
#include "UIGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat headerSpaceAbove = 12;
constexpr CGFloat headerSpaceBelow = 8;
constexpr CGFloat footerSpaceAbove = 6;
constexpr CGFloat footerSpaceBelow = 12;
constexpr CGFloat plainTitleInset = 12;

bool isGrouped(UITableViewSectionTitleView::Kind kind)
{
    return kind == UITableViewSectionTitleView::Kind::GroupedHeader
        || kind == UITableViewSectionTitleView::Kind::GroupedFooter;
}

} // namespace

UITableViewSectionTitleView::UITableViewSectionTitleView(Kind kind, std::string title)
    : kind_(kind)
    , title_(std::move(title))
{
    setOpaque(false);
    setUserInteractionEnabled(false);
}

std::shared_ptr<UIFont> UITableViewSectionTitleView::fontForKind(Kind kind)
{
    switch (kind) {
    case Kind::PlainHeader:
    case Kind::PlainFooter:
        return UIFont::boldSystemFontOfSize(18);
    case Kind::GroupedHeader:
        return UIFont::boldSystemFontOfSize(17);
    case Kind::GroupedFooter:
        return UIFont::systemFontOfSize(15);
    }
    return UIFont::systemFontOfSize(15);
}

CGFloat UITableViewSectionTitleView::textHeight(Kind kind, const std::string& title, CGFloat tableWidth)
{
    const CGFloat width = std::max<CGFloat>(1, tableWidth - 2 * groupedTitleInset);
    return sizeWithFontConstrainedToSizeLineBreakMode(
        title, fontForKind(kind), CGSizeMake(width, 9999), UILineBreakModeWordWrap)
        .height;
}

CGFloat UITableViewSectionTitleView::heightForTitle(Kind kind, const std::string& title, CGFloat tableWidth)
{
    switch (kind) {
    case Kind::PlainHeader:
    case Kind::PlainFooter:
        return plainHeight;
    case Kind::GroupedHeader:
        return headerSpaceAbove + textHeight(kind, title, tableWidth) + headerSpaceBelow;
    case Kind::GroupedFooter:
        return footerSpaceAbove + textHeight(kind, title, tableWidth) + footerSpaceBelow;
    }
    return 0;
}

void UITableViewSectionTitleView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect b = bounds();
    const auto font = fontForKind(kind_);
    if (!isGrouped(kind_)) {
        {
            CGContextStateSaver saved(*context);
            context->setAlpha(0.9);
            context->drawLinearGradient(
                CGGradient::gradientWithColorComponents({0.56, 0.62, 0.69, 1, 0.70, 0.74, 0.79, 1}, {0, 1}),
                CGPointMake(0, 0), CGPointMake(0, b.size.height), 0);
        }
        context->setRGBFillColor(0.47, 0.53, 0.59, 1);
        context->fillRect(CGRectMake(0, 0, b.size.width, 1));
        context->fillRect(CGRectMake(0, b.size.height - 1, b.size.width, 1));
        const CGRect line = CGRectMake(plainTitleInset, std::round((b.size.height - font->lineHeight()) / 2),
            b.size.width - 2 * plainTitleInset, font->lineHeight());
        context->setGrayFillColor(0.27, 0.6);
        drawInRectWithFontLineBreakMode(title_, CGRectOffset(line, 0, 1), font, UILineBreakModeTailTruncation);
        context->setGrayFillColor(1, 1);
        drawInRectWithFontLineBreakMode(title_, line, font, UILineBreakModeTailTruncation);
        return;
    }
    const bool header = kind_ == Kind::GroupedHeader;
    const CGFloat top = header ? headerSpaceAbove : footerSpaceAbove;
    const CGFloat bottom = header ? headerSpaceBelow : footerSpaceBelow;
    const CGRect text = CGRectMake(groupedTitleInset, top, std::max<CGFloat>(1, b.size.width - 2 * groupedTitleInset),
        std::max<CGFloat>(0, b.size.height - top - bottom));
    const UITextAlignment alignment = header ? UITextAlignmentLeft : UITextAlignmentCenter;
    context->setGrayFillColor(1, 0.9);
    drawInRectWithFontLineBreakModeAlignment(
        title_, CGRectOffset(text, 0, 1), font, UILineBreakModeWordWrap, alignment);
    context->setRGBFillColor(0.30, 0.34, 0.42, 1);
    drawInRectWithFontLineBreakModeAlignment(title_, text, font, UILineBreakModeWordWrap, alignment);
}
