#pragma once

#include "SBAlertItemPresenter.h"
#include "SBAlertItemsController.h"
#include "UIAlertView.h"
#include "UIAlertViewDelegate.h"

#include <memory>

// Shows an alert item as the phone does: a dark blue box with its title, its message and its buttons (the
// dismiss button first), in a window that dims the screen below the status bar. A tap on a button tells
// the item and dismisses the pop-up; once it has faded out, the controller shows the next waiting item.
class SBAlertPresenter final : public SBAlertItemPresenter, public UIAlertViewDelegate {
public:
    // Above the screen, the switcher and the notification panel (990), below the status bar (1000).
    static constexpr CGFloat kAlertWindowLevel = 999;

    explicit SBAlertPresenter(SBAlertItemsController& controller);
    ~SBAlertPresenter() override;

    void presentAlertItem(const std::shared_ptr<SBAlertItem>& item) override;
    void dismissAlertItem(const SBAlertItem& item) override;
    // Turns the pop-up shown now (if any) to the orientation.
    void setOrientation(int orientation);
    // The pop-up shown now, or null.
    UIAlertView* visibleAlert() const { return alert_.get(); }

    void clickedButtonAtIndex(UIAlertView& alert, int index) override;
    void didDismissWithButtonIndex(UIAlertView& alert, int index) override;

private:
    void placeAlert();

    SBAlertItemsController& controller_;
    std::shared_ptr<SBAlertItem> item_;
    std::shared_ptr<UIAlertView> alert_;
    int orientation_ = 1;
};
