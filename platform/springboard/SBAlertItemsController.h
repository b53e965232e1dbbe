#pragma once

#include "SBAlertItem.h"
#include "SBAlertItemPresenter.h"
#include "SBObject.h"

#include <deque>
#include <memory>
#include <vector>

class ObjCClass;

// Shows the shell's alert items one at a time: an item activated while another is up waits its turn, as
// on a phone, and appears (with its sound) when the one before it is dismissed. Main thread only.
//
// Through the runtime ("SBAlertItemsController"):
//   "activateAlertItem:"  ActivateAlertItem: void(const std::shared_ptr<SBAlertItemsController>& self,
//                                                 const std::shared_ptr<SBAlertItem>& item)
//                         queues the item for showing. An item that this never reaches is never shown.
class SBAlertItemsController final : public SBObject {
public:
    using ActivateAlertItem = void(const std::shared_ptr<SBAlertItemsController>&, const std::shared_ptr<SBAlertItem>&);

    static std::shared_ptr<SBAlertItemsController> sharedInstance();

    // Sends "activateAlertItem:".
    void activateAlertItem(const std::shared_ptr<SBAlertItem>& item);

    // The presenter that shows pop-ups (not retained); without one, the item stays "up" until dismissed.
    void setPresenter(SBAlertItemPresenter* presenter) { presenter_ = presenter; }
    // The pop-up's item (null when none is up), and the items waiting behind it, oldest first.
    const std::shared_ptr<SBAlertItem>& visibleItem() const { return visible_; }
    const std::deque<std::shared_ptr<SBAlertItem>>& pendingItems() const { return pending_; }
    // Takes the item away: a waiting one never appears; the visible one's pop-up is dismissed (the next
    // appears once it has gone). Nothing for an item the controller does not hold.
    void deactivateAlertItem(const SBAlertItem& item);
    // The visible item's pop-up was dismissed: the next waiting item appears. Ignored for any other item.
    void alertItemDismissed(const SBAlertItem& item);
    // Forgets every item, shown or waiting, without showing them (a new shell starts with none).
    void removeAllItems();

    std::string className() const override { return "SBAlertItemsController"; }
    static void registerMethods(ObjCClass& cls);

private:
    static void activateImp(const std::shared_ptr<SBAlertItemsController>& self, const std::shared_ptr<SBAlertItem>& item);
    void presentNextIfNoneIsUp();

    SBAlertItemPresenter* presenter_ = nullptr;
    std::shared_ptr<SBAlertItem> visible_;
    std::deque<std::shared_ptr<SBAlertItem>> pending_;
};
