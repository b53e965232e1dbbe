#pragma once

class LAActivator;
class LAEvent;

// What Activator asks of a listener, on the main thread. Every call is optional: the defaults do nothing,
// so a listener overrides only what it acts on.
class LAListener {
public:
    virtual ~LAListener() = default;

    // An event assigned to this listener happened. Mark it handled to take it from the shell.
    virtual void receiveEvent(LAActivator& activator, LAEvent& event);
    // The shell aborted the event this listener received last.
    virtual void abortEvent(LAActivator& activator, LAEvent& event);
    // Another listener handled an event; an open interface of this listener should step aside.
    virtual void otherListenerDidHandleEvent(LAActivator& activator, LAEvent& event);
    // The home button was pressed: a listener that shows something closes it and marks the event handled.
    virtual void receiveDeactivateEvent(LAActivator& activator, LAEvent& event);
};
