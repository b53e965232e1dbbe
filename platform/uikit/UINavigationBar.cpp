#include "UINavigationBar.h"

#include "CGGradient.h"
#include "UIGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kSideMargin = 5;
constexpr CGFloat kTitleGap = 8;
// The most of the bar's width that the back button may take.
constexpr CGFloat kBackButtonShare = 0.4;

} // namespace

UINavigationBar::UINavigationBar(CGRect frame) : UIView(frame), titleLabel_(std::make_shared<UILabel>())
{
    titleLabel_->setBackgroundColor(UIColor::clearColor());
    titleLabel_->setFont(UIFont::boldSystemFontOfSize(20));
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setShadowColor(UIColor::colorWithWhiteAlpha(0, 0.5));
    titleLabel_->setShadowOffset(CGSizeMake(0, -1));
    titleLabel_->setTextAlignment(UITextAlignmentCenter);
    addSubview(titleLabel_);
}

UINavigationBar::~UINavigationBar()
{
    for (const auto& item : items_) {
        if (item->navigationBar() == this) {
            item->setNavigationBar(nullptr);
        }
    }
}

UINavigationItem* UINavigationBar::topItem() const { return items_.empty() ? nullptr : items_.back().get(); }

UINavigationItem* UINavigationBar::backItem() const
{
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get();
}

void UINavigationBar::pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated)
{
    if (item == nullptr || std::find(items_.begin(), items_.end(), item) != items_.end()) {
        return;
    }
    item->setNavigationBar(this);
    items_.push_back(std::move(item));
    showTopItem(animated);
}

std::shared_ptr<UINavigationItem> UINavigationBar::popNavigationItem(bool animated)
{
    if (items_.empty()) {
        return nullptr;
    }
    std::shared_ptr<UINavigationItem> popped = items_.back();
    items_.pop_back();
    popped->setNavigationBar(nullptr);
    showTopItem(animated);
    return popped;
}

void UINavigationBar::setItems(std::vector<std::shared_ptr<UINavigationItem>> items)
{
    for (const auto& item : items_) {
        item->setNavigationBar(nullptr);
    }
    items_ = std::move(items);
    for (const auto& item : items_) {
        item->setNavigationBar(this);
    }
    showTopItem(false);
}

void UINavigationBar::itemDidChange(const UINavigationItem& item)
{
    if (&item == topItem() || &item == backItem()) {
        showTopItem(false);
    }
}

void UINavigationBar::showTopItem(bool animated)
{
    UINavigationItem* top = topItem();
    titleLabel_->setText(top == nullptr ? std::string() : top->title());

    std::shared_ptr<UINavigationButton> backButton;
    if (UINavigationItem* below = backItem()) {
        backButton = std::make_shared<UINavigationButton>(UINavigationButton::Kind::Back,
                                                          below->title().empty() ? "Back" : below->title());
        backButton->addTargetActionForControlEvents(this, [this] { back(); }, UIControlEventTouchUpInside);
    }
    replaceButton(backButton_, std::move(backButton));

    std::shared_ptr<UINavigationButton> right;
    if (top != nullptr && top->rightBarButtonItem() != nullptr) {
        right = UINavigationButton::buttonForItem(top->rightBarButtonItem());
    }
    replaceButton(rightButton_, std::move(right));

    // Placed at once, so that the new buttons take touches where they are shown.
    layoutSubviews();
    if (animated) {
        // The new title fades in over the time a page takes to slide in.
        titleLabel_->setAlpha(0);
        UIView::beginAnimationsContext("UINavigationBarTitle", nullptr);
        UIView::setAnimationDuration(0.35);
        titleLabel_->setAlpha(1);
        UIView::commitAnimations();
    }
}

void UINavigationBar::replaceButton(std::shared_ptr<UINavigationButton>& slot, std::shared_ptr<UINavigationButton> button)
{
    if (slot != nullptr) {
        slot->removeFromSuperview();
    }
    slot = std::move(button);
    if (slot != nullptr) {
        addSubview(slot);
    }
}

void UINavigationBar::back()
{
    if (backAction_) {
        const std::function<void()> action = backAction_;
        action();
    }
}

void UINavigationBar::layoutSubviews()
{
    const CGFloat width = bounds().size.width;
    const CGFloat buttonY = std::round((bounds().size.height - UINavigationButton::height) / 2);
    CGFloat titleLeft = kSideMargin;
    CGFloat titleRight = width - kSideMargin;
    if (rightButton_ != nullptr) {
        const CGFloat buttonWidth = rightButton_->preferredWidth(width * kBackButtonShare);
        rightButton_->setFrame(CGRectMake(width - kSideMargin - buttonWidth, buttonY, buttonWidth, UINavigationButton::height));
        titleRight = width - kSideMargin - buttonWidth - kTitleGap;
    }
    if (backButton_ != nullptr) {
        const CGFloat buttonWidth = backButton_->preferredWidth(width * kBackButtonShare);
        backButton_->setFrame(CGRectMake(kSideMargin, buttonY, buttonWidth, UINavigationButton::height));
        titleLeft = kSideMargin + buttonWidth + kTitleGap;
    }
    // Centred on the bar when the buttons leave room for that, otherwise centred in the room between them.
    const CGFloat textWidth = std::ceil(sizeWithFont(titleLabel_->text(), titleLabel_->font()).width);
    const CGFloat room = std::max<CGFloat>(0, titleRight - titleLeft);
    const CGFloat titleWidth = std::min(textWidth, room);
    CGFloat x = std::round((width - titleWidth) / 2);
    x = std::clamp(x, titleLeft, std::max(titleLeft, titleRight - titleWidth));
    titleLabel_->setFrame(CGRectMake(x, 0, titleWidth, bounds().size.height));
}

void UINavigationBar::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect bar = bounds();
    context->drawLinearGradient(CGGradient::gradientWithColorComponents(
                                    {0.69, 0.74, 0.80, 1, 0.53, 0.61, 0.71, 1, 0.43, 0.52, 0.63, 1}, {0, 0.5, 1}),
                                CGPointMake(0, bar.origin.y), CGPointMake(0, CGRectGetMaxY(bar)), 0);
    // A light line along the top and a dark one along the bottom edge.
    context->setRGBFillColor(0.80, 0.84, 0.89, 1);
    context->fillRect(CGRectMake(bar.origin.x, bar.origin.y, bar.size.width, 1));
    context->setRGBFillColor(0.18, 0.23, 0.30, 1);
    context->fillRect(CGRectMake(bar.origin.x, CGRectGetMaxY(bar) - 1, bar.size.width, 1));
}
