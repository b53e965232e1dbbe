#include "SBSwitcherView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "UIGraphics.h"

#include <cmath>

SBSwitcherView::SBSwitcherView() { setOpaque(false); }

void SBSwitcherView::setApplications(const std::vector<std::shared_ptr<SBApplication>>& applications)
{
    for (const auto& view : iconViews_) {
        view->removeFromSuperview();
    }
    iconViews_.clear();
    for (const auto& application : applications) {
        auto view = std::make_shared<SBIconView>(std::make_shared<SBIcon>(application));
        view->setTapHandler([this](const std::shared_ptr<SBApplication>& chosen) {
            if (choose_) {
                choose_(chosen);
            }
        });
        addSubview(view);
        iconViews_.push_back(std::move(view));
    }
    setNeedsLayout();
}

void SBSwitcherView::layoutSubviews()
{
    const CGRect area = bounds();
    const int fit = static_cast<int>(area.size.width / SBIconView::kWidth);
    const CGFloat gap = (area.size.width - fit * SBIconView::kWidth) / (fit + 1);
    for (std::size_t index = 0; index < iconViews_.size(); ++index) {
        const bool fits = static_cast<int>(index) < fit;
        iconViews_[index]->setHidden(!fits);
        iconViews_[index]->setFrame(CGRectMake(std::round(gap + index * (SBIconView::kWidth + gap)),
            area.size.height - kTrayHeight + 6, SBIconView::kWidth, SBIconView::kHeight));
    }
}

void SBSwitcherView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect area = bounds();
    context->setRGBFillColor(0, 0, 0, 0.55);
    context->fillRect(CGRectMake(0, 0, area.size.width, area.size.height - kTrayHeight));
    // The tray: a linen-grey shelf, darker at its top edge where the screen lifts off it.
    const CGRect tray = CGRectMake(0, area.size.height - kTrayHeight, area.size.width, kTrayHeight);
    const auto linen = CGGradient::gradientWithColorComponents(
        {0.2, 0.21, 0.24, 1, 0.32, 0.33, 0.37, 1, 0.28, 0.29, 0.33, 1}, {0, 0.12, 1});
    {
        CGContextStateSaver saved(*context);
        context->clipToRect(tray);
        context->drawLinearGradient(linen, tray.origin, CGPointMake(0, CGRectGetMaxY(tray)), 0);
        // A fine weave over the shelf.
        context->setGrayFillColor(1, 0.025);
        for (CGFloat y = tray.origin.y; y < CGRectGetMaxY(tray); y += 2) {
            context->fillRect(CGRectMake(0, y, area.size.width, 1));
        }
    }
    context->setGrayFillColor(0, 0.7);
    context->fillRect(CGRectMake(0, tray.origin.y, area.size.width, 2));
}

void SBSwitcherView::touchesEndedWithEvent(const UITouchSet&, UIEvent*)
{
    if (choose_) {
        choose_(nullptr);
    }
}
