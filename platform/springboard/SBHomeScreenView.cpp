#include "SBHomeScreenView.h"

#include "CGContextStateSaver.h"
#include "CGGradient.h"
#include "SBStatusBar.h"
#include "SBWallpaper.h"
#include "UIGraphics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

SBHomeScreenView::SBHomeScreenView(SBIconModel& model)
    : model_(model)
{
    reloadIcons();
}

void SBHomeScreenView::reloadIcons()
{
    for (const auto& view : iconViews_) {
        view->removeFromSuperview();
    }
    iconViews_.clear();
    for (auto& icon : model_.applicationIcons()) {
        auto view = std::make_shared<SBIconView>(std::move(icon));
        view->setTapHandler([this](const std::shared_ptr<SBApplication>& application) {
            if (launch_) {
                launch_(application);
            }
        });
        addSubview(view);
        iconViews_.push_back(std::move(view));
    }
    setNeedsLayout();
}

void SBHomeScreenView::setLaunchHandler(std::function<void(const std::shared_ptr<SBApplication>&)> handler)
{
    launch_ = std::move(handler);
}

namespace {

// The dock's applications, left to right.
constexpr std::array<std::string_view, 3> kDockApplications
    = {"com.apple.mobilephone", "com.apple.MobileSMS", "com.apple.mobileipod"};

std::size_t dockPlace(const SBIconView& view)
{
    const std::string& identifier = view.icon()->application()->bundleIdentifier();
    return static_cast<std::size_t>(
        std::find(kDockApplications.begin(), kDockApplications.end(), identifier) - kDockApplications.begin());
}

} // namespace

void SBHomeScreenView::layoutSubviews()
{
    std::vector<SBIconView*> grid;
    std::vector<SBIconView*> dock;
    for (const auto& view : iconViews_) {
        (dockPlace(*view) < kDockApplications.size() ? dock : grid).push_back(view.get());
    }
    std::sort(dock.begin(), dock.end(),
        [](const SBIconView* a, const SBIconView* b) { return dockPlace(*a) < dockPlace(*b); });
    layOutGrid(grid);
    layOutDock(dock);
}

void SBHomeScreenView::layOutGrid(const std::vector<SBIconView*>& views) const
{
    const CGFloat width = bounds().size.width;
    const int columns = std::max(1, static_cast<int>(width / (SBIconView::kWidth + 4)));
    const CGFloat gap = (width - columns * SBIconView::kWidth) / (columns + 1);
    const bool landscape = width > bounds().size.height;
    const CGFloat rowHeight = landscape ? SBIconView::kHeight + 2 : SBIconView::kHeight + 4;
    for (std::size_t index = 0; index < views.size(); ++index) {
        const auto column = static_cast<CGFloat>(index % columns);
        const auto row = static_cast<CGFloat>(index / columns);
        views[index]->setFrame(CGRectMake(std::round(gap + column * (SBIconView::kWidth + gap)),
            SBStatusBar::kHeight + 10 + row * rowHeight, SBIconView::kWidth, SBIconView::kHeight));
    }
}

void SBHomeScreenView::layOutDock(const std::vector<SBIconView*>& views) const
{
    const CGRect area = bounds();
    const auto count = static_cast<CGFloat>(views.size());
    const CGFloat gap = (area.size.width - count * SBIconView::kWidth) / (count + 1);
    for (std::size_t index = 0; index < views.size(); ++index) {
        views[index]->setFrame(CGRectMake(std::round(gap + static_cast<CGFloat>(index) * (SBIconView::kWidth + gap)),
            area.size.height - kDockHeight + 4, SBIconView::kWidth, SBIconView::kHeight));
    }
}

void SBHomeScreenView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect area = bounds();
    SBWallpaper::drawInRect(*context, area);
    // The dock: a glassy shelf along the bottom.
    const CGRect dock = CGRectMake(0, area.size.height - kDockHeight, area.size.width, kDockHeight);
    const auto glass = CGGradient::gradientWithColorComponents(
        {0.85, 0.88, 0.95, 0.34, 0.55, 0.6, 0.7, 0.28, 0.2, 0.22, 0.28, 0.5}, {0, 0.35, 1});
    {
        CGContextStateSaver saved(*context);
        context->clipToRect(dock);
        context->drawLinearGradient(glass, dock.origin, CGPointMake(0, CGRectGetMaxY(dock)), 0);
    }
    context->setGrayFillColor(1, 0.45);
    context->fillRect(CGRectMake(0, dock.origin.y, dock.size.width, 1));
    // The page dot above the dock.
    context->setGrayFillColor(1, 0.9);
    context->fillEllipseInRect(CGRectMake(area.size.width / 2 - 3, dock.origin.y - 14, 6, 6));
}
