#include "UIAlertView.h"

#include "CGContextStateSaver.h"
#include "NSString-UIStringDrawing.h"
#include "UIGraphics.h"
#include "UIScreen.h"
#include "UITouch.h"
#include "UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kInset = 12;
constexpr CGFloat kTopPadding = 16;
constexpr CGFloat kBottomPadding = 14;
constexpr CGFloat kLineGap = 6;
constexpr CGFloat kFieldHeight = 29;
constexpr CGFloat kButtonGap = 8;
constexpr CGFloat kCornerRadius = 10;
constexpr CGFloat kDimAlpha = 0.4;
// The box keeps this far from the window's top and bottom edges (the top one lies under the status bar).
constexpr CGFloat kWindowEdge = 30;

struct ShownAlert {
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIAlertView> alert;
};

// Never destroyed: windows still up at exit must not outlive the screen they are listed with.
std::vector<ShownAlert>& shownAlerts()
{
    static auto* alerts = new std::vector<ShownAlert>();
    return *alerts;
}

std::shared_ptr<UILabel> makeLabel(const std::shared_ptr<UIFont>& font)
{
    auto label = std::make_shared<UILabel>();
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextColor(UIColor::whiteColor());
    label->setShadowColor(UIColor::colorWithWhiteAlpha(0, 0.5));
    label->setShadowOffset(CGSizeMake(0, -1));
    label->setTextAlignment(UITextAlignmentCenter);
    label->setLineBreakMode(UILineBreakModeWordWrap);
    label->setNumberOfLines(0);
    label->setFont(font);
    return label;
}

CGFloat textHeight(const UILabel& label, CGFloat width)
{
    if (label.text().empty()) {
        return 0;
    }
    return sizeWithFontConstrainedToSizeLineBreakMode(
        label.text(), label.font(), CGSizeMake(width, 10000), UILineBreakModeWordWrap)
        .height;
}

} // namespace

UIAlertView::UIAlertView(std::string title, std::string message, UIAlertViewDelegate* delegate,
    std::string cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : UIView(CGRectMake(0, 0, width, 100))
    , titleLabel_(makeLabel(UIFont::boldSystemFontOfSize(18)))
    , subtitleLabel_(makeLabel(UIFont::systemFontOfSize(15)))
    , messageLabel_(makeLabel(UIFont::systemFontOfSize(16)))
    , iconView_(std::make_shared<UIImageView>())
    , imageView_(std::make_shared<UIImageView>())
    , delegate_(delegate)
{
    for (const auto& view : {iconView_, imageView_}) {
        view->setContentMode(UIViewContentModeScaleAspectFit);
        view->setHidden(true);
        addSubview(view);
    }
    setOpaque(false);
    titleLabel_->setText(std::move(title));
    messageLabel_->setText(std::move(message));
    messageLabel_->setLineBreakMode(UILineBreakModeTailTruncation);
    addSubview(titleLabel_);
    addSubview(subtitleLabel_);
    addSubview(messageLabel_);
    if (!cancelButtonTitle.empty()) {
        setCancelButtonIndex(addButtonWithTitle(std::move(cancelButtonTitle)));
    }
    for (std::string& other : otherButtonTitles) {
        addButtonWithTitle(std::move(other));
    }
}

UIAlertView::~UIAlertView() = default;

void UIAlertView::setTitle(std::string title)
{
    titleLabel_->setText(std::move(title));
    placeInWindow();
}

void UIAlertView::setMessage(std::string message)
{
    messageLabel_->setText(std::move(message));
    placeInWindow();
}

void UIAlertView::setIcon(std::shared_ptr<UIImage> icon)
{
    iconView_->setImage(std::move(icon));
    placeInWindow();
}

void UIAlertView::setImage(std::shared_ptr<UIImage> image)
{
    imageView_->setImage(std::move(image));
    placeInWindow();
}

void UIAlertView::setSubtitle(std::string subtitle)
{
    subtitleLabel_->setText(std::move(subtitle));
    placeInWindow();
}

int UIAlertView::addButtonWithTitle(std::string title)
{
    const int index = numberOfButtons();
    auto button = std::make_shared<UIAlertButton>(std::move(title), false);
    button->addTargetActionForControlEvents(
        this, [this, index] { clickButtonAtIndex(index); }, UIControlEventTouchUpInside);
    addSubview(button);
    buttons_.push_back(std::move(button));
    placeInWindow();
    return index;
}

std::string UIAlertView::buttonTitleAtIndex(int index) const
{
    const UIAlertButton* button = buttonAtIndex(index);
    return button == nullptr ? std::string() : button->titleForState(UIControlStateNormal);
}

void UIAlertView::setCancelButtonIndex(int index)
{
    cancelButtonIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setCancelButton(static_cast<int>(i) == cancelButtonIndex_);
    }
    placeInWindow();
}

