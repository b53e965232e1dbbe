#pragma once

#include "NSObject.h"
#include "ObserverList.h"

#include <atomic>

// The shell's alert item of a calendar alarm. `revealEvent` shows the event of the alarm; this stand-in
// counts the requests and offers each to the observers of the class (the shell host).
class SBCalendarAlertItem : public NSObject {
public:
    void revealEvent();
    int revealCount() const { return revealCount_.load(); }

    static ObserverList<const SBCalendarAlertItem*>& revealObservers();

    std::string className() const override { return "SBCalendarAlertItem"; }

private:
    std::atomic<int> revealCount_{0};
};
