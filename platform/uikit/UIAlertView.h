#pragma once

#include "UIAlertButton.h"
#include "UIAlertViewDelegate.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UITextField.h"
#include "UIView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIWindow;

// A modal message: a title, an optional subtitle, a message, text fields and buttons in a dark blue box
// in the middle of the screen, shown in a window of its own at the alert level that dims everything
// below and takes every touch. Buttons are numbered in the order they were added, the cancel button
// first when the alert is made with one (index 0). A message too long for the box to fit in its window
// (kept clear of the status bar) shows the lines that fit, the last one ending in an ellipsis, so the
// buttons stay on the screen. A tap on a button tells the delegate
// clickedButtonAtIndex and then dismisses the alert with that index. Two buttons sit side by side (the
// cancel button on the left); more are stacked, the cancel button last. A text field shows its label as
// its placeholder while empty. An icon sits left of the title (kIconSide points square) and an image
// above the message (at most kImageSide points a side, its shape kept). With a message tap handler, a tap on the text
// (the title, the subtitle and the message) runs the handler and then dismisses the alert with the cancel button's
// index.
//
// show() fades the window in (0.2 seconds on the run loop's clock) and keeps the alert alive while it is
// up, so the caller need not hold it. Dismissing tells the delegate willDismissWithButtonIndex at once,
// fades out (when animated), takes the window away and then tells didDismissWithButtonIndex. An alert is
// dismissed once: taps and dismissals that come while it goes are ignored. The delegate is not retained;
// clear it before the delegate goes away.
class UIAlertView : public UIView {
public:
    static constexpr CGFloat width = 284;
    static constexpr double kFadeDuration = 0.2;
    static constexpr CGFloat kIconSide = 22;
    static constexpr CGFloat kImageSide = 64;

    UIAlertView(std::string title, std::string message, UIAlertViewDelegate* delegate, std::string cancelButtonTitle,
        std::vector<std::string> otherButtonTitles);
    ~UIAlertView() override;

    const std::string& title() const { return titleLabel_->text(); }
    void setTitle(std::string title);
    const std::string& message() const { return messageLabel_->text(); }
    void setMessage(std::string message);
    const std::string& subtitle() const { return subtitleLabel_->text(); }
    void setSubtitle(std::string subtitle);
    // Null for none.
    void setIcon(std::shared_ptr<UIImage> icon);
    void setImage(std::shared_ptr<UIImage> image);
    const std::shared_ptr<UIImage>& icon() const { return iconView_->image(); }
    const std::shared_ptr<UIImage>& image() const { return imageView_->image(); }
    UIAlertViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UIAlertViewDelegate* delegate) { delegate_ = delegate; }

    // Answers the new button's index.
    int addButtonWithTitle(std::string title);
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    // Empty for an index out of range.
    std::string buttonTitleAtIndex(int index) const;
    // -1 when there is no cancel button.
    int cancelButtonIndex() const { return cancelButtonIndex_; }
    void setCancelButtonIndex(int index);
    // The first button that is not the cancel button, or -1.
    int firstOtherButtonIndex() const;

    // A text field under the message, with the initial text and the label shown while it is empty.
    UITextField* addTextFieldWithValueLabel(std::string value, std::string label);
    int textFieldCount() const { return static_cast<int>(textFields_.size()); }
    // Null for an index out of range.
    UITextField* textFieldAtIndex(int index) const;

    void show();
    // From show() until the window has gone.
    bool isVisible() const { return window_ != nullptr; }
    void dismissWithClickedButtonIndexAnimated(int index, bool animated);
    // What a tap on the button does: tells the delegate, then dismisses (animated). Ignored when the alert
    // is not up, is already going or has no such button.
    void clickButtonAtIndex(int index);

    // Null: the text takes no taps (the default).
    void setMessageTapHandler(std::function<void()> handler) { messageTapped_ = std::move(handler); }
    // What a tap on the text does. Ignored when there is no handler or the alert is not up or already going.
    void tapMessage();

    // The button's view (null for an index out of range) and the window the alert is shown in.
    UIAlertButton* buttonAtIndex(int index) const;
    UIWindow* alertWindow() const { return window_; }
    // The alerts that are up, in the order they were shown (the last one on top).
    static std::vector<std::shared_ptr<UIAlertView>> visibleAlerts();

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) override;
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;

    std::string className() const override { return "UIAlertView"; }

private:
    // Places the contents for the alert's width and answers the height they need.
    CGFloat layOutContents(bool place);
    CGFloat layOutContents(bool place, CGFloat messageHeight);
    // The message's height: all of it, or the whole lines that leave the box room in its window.
    CGFloat messageHeightThatFits(CGFloat textWidth);
    void placeInWindow();
    void finishDismissal(int index);
    std::vector<std::size_t> buttonOrder() const;
    // The image's size in the box: its own, shrunk to kImageSide when larger; zero without an image.
    CGSize imageSizeThatFits() const;
    // Whether the point (in the alert's bounds) lies on the text, above the fields and buttons.
    bool isOnText(CGPoint point) const;

    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UILabel> subtitleLabel_;
    std::shared_ptr<UILabel> messageLabel_;
    std::shared_ptr<UIImageView> iconView_;
    std::shared_ptr<UIImageView> imageView_;
    std::vector<std::shared_ptr<UITextField>> textFields_;
    std::vector<std::shared_ptr<UIAlertButton>> buttons_;
    int cancelButtonIndex_ = -1;
    UIAlertViewDelegate* delegate_ = nullptr;
    // The window while the alert is up; it is owned by the list of alerts that are up.
    UIWindow* window_ = nullptr;
    bool dismissing_ = false;
    std::function<void()> messageTapped_;
    // Where the text ends, as last laid out.
    CGFloat textBottom_ = 0;
    bool trackingTextTap_ = false;
};