int UIAlertView::firstOtherButtonIndex() const
{
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelButtonIndex_) {
            return i;
        }
    }
    return -1;
}

UITextField* UIAlertView::addTextFieldWithValueLabel(std::string value, std::string label)
{
    auto field = std::make_shared<UITextField>(CGRectMake(kInset, 0, width - 2 * kInset, kFieldHeight));
    field->setText(std::move(value));
    field->setPlaceholder(std::move(label));
    addSubview(field);
    textFields_.push_back(field);
    placeInWindow();
    return field.get();
}

UITextField* UIAlertView::textFieldAtIndex(int index) const
{
    return index >= 0 && index < textFieldCount() ? textFields_[static_cast<std::size_t>(index)].get() : nullptr;
}

UIAlertButton* UIAlertView::buttonAtIndex(int index) const
{
    return index >= 0 && index < numberOfButtons() ? buttons_[static_cast<std::size_t>(index)].get() : nullptr;
}

std::vector<std::shared_ptr<UIAlertView>> UIAlertView::visibleAlerts()
{
    std::vector<std::shared_ptr<UIAlertView>> alerts;
    for (const ShownAlert& shown : shownAlerts()) {
        alerts.push_back(shown.alert);
    }
    return alerts;
}

void UIAlertView::show()
{
    if (window_ != nullptr) {
        return;
    }
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setWindowLevel(UIWindowLevelAlert);
    window->setBackgroundColor(UIColor::colorWithWhiteAlpha(0, kDimAlpha));
    window->setOpaque(false);
    window->addSubview(sharedView());
    window_ = window.get();
    shownAlerts().push_back({window, std::static_pointer_cast<UIAlertView>(sharedView())});
    placeInWindow();
    window->setHidden(false);
    window->setAlpha(0);
    UIView::beginAnimationsContext("UIAlertViewShow", nullptr);
    UIView::setAnimationDuration(kFadeDuration);
    window->setAlpha(1);
    UIView::commitAnimations();
}

void UIAlertView::clickButtonAtIndex(int index)
{
    if (window_ == nullptr || dismissing_ || buttonAtIndex(index) == nullptr) {
        return;
    }
    const std::shared_ptr<UIView> keep = sharedView();
    if (delegate_ != nullptr) {
        delegate_->clickedButtonAtIndex(*this, index);
    }
    dismissWithClickedButtonIndexAnimated(index, true);
}

void UIAlertView::tapMessage()
{
    if (window_ == nullptr || dismissing_ || !messageTapped_) {
        return;
    }
    const std::shared_ptr<UIView> keep = sharedView();
    const std::function<void()> handler = messageTapped_; // a copy: the handler may replace itself
    handler();
    dismissWithClickedButtonIndexAnimated(cancelButtonIndex_, true);
}

bool UIAlertView::isOnText(CGPoint point) const
{
    return point.x >= 0 && point.x <= bounds().size.width && point.y >= 0 && point.y <= textBottom_;
}

void UIAlertView::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    trackingTextTap_ = messageTapped_ && !touches.empty() && isOnText(touches.front()->locationInView(this));
}

void UIAlertView::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    const bool tapped = trackingTextTap_ && !touches.empty() && isOnText(touches.front()->locationInView(this));
    trackingTextTap_ = false;
    if (tapped) {
        tapMessage();
    }
}

void UIAlertView::touchesCancelledWithEvent(const UITouchSet&, UIEvent*) { trackingTextTap_ = false; }

