#include "SBAlertPresenter.h"

#include "SBInterfaceOrientation.h"
#include "UIWindow.h"

SBAlertPresenter::SBAlertPresenter(SBAlertItemsController& controller)
    : controller_(controller)
{
}

SBAlertPresenter::~SBAlertPresenter()
{
    if (alert_) {
        alert_->setDelegate(nullptr);
        alert_->setMessageTapHandler(nullptr);
        alert_->dismissWithClickedButtonIndexAnimated(0, false);
    }
}

void SBAlertPresenter::presentAlertItem(const std::shared_ptr<SBAlertItem>& item)
{
    item_ = item;
    alert_ = std::make_shared<UIAlertView>(
        item->alertTitle(), item->alertMessage(), this, item->dismissButtonTitle(), item->otherButtonTitles());
    alert_->setIcon(item->alertIcon());
    alert_->setImage(item->alertImage());
    if (item->respondsToMessageTap()) {
        alert_->setMessageTapHandler([this] {
            if (const auto tapped = item_) { // a copy: the item's reaction may dismiss the pop-up, and item_ with it
                tapped->didTapMessage();
            }
        });
    }
    alert_->show();
    alert_->alertWindow()->setWindowLevel(kAlertWindowLevel);
    placeAlert();
}

void SBAlertPresenter::dismissAlertItem(const SBAlertItem& item)
{
    if (alert_ && item_.get() == &item) {
        alert_->dismissWithClickedButtonIndexAnimated(alert_->cancelButtonIndex(), true);
    }
}

void SBAlertPresenter::setOrientation(int orientation)
{
    orientation_ = orientation;
    placeAlert();
}

void SBAlertPresenter::placeAlert()
{
    if (!alert_ || alert_->alertWindow() == nullptr) {
        return;
    }
    UIWindow& window = *alert_->alertWindow();
    SBInterfaceOrientation::applyToWindow(window, orientation_);
    const CGRect area = window.bounds();
    alert_->setCenter(CGPointMake(CGRectGetMidX(area), CGRectGetMidY(area)));
}

void SBAlertPresenter::clickedButtonAtIndex(UIAlertView& alert, int index)
{
    if (&alert == alert_.get() && item_) {
        const auto item = item_; // a copy: the item's reaction may dismiss the pop-up, and item_ with it
        item->didClickButton(index);
    }
}

void SBAlertPresenter::didDismissWithButtonIndex(UIAlertView& alert, int)
{
    if (&alert != alert_.get()) {
        return;
    }
    const auto item = std::move(item_);
    alert_ = nullptr;
    controller_.alertItemDismissed(*item);
}
