#include "SBApplicationView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "NSString-UIStringDrawing.h"
#include "SBIcon.h"
#include "SBStatusBar.h"
#include "UIGraphics.h"
#include "UIImage.h"

namespace {

constexpr CGFloat kTitleBarHeight = 44;
constexpr CGFloat kIconSize = 114;

} // namespace

SBApplicationView::SBApplicationView() = default;

void SBApplicationView::setApplication(std::shared_ptr<SBApplication> application)
{
    application_ = std::move(application);
    icon_ = application_ ? SBIcon(application_).getIconImage(SBIcon::HomeScreenFormat) : nullptr;
    setNeedsDisplay();
}

void SBApplicationView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr || !application_) {
        return;
    }
    const CGRect area = bounds();
    const auto paper = CGGradient::gradientWithColorComponents({0.97, 0.97, 0.98, 1, 0.86, 0.87, 0.9, 1}, {});
    context->drawLinearGradient(paper, area.origin, CGPointMake(0, CGRectGetMaxY(area)), 0);
    drawTitleBar(*context);
    const CGFloat middle
        = SBStatusBar::kHeight + kTitleBarHeight + (area.size.height - SBStatusBar::kHeight - kTitleBarHeight) / 2;
    const CGRect art = CGRectMake((area.size.width - kIconSize) / 2, middle - kIconSize / 2 - 24, kIconSize, kIconSize);
    context->setRGBFillColor(0, 0, 0, 0.12);
    context->addRoundedRect(CGRectOffset(CGRectInset(art, -2, -2), 0, 3), 22);
    context->fillPath();
    if (icon_) {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(art, 20);
        context->clip();
        icon_->drawInRect(art);
    }
    context->setGrayFillColor(0.25, 1);
    drawInRectWithFontLineBreakModeAlignment(application_->displayName(),
        CGRectMake(10, CGRectGetMaxY(art) + 16, area.size.width - 20, 26), UIFont::boldSystemFontOfSize(22),
        UILineBreakModeTailTruncation, UITextAlignmentCenter);
}

void SBApplicationView::drawTitleBar(CGContext& context) const
{
    const CGRect bar = CGRectMake(0, SBStatusBar::kHeight, bounds().size.width, kTitleBarHeight);
    const auto steel = CGGradient::gradientWithColorComponents(
        {0.69, 0.74, 0.81, 1, 0.49, 0.56, 0.65, 1, 0.43, 0.51, 0.6, 1}, {0, 0.5, 1});
    {
        CGContextStateSaver saved(context);
        context.clipToRect(bar);
        context.drawLinearGradient(steel, bar.origin, CGPointMake(0, CGRectGetMaxY(bar)), 0);
    }
    context.setGrayFillColor(0.2, 1);
    context.fillRect(CGRectMake(0, CGRectGetMaxY(bar) - 1, bar.size.width, 1));
    const CGRect title = CGRectMake(10, bar.origin.y + 11, bar.size.width - 20, 24);
    context.setGrayFillColor(0.2, 0.6);
    drawInRectWithFontLineBreakModeAlignment(application_->displayName(), CGRectOffset(title, 0, -1),
        UIFont::boldSystemFontOfSize(20), UILineBreakModeTailTruncation, UITextAlignmentCenter);
    context.setGrayFillColor(1, 1);
    drawInRectWithFontLineBreakModeAlignment(application_->displayName(), title, UIFont::boldSystemFontOfSize(20),
        UILineBreakModeTailTruncation, UITextAlignmentCenter);
}
