#include "VTActions.h"

#include "UIColor.h"
#include "UIFont.h"
#include "UIImage-Retina.h"
#include "UILabel.h"

#include <string>

namespace {

// The buttons of one screen width: 15 points in from both sides, one above the other at a fixed pitch,
// the last one `pitch` points above the bottom edge.
struct ButtonColumn {
    unsigned width;
    CGFloat buttonHeight;
    CGFloat pitch;
};

constexpr CGFloat kSideMargin = 15;
constexpr ButtonColumn kPortraitColumn{320, 46, 60};
constexpr ButtonColumn kLandscapeColumn{480, 36, 40};

const ButtonColumn* columnForWidth(unsigned width)
{
    for (const ButtonColumn* column : {&kPortraitColumn, &kLandscapeColumn}) {
        if (column->width == width) {
            return column;
        }
    }
    return nullptr;
}

// The width without its fraction; a width that does not fit an unsigned integer counts as 0.
unsigned wholeWidth(CGFloat width)
{
    return width >= 0 && width < 4294967296.0 ? static_cast<unsigned>(width) : 0;
}

std::shared_ptr<UIButton> makeButton(const std::string& title)
{
    auto button = std::make_shared<UIButton>(UIButtonTypeCustom, CGRectZero);
    button->setTitleForState(title, UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(UIFont::buttonFontSize()));
    return button;
}

// Dark text engraved into the white buttons: a white shadow one point below.
std::shared_ptr<UIButton> makeWhiteButton(const std::string& title)
{
    auto button = makeButton(title);
    button->setTitleColorForState(UIColor::colorWithWhiteAlpha(0.15, 1.0), UIControlStateNormal);
    button->setTitleShadowColorForState(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setShadowOffset(CGSizeMake(0, 1));
    return button;
}

void setBackgrounds(UIButton& button, const std::string& colour, unsigned width)
{
    button.setBackgroundImageForState(
        UIImageRetina::imageInVantleFolderNamed("Button" + colour + std::to_string(width) + ".png"), UIControlStateNormal);
    button.setBackgroundImageForState(
        UIImageRetina::imageInVantleFolderNamed("Button" + colour + "Pressed" + std::to_string(width) + ".png"),
        UIControlStateHighlighted);
}

} // namespace

VTActions::VTActions(CGRect frame)
    : UIView(CGRectZero)
    , clear_(makeButton("Clear"))
    , collapse_(makeWhiteButton("Collapse All"))
    , expand_(makeWhiteButton("Expand All"))
    , bottomShadow_(std::make_shared<UIImageView>(CGRectZero))
{
    bottomShadow_->setImage(UIImageRetina::imageWithContentsOfResolutionIndependentFile(kShadowPath));
    addSubview(bottomShadow_);

    // White title (the custom button's own) with a dark shadow one point above.
    clear_->setTitleShadowColorForState(UIColor::colorWithWhiteAlpha(0.15, 0.6), UIControlStateNormal);
    clear_->titleLabel()->setShadowOffset(CGSizeMake(0, -1));

    addSubview(clear_);
    addSubview(collapse_);
    addSubview(expand_);
    setFrame(frame);
}

void VTActions::setFrame(CGRect frame)
{
    UIView::setFrame(frame);
    const CGFloat width = frame.size.width;
    const CGFloat height = frame.size.height;
    bottomShadow_->setFrame(CGRectMake(0, height - kShadowHeight, width, kShadowHeight));
    setBackgroundColor(UIColor::underPageBackgroundColor());

    const unsigned whole = wholeWidth(width);
    layOutButtonsForWidth(whole, height);
    loadButtonImagesForWidth(whole);
}

void VTActions::layOutButtonsForWidth(unsigned width, CGFloat height)
{
    const ButtonColumn* column = columnForWidth(width);
    if (!column) {
        return;
    }
    const CGFloat buttonWidth = column->width - 2 * kSideMargin;
    CGFloat rowsAbove = 3;
    for (UIButton* button : {clear_.get(), collapse_.get(), expand_.get()}) {
        button->setFrame(CGRectMake(kSideMargin, height - rowsAbove * column->pitch, buttonWidth, column->buttonHeight));
        rowsAbove -= 1;
    }
}

void VTActions::loadButtonImagesForWidth(unsigned width)
{
    setBackgrounds(*clear_, "Red", width);
    setBackgrounds(*collapse_, "White", width);
    setBackgrounds(*expand_, "White", width);
}

void VTActions::setTarget(Target* target)
{
    // Registered under the bar's own identity, so that a second target replaces the first.
    const auto connect = [this, target](UIButton& button, void (Target::*action)()) {
        button.removeTargetActionForControlEvents(this, UIControlEventTouchUpInside);
        if (target) {
            button.addTargetActionForControlEvents(this, [target, action] { (target->*action)(); },
                                                   UIControlEventTouchUpInside);
        }
    };
    connect(*clear_, &Target::clear);
    connect(*collapse_, &Target::collapse);
    connect(*expand_, &Target::expand);
}
