#include "VTNotificationCell.h"

#include <algorithm>

namespace {

std::shared_ptr<UIColor> newDateColour() { return UIColor::colorWithRedGreenBlueAlpha(0.19, 0.42, 0.77, 1); }
std::shared_ptr<UIColor> readDateColour() { return UIColor::colorWithWhiteAlpha(0.6, 1); }

} // namespace

VTNotificationCell::VTNotificationCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UITableViewCell(style, std::move(reuseIdentifier))
    , notificationView_(std::make_shared<UIView>(CGRect{CGPointMake(0, 0), frame().size}))
    , date_(std::make_shared<UILabel>(CGRectMake(kTextLeft, 6, 100, 13)))
    , notification_(std::make_shared<UILabel>(CGRectMake(kTextLeft, kTextTop, 0, 0)))
    , separator_(std::make_shared<UIView>())
{
    setSelectionStyle(UITableViewCellSelectionStyle::Gray);
    notificationView_->setClipsToBounds(true);
    notificationView_->setBackgroundColor(UIColor::whiteColor());

    date_->setFont(UIFont::boldSystemFontOfSize(11));
    date_->setTextColor(newDateColour());

    notification_->setFont(UIFont::systemFontOfSize(14));
    notification_->setTextColor(UIColor::colorWithWhiteAlpha(0.2, 1));
    notification_->setNumberOfLines(0);
    notification_->setShadowOffset(CGSizeMake(0, 1));
    notification_->setShadowColor(UIColor::whiteColor());

    separator_->setBackgroundColor(UIColor::colorWithWhiteAlpha(0.85, 1));

    notificationView_->addSubview(date_);
    notificationView_->addSubview(notification_);
    addSubview(notificationView_);
    addSubview(separator_);
    setFrame(frame());
}

void VTNotificationCell::setNewNotification(bool isNew)
{
    newNotification_ = isNew;
    date_->setTextColor(isNew ? newDateColour() : readDateColour());
}

void VTNotificationCell::setFrame(CGRect frame)
{
    UITableViewCell::setFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    separator_->setFrame(CGRectMake(0, height - 1, width, 1));
    textWidth_ = width - kTextInset;
    notification_->setFrame(CGRectMake(kTextLeft, kTextTop, textWidth_, height - kTextTop - kTextBottomMargin));
    // The date line as wide as the text below it, so a long one ("Yesterday, 10:55 PM") is not cut short.
    const CGRect date = date_->frame();
    date_->setFrame(CGRectMake(date.origin.x, date.origin.y, std::max(date.size.width, textWidth_), date.size.height));
    notificationView_->setFrame(CGRectMake(0, 0, width, height));
}

void VTNotificationCell::setSelectedAnimated(bool, bool) {}
