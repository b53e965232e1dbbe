#pragma once

#include "ControlNames.h"
#include "ScreenControlNames.h"

// How the Settings application appears on the D-Bus session bus, for `settingsctl` and anyone with gdbus.
// The host owns kBusName and exports kObjectPath with the interface kInterface, one method per command;
// every command is carried out once the application is idle (see ControlObject), a command of several
// steps with the application idle before each. What the application cannot do (no such row, no alert
// shown) is answered with kRefusedError and the reason. Points are on the 320 x 480 screen.
//
//   OpenRows              (as titles)            back to the root page, then tap each row in turn
//   TapRow                (s title)              on the page shown
//   Toggle                (s title)              the switch of that row
//   Choose                (s title, s value)     tap the row, then the value on the choice page it opens
//   PressAlertButton      (s title)
//   Type                  (s text)               into the alert's text field, or the text row with the focus
//   SwipeDelete           (s title)              swipe across the row, then press its delete button
//   PressNavigationButton ()                     the right button of the navigation bar
//   Back                  ()
//   and the screen's commands (ScreenControlNames): Tap, Drag, WriteScreenshot, State (the dictionary
//   below), WaitUntilIdle
//
// The state dictionary: "title" (of the page shown), "stack" (the page titles, root first), "sections"
// (dictionaries with "rows" and, when the section has them, "header" and "footer"; each row a dictionary
// with "text" and "detail", plus "on" for a switch and "checked" (true) for the chosen row of a choice
// page), and "alert" when one is shown (a dictionary with "title", "message" and "buttons").
class PreferencesControlNames : public ScreenControlNames {
public:
    static constexpr ControlNames kNames{"org.vantle.Device.Preferences", "/org/vantle/Device/Preferences",
        "org.vantle.Device.Preferences", "org.vantle.Device.Preferences.Error.Refused", "Settings application",
        "preferences"};

    static constexpr const char* kOpenRows = "OpenRows";
    static constexpr const char* kTapRow = "TapRow";
    static constexpr const char* kToggle = "Toggle";
    static constexpr const char* kChoose = "Choose";
    static constexpr const char* kPressAlertButton = "PressAlertButton";
    static constexpr const char* kType = "Type";
    static constexpr const char* kSwipeDelete = "SwipeDelete";
    static constexpr const char* kPressNavigationButton = "PressNavigationButton";
    static constexpr const char* kBack = "Back";

    static constexpr const char* kAlertKey = "alert";
    static constexpr const char* kSectionsKey = "sections";
    static constexpr const char* kHeaderKey = "header";
    static constexpr const char* kFooterKey = "footer";

    static constexpr int kMaxRows = 64;
};
