#pragma once

#include <memory>

class SBAlertItem;

// What puts an alert item's pop-up on the screen (the shell's alert window). When the user dismisses the
// pop-up, the presenter tells SBAlertItemsController `alertItemDismissed`.
class SBAlertItemPresenter {
public:
    virtual ~SBAlertItemPresenter() = default;
    virtual void presentAlertItem(const std::shared_ptr<SBAlertItem>& item) = 0;
    // Takes the pop-up of the item presented last away, as if dismissed; nothing for any other item.
    virtual void dismissAlertItem(const SBAlertItem& item) = 0;
};
