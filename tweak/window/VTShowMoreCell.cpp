#include "VTShowMoreCell.h"

#include "UIImage-Retina.h"

VTShowMoreCell::VTShowMoreCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UITableViewCell(style, std::move(reuseIdentifier))
    , button_(std::make_shared<UIButton>(UIButtonTypeCustom, CGRectMake(0, 0, 254, 35)))
{
    setSelectionStyle(UITableViewCellSelectionStyle::None);
    button_->setBackgroundImageForState(
        UIImageRetina::imageInVantleFolderNamed("ButtonBlue.png"), UIControlStateNormal);
    button_->setBackgroundImageForState(
        UIImageRetina::imageInVantleFolderNamed("ButtonBluePressed.png"), UIControlStateHighlighted);
    button_->setTitleForState("Show Older", UIControlStateNormal);
    button_->setTitleColorForState(UIColor::colorWithWhiteAlpha(1, 1), UIControlStateNormal);
    button_->setTitleShadowColorForState(UIColor::colorWithWhiteAlpha(0.175, 0.8), UIControlStateNormal);
    button_->setFont(UIFont::boldSystemFontOfSize(16));
    button_->setTitleShadowOffset(CGSizeMake(0, 1));
    addSubview(button_);
    setFrame(frame());
}

void VTShowMoreCell::setFrame(CGRect frame)
{
    UITableViewCell::setFrame(frame);
    button_->setCenter(CGPointMake(frame.size.width / 2, frame.size.height / 2));
}