void UIAlertView::dismissWithClickedButtonIndexAnimated(int index, bool animated)
{
    if (window_ == nullptr || dismissing_) {
        return;
    }
    const std::shared_ptr<UIView> keep = sharedView();
    dismissing_ = true;
    window_->setUserInteractionEnabled(false);
    if (delegate_ != nullptr) {
        delegate_->willDismissWithButtonIndex(*this, index);
    }
    if (!animated || !UIView::areAnimationsEnabled()) {
        finishDismissal(index);
        return;
    }
    const std::weak_ptr<UIView> weakSelf = keep;
    UIView::beginAnimationsContext("UIAlertViewDismiss", nullptr);
    UIView::setAnimationDuration(kFadeDuration);
    UIView::setAnimationDelegate(this);
    UIView::setAnimationDidStopSelector([weakSelf, index](const std::string&, bool, void*) {
        if (auto alert = std::static_pointer_cast<UIAlertView>(weakSelf.lock())) {
            alert->finishDismissal(index);
        }
    });
    window_->setAlpha(0);
    UIView::commitAnimations();
}

void UIAlertView::finishDismissal(int index)
{
    if (window_ == nullptr) {
        return;
    }
    const std::shared_ptr<UIView> keep = sharedView();
    auto& alerts = shownAlerts();
    const auto shown
        = std::find_if(alerts.begin(), alerts.end(), [this](const ShownAlert& s) { return s.alert.get() == this; });
    std::shared_ptr<UIWindow> window;
    if (shown != alerts.end()) {
        window = shown->window;
        alerts.erase(shown);
    }
    window_->setHidden(true);
    removeFromSuperview();
    window_ = nullptr;
    dismissing_ = false;
    window.reset();
    if (delegate_ != nullptr) {
        delegate_->didDismissWithButtonIndex(*this, index);
    }
}

std::vector<std::size_t> UIAlertView::buttonOrder() const
{
    // Side by side the cancel button comes first (left); stacked it comes last (bottom).
    std::vector<std::size_t> order;
    const bool sideBySide = buttons_.size() == 2;
    if (sideBySide && cancelButtonIndex_ >= 0) {
        order.push_back(static_cast<std::size_t>(cancelButtonIndex_));
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (static_cast<int>(i) != cancelButtonIndex_) {
            order.push_back(i);
        }
    }
    if (!sideBySide && cancelButtonIndex_ >= 0) {
        order.push_back(static_cast<std::size_t>(cancelButtonIndex_));
    }
    return order;
}

CGFloat UIAlertView::messageHeightThatFits(CGFloat textWidth)
{
    const CGFloat whole = textHeight(*messageLabel_, textWidth);
    if (window_ == nullptr || whole == 0) {
        return whole;
    }
    const CGFloat room = window_->bounds().size.height - 2 * kWindowEdge - layOutContents(false, 0) - kLineGap;
    if (whole <= room) {
        return whole;
    }
    return sizeWithFontConstrainedToSizeLineBreakMode(messageLabel_->text(), messageLabel_->font(),
        CGSizeMake(textWidth, std::max<CGFloat>(room, 0)), messageLabel_->lineBreakMode())
        .height;
}

CGFloat UIAlertView::layOutContents(bool place)
{
    return layOutContents(place, messageHeightThatFits(width - 2 * kInset));
}

