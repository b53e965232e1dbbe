#pragma once

#include "NSObject.h"
#include "SBAwayItem.h"

#include <memory>
#include <vector>

// The lock screen's controller: whether the device is locked, and the missed events listed while it is.
// It exists once the shell has finished launching. Main thread only.
class SBAwayController final : public NSObject {
public:
    // The controller, or null before the shell has made it.
    static std::shared_ptr<SBAwayController> sharedAwayControllerIfExists();
    // The controller, made (locked) when it does not exist yet.
    static std::shared_ptr<SBAwayController> sharedAwayController();
    // Drops the controller, as before the shell's launch (a new shell starts so).
    static void releaseSharedAwayController();

    bool isLocked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }

    const std::vector<std::shared_ptr<SBAwayItem>>& awayItems() const { return items_; }
    void addAwayItem(std::shared_ptr<SBAwayItem> item) { items_.push_back(std::move(item)); }
    void removeAllAwayItems() { items_.clear(); }

    std::string className() const override { return "SBAwayController"; }

private:
    static std::shared_ptr<SBAwayController>& shared();

    bool locked_ = true;
    std::vector<std::shared_ptr<SBAwayItem>> items_;
};
