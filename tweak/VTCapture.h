#pragma once

#include "CPMessageReply.h"
#include "NSDictionary.h"
#include "NSObject.h"
#include "VTNotificationUpdates.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class SBApplication;

// What the capture hooks decide when the shell shows an alert: the record it becomes, whether the shell's
// pop-up may appear, and which missed calls are new. The hooks (Vantle.cpp) call the shell's own method,
// then hand what it saw to one of the `capture…` operations; the alert gate asks `takeGateDecision` when
// the shell activates the alert.
//
// Main thread only: the shell calls every hook there. Each logged record is handed to PLWriter::writeLater,
// which the capture does not wait for (an update of an earlier record, to PLWriter::writeReplacing on a job
// thread of its own, once the earlier record is in the store's hands).
class VTCapture {
public:
    // Whether the notification panel is shown now (it holds back home-screen pop-ups).
    using PanelShown = std::function<bool()>;

    // The capture of the process, asking `vantleRunning` whether the panel is shown.
    static VTCapture& shared();
    explicit VTCapture(PanelShown panelShown);

    // What a logging capture asks of its caller after the record is on its way.
    enum class Outcome {
        Ignored,          // the source is in the ignored set: nothing logged, permissions untouched
        Logged,           // logged; the pop-up carries its own sound
        LoggedPlaySound,  // logged, and a pop-up may be held back: the hook plays the alert's sound itself
    };

    Outcome captureTextMessage(const std::string& sender, const std::string& text);
    Outcome captureCalendarAlarm(const std::string& title, const std::string& location, const id& alertItem);
    Outcome captureLowBattery(int level);
    Outcome captureLowDiskSpace();
    // A push with a notification identifier that an earlier push carried is an update of it: its record
    // replaces the earlier one's (see PLWriter::writeReplacing). `logged` is completed once the record is
    // written (an error when it cannot be), and at once when nothing is logged.
    Outcome capturePushNotification(const std::shared_ptr<SBApplication>& application, const std::string& body,
                                    const id& alert, const std::string& notificationIdentifier = {},
                                    const CPMessageReply& logged = CPMessageReply());
    Outcome captureVoicemail();
    // The lock screen labels its away item; a missed call is logged once, the first time its date (in
    // whole seconds since the reference date) is newer than every call logged before. Answers whether it
    // was logged.
    bool captureAwayItem(int type, double secondsSinceReferenceDate, const std::string& title);
    // Announces the track in the process as "Vantle: New Notification" (never logged) when it plays, its
    // application is not in the foreground (empty: the home screen) nor ignored, and, while locked, both
    // music settings are on. Answers whether it was announced.
    bool captureNowPlaying(const std::string& bundleIdentifier, bool isPlaying, const std::string& title,
                           const std::string& artist, const std::string& foregroundIdentifier, bool locked);

    // The alert gate: the permission for the screen now shown (locked or not), after which both permissions
    // rest at true again.
    bool takeGateDecision(bool locked);

    bool showAlert() const { return showAlert_; }
    bool showLockscreen() const { return showLockscreen_; }
    std::int32_t lastCall() const { return lastCall_; }
    // Back to the state at library load. For tests.
    void reset();

private:
    // `ignoredTest`: the bundle identifier tested against the ignored set; empty for kinds without the test.
    Outcome logAlert(const std::shared_ptr<NSDictionary>& record, const std::string& ignoredTest,
                     bool neverHidden = false, const std::string& notificationIdentifier = {},
                     const CPMessageReply& logged = CPMessageReply());
    void setPermissions(bool neverHidden);
    static bool isIgnored(const std::string& bundleIdentifier);
    static void writeInBackground(const std::shared_ptr<NSDictionary>& record,
                                  const CPMessageReply& logged = CPMessageReply());
    void writeUpdateInBackground(const std::shared_ptr<NSDictionary>& record, const std::string& notificationIdentifier,
                                 const CPMessageReply& logged);

    const PanelShown panelShown_;
    bool showAlert_ = true;
    bool showLockscreen_ = true;
    std::int32_t lastCall_ = 0;
    VTNotificationUpdates updates_;
};