CGFloat UIAlertView::layOutContents(bool place, CGFloat messageHeight)
{
    const CGFloat textWidth = width - 2 * kInset;
    CGFloat y = kTopPadding;
    // With an icon, the title keeps clear of it on both sides so that it stays centred in the box.
    const bool hasIcon = iconView_->image() != nullptr;
    const CGFloat titleInset = hasIcon ? kIconSide + kLineGap : 0;
    const CGFloat titleHeight = textHeight(*titleLabel_, textWidth - 2 * titleInset);
    iconView_->setHidden(!hasIcon);
    if (hasIcon && place) {
        iconView_->setFrame(CGRectMake(kInset, y, kIconSide, kIconSide));
    }
    if (hasIcon || titleHeight > 0) {
        titleLabel_->setHidden(titleHeight == 0);
        if (place) {
            titleLabel_->setFrame(CGRectMake(kInset + titleInset, y, textWidth - 2 * titleInset, titleHeight));
        }
        y += std::max(titleHeight, hasIcon ? kIconSide : 0) + kLineGap;
    } else {
        titleLabel_->setHidden(true);
    }
    const CGSize imageSize = imageSizeThatFits();
    imageView_->setHidden(imageSize.height == 0);
    if (imageSize.height > 0) {
        if (place) {
            imageView_->setFrame(
                CGRectMake(std::round((width - imageSize.width) / 2), y, imageSize.width, imageSize.height));
        }
        y += imageSize.height + kLineGap;
    }
    for (UILabel* label : {subtitleLabel_.get(), messageLabel_.get()}) {
        const CGFloat height = label == messageLabel_.get() ? messageHeight : textHeight(*label, textWidth);
        label->setHidden(height == 0);
        if (height == 0) {
            continue;
        }
        if (place) {
            label->setFrame(CGRectMake(kInset, y, textWidth, height));
        }
        y += height + kLineGap;
    }
    if (place) {
        textBottom_ = y;
    }
    for (const auto& field : textFields_) {
        y += 2;
        if (place) {
            field->setFrame(CGRectMake(kInset, y, textWidth, kFieldHeight));
        }
        y += kFieldHeight + kLineGap;
    }
    if (buttons_.empty()) {
        return y - kLineGap + kBottomPadding;
    }
    y += kLineGap;
    const std::vector<std::size_t> order = buttonOrder();
    if (buttons_.size() == 2) {
        const CGFloat buttonWidth = std::floor((textWidth - kButtonGap) / 2);
        if (place) {
            buttons_[order[0]]->setFrame(CGRectMake(kInset, y, buttonWidth, UIAlertButton::height));
            buttons_[order[1]]->setFrame(
                CGRectMake(width - kInset - buttonWidth, y, buttonWidth, UIAlertButton::height));
        }
        return y + UIAlertButton::height + kBottomPadding;
    }
    for (std::size_t position = 0; position < order.size(); ++position) {
        if (place) {
            buttons_[order[position]]->setFrame(CGRectMake(kInset, y, textWidth, UIAlertButton::height));
        }
        y += UIAlertButton::height + kButtonGap;
    }
    return y - kButtonGap + kBottomPadding;
}

CGSize UIAlertView::imageSizeThatFits() const
{
    const auto& image = imageView_->image();
    if (!image || image->size().width <= 0 || image->size().height <= 0) {
        return CGSizeZero;
    }
    const CGSize size = image->size();
    const CGFloat shrink = std::min<CGFloat>({1, kImageSide / size.width, kImageSide / size.height});
    return CGSizeMake(
        std::max<CGFloat>(1, std::round(size.width * shrink)), std::max<CGFloat>(1, std::round(size.height * shrink)));
}

CGSize UIAlertView::sizeThatFits(CGSize) { return CGSizeMake(width, std::ceil(layOutContents(false))); }

void UIAlertView::placeInWindow()
{
    // Placed at once, so that the buttons take touches where they are shown.
    layOutContents(true);
    if (window_ == nullptr) {
        return;
    }
    const CGSize size = sizeThatFits(CGSizeZero);
    const CGRect screen = window_->bounds();
    setFrame(CGRectMake(std::round((screen.size.width - size.width) / 2),
        std::round((screen.size.height - size.height) / 2), size.width, size.height));
}

void UIAlertView::layoutSubviews() { layOutContents(true); }

void UIAlertView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    const CGRect box = CGRectInset(bounds(), 1.5, 1.5);
    context->setRGBFillColor(0.03, 0.09, 0.27, 0.88);
    context->addRoundedRect(box, kCornerRadius);
    context->fillPath();
    // A gloss over the top of the box.
    {
        CGContextStateSaver saved(*context);
        context->addRoundedRect(box, kCornerRadius);
        context->clip();
        context->setGrayFillColor(1, 0.14);
        context->fillEllipseInRect(CGRectMake(-box.size.width * 0.5, -40, box.size.width * 2, 80));
    }
    context->setGrayStrokeColor(1, 0.9);
    context->setLineWidth(2);
    context->addRoundedRect(box, kCornerRadius);
    context->strokePath();
}
