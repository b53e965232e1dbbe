#include "LAListener.h"

void LAListener::receiveEvent(LAActivator&, LAEvent&) {}

void LAListener::abortEvent(LAActivator&, LAEvent&) {}

void LAListener::otherListenerDidHandleEvent(LAActivator&, LAEvent&) {}

void LAListener::receiveDeactivateEvent(LAActivator&, LAEvent&) {}
