#pragma once

class UIAlertView;

// What an alert tells the object that reacts to it. The alert does not own its delegate. Every call has a
// default that does nothing.
class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;

    // The user tapped the button; the alert is about to go.
    virtual void clickedButtonAtIndex(UIAlertView&, int) {}
    // The alert starts to go away, for the button (or the index it was dismissed with).
    virtual void willDismissWithButtonIndex(UIAlertView&, int) {}
    // The alert is off the screen.
    virtual void didDismissWithButtonIndex(UIAlertView&, int) {}
};
