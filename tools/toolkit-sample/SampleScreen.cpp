#include "SampleScreen.h"

#include "SampleBadgeView.h"
#include "UIButton.h"
#include "UIColor.h"
#include "UIFont.h"
#include "UIImage-Retina.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UIScreen.h"
#include "UITableView.h"
#include "UIWindow.h"

namespace {

constexpr CGFloat kTableTop = 34;
constexpr CGFloat kBottomRowTop = 408;

} // namespace

SampleScreen::SampleScreen()
    : tableSource_([this](const std::string& name) { return loadArtwork(UIImageRetina::kVantleImagesFolder + name); }),
      window_(std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds()))
{
    window_->setBackgroundColor(UIColor::colorWithRedGreenBlueAlpha(0.78, 0.81, 0.86, 1));
    addTitle();
    addTable();
    addBottomRow();
    window_->makeKeyAndVisible();
}

SampleScreen::~SampleScreen()
{
    table_->setDataSource(nullptr);
    window_->setHidden(true);
}

std::shared_ptr<UIImage> SampleScreen::loadArtwork(const std::string& devicePath)
{
    auto image = UIImageRetina::imageWithContentsOfResolutionIndependentFile(devicePath);
    if (!image) {
        missingArtwork_.push_back(devicePath);
    }
    return image;
}

void SampleScreen::addTitle()
{
    auto title = std::make_shared<UILabel>(CGRectMake(0, 6, 320, 26));
    title->setText("Toolkit sample");
    title->setFont(UIFont::boldSystemFontOfSize(20));
    title->setTextAlignment(UITextAlignmentCenter);
    title->setTextColor(UIColor::colorWithRedGreenBlueAlpha(0.30, 0.34, 0.42, 1));
    title->setShadowColor(UIColor::whiteColor());
    title->setShadowOffset(CGSizeMake(0, 1));
    title->setBackgroundColor(UIColor::clearColor());
    window_->addSubview(title);
}

void SampleScreen::addTable()
{
    table_ = UITableView::initWithFrameStyle(CGRectMake(0, kTableTop, 320, kBottomRowTop - kTableTop),
                                             UITableViewStyle::Grouped);
    table_->setBackgroundColor(UIColor::clearColor());
    table_->setDataSource(&tableSource_);
    window_->addSubview(table_);
}

void SampleScreen::addBottomRow()
{
    auto icon = std::make_shared<UIImageView>(loadArtwork("/Applications/MobileSMS.app/Icon.png"));
    icon->setFrame(CGRectMake(16, kBottomRowTop + 6, 57, 57));
    window_->addSubview(icon);

    auto button = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    button->setFrame(CGRectMake(88, kBottomRowTop + 16, 140, 37));
    button->setTitleForState("Mark as read", UIControlStateNormal);
    window_->addSubview(button);

    badge_ = std::make_shared<SampleBadgeView>(CGPointMake(0, kBottomRowTop + 20), "12");
    badge_->setCenter(CGPointMake(272, badge_->center().y));
    window_->addSubview(badge_);
}
