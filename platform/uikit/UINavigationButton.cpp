#include "UINavigationButton.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "UIGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kCornerRadius = 5;
// How far the back button's point reaches into its left side.
constexpr CGFloat kBackPointDepth = 11;

UINavigationButton::Kind kindOfItem(const UIBarButtonItem& item)
{
    if (item.systemItem() == UIBarButtonSystemItemAdd) {
        return UINavigationButton::Kind::Add;
    }
    return item.style() == UIBarButtonItemStyleDone ? UINavigationButton::Kind::Done
                                                    : UINavigationButton::Kind::Bordered;
}

} // namespace

UINavigationButton::UINavigationButton(Kind kind, std::string title)
    : UIButton(UIButtonTypeCustom, CGRectMake(0, 0, 50, height))
    , kind_(kind)
{
    titleLabel()->setFont(UIFont::boldSystemFontOfSize(12));
    titleLabel()->setShadowOffset(CGSizeMake(0, -1));
    setTitleColorForState(UIColor::whiteColor(), UIControlStateNormal);
    setTitleShadowColorForState(UIColor::colorWithWhiteAlpha(0, 0.5), UIControlStateNormal);
    setTitleForState(std::move(title), UIControlStateNormal);
}

std::shared_ptr<UINavigationButton> UINavigationButton::buttonForItem(std::shared_ptr<UIBarButtonItem> item)
{
    auto button = std::make_shared<UINavigationButton>(kindOfItem(*item), item->title());
    button->item_ = item;
    button->setEnabled(item->isEnabled());
    const std::weak_ptr<UIBarButtonItem> weakItem = item;
    button->addTargetActionForControlEvents(
        button.get(),
        [weakItem] {
            if (auto held = weakItem.lock()) {
                held->sendAction();
            }
        },
        UIControlEventTouchUpInside);
    return button;
}

CGFloat UINavigationButton::preferredWidth(CGFloat maxWidth) const
{
    if (kind_ == Kind::Add) {
        return std::min<CGFloat>(34, maxWidth);
    }
    const CGFloat margins = kind_ == Kind::Back ? 6 + kBackPointDepth + 6 : 20;
    const CGFloat width = std::ceil(sizeWithFont(currentTitle(), titleLabel()->font()).width) + margins;
    return std::clamp<CGFloat>(width, 30, std::max<CGFloat>(30, maxWidth));
}

void UINavigationButton::layoutSubviews()
{
    UIButton::layoutSubviews();
    if (kind_ == Kind::Back) {
        // The title sits in the body, right of the point.
        const CGRect body = CGRectMake(
            kBackPointDepth, 0, std::max<CGFloat>(0, bounds().size.width - kBackPointDepth), bounds().size.height);
        titleLabel()->setFrame(CGRectInset(body, 4, 0));
        titleLabel()->setTextAlignment(UITextAlignmentCenter);
    }
}

void UINavigationButton::addButtonPath(CGContext& context, CGRect rect) const
{
    if (kind_ != Kind::Back) {
        context.addRoundedRect(rect, kCornerRadius);
        return;
    }
    const CGFloat left = rect.origin.x;
    const CGFloat top = rect.origin.y;
    const CGFloat right = CGRectGetMaxX(rect);
    const CGFloat bottom = CGRectGetMaxY(rect);
    const CGFloat middle = CGRectGetMidY(rect);
    context.beginPath();
    context.moveToPoint(left, middle);
    context.addLineToPoint(left + kBackPointDepth, top + 0.5);
    context.addArcToPoint(right, top, right, middle, kCornerRadius);
    context.addArcToPoint(right, bottom, left + kBackPointDepth, bottom, kCornerRadius);
    context.addLineToPoint(left + kBackPointDepth, bottom - 0.5);
    context.closePath();
}

void UINavigationButton::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect shape = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat shade = isHighlighted() ? 0.75 : 1.0;
    const bool done = kind_ == Kind::Done;
    const std::vector<CGFloat> colours = done
        ? std::vector<CGFloat>{0.36 * shade, 0.55 * shade, 0.90 * shade, 1, 0.13 * shade, 0.34 * shade, 0.80 * shade, 1}
        : std::vector<CGFloat>{
            0.55 * shade, 0.63 * shade, 0.74 * shade, 1, 0.33 * shade, 0.43 * shade, 0.57 * shade, 1};
    {
        CGContextStateSaver saved(*context);
        addButtonPath(*context, shape);
        context->clip();
        context->drawLinearGradient(CGGradient::gradientWithColorComponents(colours, {0, 1}),
            CGPointMake(0, shape.origin.y), CGPointMake(0, CGRectGetMaxY(shape)), 0);
    }
    if (done) {
        context->setRGBStrokeColor(0.08, 0.20, 0.50, 1);
    } else {
        context->setRGBStrokeColor(0.20, 0.27, 0.37, 1);
    }
    context->setLineWidth(1);
    addButtonPath(*context, shape);
    context->strokePath();
    if (kind_ == Kind::Add) {
        drawPlus(*context);
    }
}

void UINavigationButton::drawPlus(CGContext& context) const
{
    const CGFloat midX = std::round(CGRectGetMidX(bounds()));
    const CGFloat midY = std::round(CGRectGetMidY(bounds()));
    const CGFloat arm = 7;
    const CGFloat half = 1.5;
    context.setGrayFillColor(0, 0.45);
    context.fillRect(CGRectMake(midX - arm, midY - half - 1, 2 * arm, 2 * half));
    context.fillRect(CGRectMake(midX - half, midY - arm - 1, 2 * half, 2 * arm));
    context.setGrayFillColor(1, isEnabled() ? 1 : 0.5);
    context.fillRect(CGRectMake(midX - arm, midY - half, 2 * arm, 2 * half));
    context.fillRect(CGRectMake(midX - half, midY - arm, 2 * half, 2 * arm));
}
