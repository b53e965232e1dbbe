#include "SBCalendarAlertItem.h"

void SBCalendarAlertItem::revealEvent()
{
    ++revealCount_;
    revealObservers().notify(this);
}

ObserverList<const SBCalendarAlertItem*>& SBCalendarAlertItem::revealObservers()
{
    static ObserverList<const SBCalendarAlertItem*> observers;
    return observers;
}
