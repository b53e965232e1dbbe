#include "AppStoreCell.h"

#include "NSString-UIStringDrawing.h"
#include "UIColor.h"
#include "UIFont.h"

namespace {

// The catalogue's greys: red = green = level, blue a touch more.
std::shared_ptr<UIColor> grey(CGFloat level) { return UIColor::colorWithRedGreenBlueAlpha(level, level, level + 0.01, 1); }

std::shared_ptr<UIColor> shadowColor() { return grey(0.8); }

std::shared_ptr<UILabel> makeLabel(CGRect frame, CGFloat fontSize, std::shared_ptr<UIColor> color)
{
    auto label = std::make_shared<UILabel>(frame);
    label->setFont(UIFont::boldSystemFontOfSize(fontSize));
    label->setTextColor(std::move(color));
    label->setShadowColor(shadowColor());
    label->setShadowOffset(CGSizeMake(0, 1));
    return label;
}

} // namespace

AppStoreCell::AppStoreCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UITableViewCell(style, std::move(reuseIdentifier))
    , highlight_(std::make_shared<UIView>())
    , separator_(std::make_shared<UIView>())
    , background_(std::make_shared<UIView>())
    , title_(makeLabel(CGRectMake(70, 25, 200, 20), 16, UIColor::blackColor()))
    , subtitle_(makeLabel(CGRectMake(70, 9, 200, 16), 13, UIColor::colorWithRedGreenBlueAlpha(0.23, 0.23, 0.23, 1)))
{
    setBackgroundView(background_);
    addSubview(highlight_);
    addSubview(separator_);
    contentView()->addSubview(title_);
    contentView()->addSubview(subtitle_);
}

void AppStoreCell::setAppStoreCellStyle(int style)
{
    struct Levels {
        CGFloat background, highlight, separator;
    };
    if (style != Dark && style != Light) {
        return;
    }
    const Levels levels = style == Dark ? Levels { 0.6, 0.68, 0.52 } : Levels { 0.68, 0.74, 0.6 };
    background_->setBackgroundColor(grey(levels.background));
    highlight_->setBackgroundColor(grey(levels.highlight));
    separator_->setBackgroundColor(grey(levels.separator));
}

void AppStoreCell::setPriceTag(const std::string& price)
{
    const auto font = UIFont::boldSystemFontOfSize(12);
    const auto size = sizeWithFontConstrainedToSize(price, font, CGSizeMake(320, 480));
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, size.width, size.height));
    label->setBackgroundColor(UIColor::clearColor());
    label->setFont(font);
    label->setText(price);
    label->setTextColor(UIColor::colorWithRedGreenBlueAlpha(0.29, 0.29, 0.29, 1));
    label->setShadowColor(shadowColor());
    label->setShadowOffset(CGSizeMake(0, 1));
    setAccessoryView(std::move(label));
}

void AppStoreCell::setFrame(CGRect frame)
{
    UITableViewCell::setFrame(frame);
    highlight_->setFrame(CGRectMake(0, 0, frame.size.width, 1));
    separator_->setFrame(CGRectMake(0, frame.size.height - 1, frame.size.width, 1));
}
