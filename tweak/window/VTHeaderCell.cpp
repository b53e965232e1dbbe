#include "VTHeaderCell.h"

#include "CGContext.h"
#include "CGGradient.h"
#include "PLWriter.h"
#include "UIGraphics.h"

#include <algorithm>

namespace {

std::shared_ptr<UIView> colouredView(std::shared_ptr<UIColor> colour)
{
    auto view = std::make_shared<UIView>();
    view->setBackgroundColor(std::move(colour));
    return view;
}

} // namespace

VTHeaderCell::VTHeaderCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UITableViewCell(style, std::move(reuseIdentifier))
    , top_(colouredView(UIColor::whiteColor()))
    , bottom_(colouredView(UIColor::colorWithRedGreenBlueAlpha(0.66, 0.69, 0.71, 1)))
    , highlight_(colouredView(UIColor::blackColor()))
    , icon_(std::make_shared<UIImageView>())
    , title_(std::make_shared<UILabel>())
    , badge_(std::make_shared<GMBadgeView>())
{
    const bool customIcons = PLWriter::customIcons();
    const double iconSize = customIcons ? 32 : 29;
    const double height = customIcons ? 44 : 41;

    setSelectionStyle(UITableViewCellSelectionStyle::None);
    highlight_->setAlpha(0);
    addSubview(top_);
    addSubview(bottom_);
    addSubview(highlight_);

    icon_->setFrame(CGRectMake(kIconOrigin, kIconTop, iconSize, iconSize));
    icon_->setBackgroundColor(UIColor::clearColor());

    title_->setFrame(CGRectMake(kTitleLeft, 0, 300, height));
    title_->setFont(UIFont::boldSystemFontOfSize(18));
    title_->setTextColor(UIColor::colorWithWhiteAlpha(0.175, 1));
    title_->setShadowColor(UIColor::colorWithWhiteAlpha(1, 0.8));
    title_->setShadowOffset(CGSizeMake(0, 1));
    title_->setBackgroundColor(UIColor::clearColor());

    setAccessoryView(badge_);
    addSubview(icon_);
    addSubview(title_);
    setFrame(frame());
}

void VTHeaderCell::setCount(std::int32_t count)
{
    count_ = count;
    badge_->setFrame(CGRect{CGPointMake(0, 0), GMBadgeView::pillSizeForText(std::to_string(count))});
    badge_->setBadgeNumber(count);
    badge_->setNeedsDisplay();
}

void VTHeaderCell::setFrame(CGRect frame)
{
    UITableViewCell::setFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    top_->setFrame(CGRectMake(0, 0, width, 1));
    bottom_->setFrame(CGRectMake(0, height - 1, width, 1));
    highlight_->setFrame(CGRectMake(0, 0, width, height));
}

void VTHeaderCell::layoutSubviews()
{
    UITableViewCell::layoutSubviews();
    // The title ends before the badge (placed by the base layout), so a long name is cut short, not drawn
    // across the count.
    const UIView* badge = badge_->isHidden() ? nullptr : badge_.get();
    const double end = badge ? badge->frame().origin.x - kTitleGap : bounds().size.width - kTitleGap;
    const CGRect title = title_->frame();
    title_->setFrame(
        CGRectMake(title.origin.x, title.origin.y, std::max(0.0, end - title.origin.x), title.size.height));
}

void VTHeaderCell::drawRect(CGRect rect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (!context) {
        return;
    }
    // Darker at the bottom (location 0, drawn from the bottom edge), pale at the top.
    const auto gradient = CGGradient::gradientWithColorComponents({0.7, 0.725, 0.74, 1, 0.9, 0.93, 0.94, 1}, {0, 1});
    context->drawLinearGradient(gradient, CGPointMake(0, rect.size.height), CGPointMake(0, 0), 0);
}

void VTHeaderCell::flashHighlight() { animateHighlight("Flash highlight", kHighlightAlpha); }

void VTHeaderCell::unflashHighlight() { animateHighlight("Unflash highlight", 0); }

void VTHeaderCell::animateHighlight(const char* name, double alpha)
{
    UIView::beginAnimationsContext(name, nullptr);
    UIView::setAnimationDuration(kHighlightDuration);
    highlight_->setAlpha(alpha);
    UIView::commitAnimations();
}

void VTHeaderCell::touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event)
{
    flashHighlight();
    UITableViewCell::touchesBeganWithEvent(touches, event);
}

void VTHeaderCell::touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event)
{
    flashHighlight();
    UITableViewCell::touchesMovedWithEvent(touches, event);
}

void VTHeaderCell::touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event)
{
    unflashHighlight();
    UITableViewCell::touchesEndedWithEvent(touches, event);
}

void VTHeaderCell::touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event)
{
    unflashHighlight();
    UITableViewCell::touchesCancelledWithEvent(touches, event);
}
