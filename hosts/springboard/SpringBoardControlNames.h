#pragma once

#include "ControlNames.h"
#include "ScreenControlNames.h"

// How the shell host appears on the D-Bus session bus, for `sbctl` and anyone with gdbus. The host owns the
// bus name kBusName and exports kObjectPath with the interface kInterface, one method per command; every
// command is carried out once the shell is idle (see ControlObject). Only callers running as the shell's
// own user are served. A command the shell cannot carry out is answered
// with the error kRefusedError whose text is the reason ("no application com.example.nothing is
// installed"); a caller of another user gets the same error. Coordinates are points on the portrait
// screen of kScreenWidth × kScreenHeight. An optional argument travels as an array of zero or one element.
//
//   ReceiveTextMessage      (s sender, s text)
//   FireCalendarAlarm       (s title, as location)
//   ReportBatteryLevel      (i percent)                       0..100
//   ReportLowDiskSpace      ()
//   MissCall                (s caller, ad unixDate)           seconds since 1970 UTC; none: now
//   ReceivePushNotification (s bundleIdentifier, s body, b local)
//   ReceiveVoicemail        ()
//   SetNowPlaying           (s bundleIdentifier, s title, as artist, b playing)
//   Lock, Unlock, PressHome ()
//   Launch                  (s bundleIdentifier, b fromSwitcher)
//   Rotate                  (i orientation)                   1 portrait, 2 upside down, 3 landscape right,
//                                                             4 landscape left
//   SendActivatorEvent      (s eventName) -> (b handled)
//   and the screen's commands (ScreenControlNames): Tap, Drag, WriteScreenshot, State (the dictionary
//   below), WaitUntilIdle (answered once no job thread runs, no animation is in flight, nothing is queued)
//
// The state dictionary: "locked" (boolean), "foreground" (the bundle identifier; absent on the home and
// lock screens), "orientation" (integer 1..4), "statusBarImages" (names), "alerts" (dictionaries with
// "title" and "message", oldest first), "sounds" (names played since start), "windows" (dictionaries with
// "level" and "name", lowest first), "batteryLevel" (integer percent), "switcherShown" (boolean).
class SpringBoardControlNames : public ScreenControlNames {
public:
    static constexpr const char* kBusName = "org.vantle.Device.SpringBoard";
    static constexpr const char* kObjectPath = "/org/vantle/Device/SpringBoard";
    static constexpr const char* kInterface = "org.vantle.Device.SpringBoard";
    static constexpr const char* kRefusedError = "org.vantle.Device.SpringBoard.Error.Refused";
    static constexpr ControlNames kNames{kBusName, kObjectPath, kInterface, kRefusedError, "shell", "springboard"};

    static constexpr const char* kReceiveTextMessage = "ReceiveTextMessage";
    static constexpr const char* kFireCalendarAlarm = "FireCalendarAlarm";
    static constexpr const char* kReportBatteryLevel = "ReportBatteryLevel";
    static constexpr const char* kReportLowDiskSpace = "ReportLowDiskSpace";
    static constexpr const char* kMissCall = "MissCall";
    static constexpr const char* kReceivePushNotification = "ReceivePushNotification";
    static constexpr const char* kReceiveVoicemail = "ReceiveVoicemail";
    static constexpr const char* kSetNowPlaying = "SetNowPlaying";
    static constexpr const char* kLock = "Lock";
    static constexpr const char* kUnlock = "Unlock";
    static constexpr const char* kPressHome = "PressHome";
    static constexpr const char* kLaunch = "Launch";
    static constexpr const char* kRotate = "Rotate";
    static constexpr const char* kSendActivatorEvent = "SendActivatorEvent";

    static constexpr const char* kForegroundKey = "foreground";

};
