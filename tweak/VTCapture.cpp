#include "VTCapture.h"

#include "LaunchAction.h"
#include "NSDate.h"
#include "NSDictionary-Vantle.h"
#include "NSNotificationCenter.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "SBApplication.h"
#include "Vantle.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

namespace {

constexpr const char* kMessagesIdentifier = "com.apple.MobileSMS";
constexpr const char* kCalendarIdentifier = "com.apple.mobilecal";
constexpr const char* kPhoneIdentifier = "com.apple.mobilephone";
// The clock's alarms and timers arrive as local notifications of this application and are never held back.
constexpr const char* kClockIdentifier = "com.apple.mobiletimer";
constexpr int kMissedCallType = 1;

// An empty bundle identifier makes a record without one (battery and storage warnings). Plain strings rather
// than optional ones here: gcc's maybe-uninitialized misfires on optional strings at -O1 (the sanitizer builds).
std::shared_ptr<NSDictionary> makeRecord(const std::string& application, const std::string& body,
                                         const std::string& bundleIdentifier, const std::shared_ptr<LaunchAction>& action)
{
    NSDictionary::Entries entries{
        {NSDictionaryVantle::kApplication, NSString::stringWithString(application)},
        {NSDictionaryVantle::kBody, NSString::stringWithString(body)},
        {NSDictionaryVantle::kDate, NSDate::date()},
    };
    if (!bundleIdentifier.empty()) {
        entries[NSDictionaryVantle::kBundleIdentifier] = NSString::stringWithString(bundleIdentifier);
    }
    if (action) {
        entries[NSDictionaryVantle::kAction] = action;
    }
    return NSDictionary::dictionaryWithEntries(std::move(entries));
}

std::string joinedLines(const std::string& body)
{
    std::string joined;
    for (const char c : body) {
        if (c == '\n') {
            joined += " - ";
        } else {
            joined += c;
        }
    }
    return joined;
}

std::string titledText(const std::string& first, const std::string& separator, const std::string& second)
{
    return second.empty() ? first : first + separator + second;
}

// Whole seconds since the reference date, truncated toward zero; dates beyond the 32-bit range saturate so
// that a far-future call is still newer than every earlier one.
std::int32_t wholeSeconds(double seconds)
{
    if (std::isnan(seconds)) {
        return 0;
    }
    const double truncated = std::trunc(seconds);
    if (truncated >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (truncated <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(truncated);
}

} // namespace

VTCapture& VTCapture::shared()
{
    static VTCapture capture([] { return vantleRunning(); });
    return capture;
}

VTCapture::VTCapture(PanelShown panelShown) : panelShown_(std::move(panelShown)) {}

VTCapture::Outcome VTCapture::captureTextMessage(const std::string& sender, const std::string& text)
{
    const auto action = LaunchAction::actionWithType(LaunchAction::Message, NSString::stringWithString(kMessagesIdentifier));
    return logAlert(makeRecord("Messages", sender + ": " + text, kMessagesIdentifier, action), kMessagesIdentifier);
}

VTCapture::Outcome VTCapture::captureCalendarAlarm(const std::string& title, const std::string& location,
                                                   const id& alertItem)
{
    const auto action = LaunchAction::actionWithType(LaunchAction::Event, alertItem);
    return logAlert(makeRecord("Calendar", titledText(title, ": ", location), kCalendarIdentifier, action),
                    kCalendarIdentifier);
}

VTCapture::Outcome VTCapture::captureLowBattery(int level)
{
    return logAlert(makeRecord("Battery", fmt::format("Battery level is at {}%", level), "", nullptr), "");
}

VTCapture::Outcome VTCapture::captureLowDiskSpace()
{
    return logAlert(makeRecord("Memory", "Low memory warning", "", nullptr), "");
}

VTCapture::Outcome VTCapture::capturePushNotification(const std::shared_ptr<SBApplication>& application,
                                                      const std::string& body, const id& alert,
                                                      const std::string& notificationIdentifier,
                                                      const CPMessageReply& logged)
{
    if (!application) {
        logged.succeed();
        return Outcome::Ignored; // no application to name the record after
    }
    const std::string identifier = application->bundleIdentifier();
    const auto data = NSDictionary::dictionaryWithEntries({{"Alert", alert}, {"Application", application}});
    const auto action = LaunchAction::actionWithType(LaunchAction::Alert, data);
    return logAlert(makeRecord(application->displayName(), joinedLines(body), identifier, action), identifier,
                    identifier == kClockIdentifier, notificationIdentifier, logged);
}

VTCapture::Outcome VTCapture::captureVoicemail()
{
    const auto action = LaunchAction::actionWithType(LaunchAction::Application, NSString::stringWithString(kPhoneIdentifier));
    return logAlert(makeRecord("Voicemail", "New Voicemail", kPhoneIdentifier, action), kPhoneIdentifier);
}

bool VTCapture::captureAwayItem(int type, double secondsSinceReferenceDate, const std::string& title)
{
    if (type != kMissedCallType) {
        return false;
    }
    const std::int32_t callTime = wholeSeconds(secondsSinceReferenceDate);
    if (callTime <= lastCall_) {
        return false;
    }
    const auto action = LaunchAction::actionWithType(LaunchAction::Application, NSString::stringWithString(kPhoneIdentifier));
    writeInBackground(makeRecord("Phone", "Missed Call: " + title, kPhoneIdentifier, action));
    lastCall_ = callTime;
    return true;
}

bool VTCapture::captureNowPlaying(const std::string& bundleIdentifier, bool isPlaying, const std::string& title,
                                  const std::string& artist, const std::string& foregroundIdentifier, bool locked)
{
    if (!isPlaying || foregroundIdentifier == bundleIdentifier || isIgnored(bundleIdentifier)) {
        return false;
    }
    if (locked && !(PLWriter::musicOnLockscreen() && PLWriter::musicOnHomescreen())) {
        return false;
    }
    const auto record = makeRecord("Now Playing", titledText(title, " by ", artist), bundleIdentifier, nullptr);
    NSNotificationCenter::defaultCenter().postNotificationName(PLWriter::kNewNotificationBroadcast, nullptr, record);
    return true;
}

bool VTCapture::takeGateDecision(bool locked)
{
    const bool allowed = locked ? showLockscreen_ : showAlert_;
    showAlert_ = true;
    showLockscreen_ = true;
    return allowed;
}

void VTCapture::reset()
{
    showAlert_ = true;
    showLockscreen_ = true;
    lastCall_ = 0;
    updates_ = {};
}

VTCapture::Outcome VTCapture::logAlert(const std::shared_ptr<NSDictionary>& record, const std::string& ignoredTest,
                                       bool neverHidden, const std::string& notificationIdentifier,
                                       const CPMessageReply& logged)
{
    if (!ignoredTest.empty() && isIgnored(ignoredTest)) {
        logged.succeed();
        return Outcome::Ignored;
    }
    if (notificationIdentifier.empty()) {
        writeInBackground(record, logged);
    } else {
        writeUpdateInBackground(record, notificationIdentifier, logged);
    }
    setPermissions(neverHidden);
    return showAlert_ && showLockscreen_ ? Outcome::Logged : Outcome::LoggedPlaySound;
}

void VTCapture::setPermissions(bool neverHidden)
{
    showAlert_ = neverHidden || (!panelShown_() && !PLWriter::blockHomescreenAlerts() && PLWriter::overridenSpringBoard());
    showLockscreen_ = neverHidden || (!PLWriter::blockLockscreenAlerts() && PLWriter::overridenLockscreen());
}

bool VTCapture::isIgnored(const std::string& bundleIdentifier)
{
    const auto ignored = PLWriter::ignoredApplications();
    return ignored && ignored->contains(bundleIdentifier);
}

void VTCapture::writeInBackground(const std::shared_ptr<NSDictionary>& record, const CPMessageReply& logged)
{
    PLWriter::writeLater(record, logged);
}

void VTCapture::writeUpdateInBackground(const std::shared_ptr<NSDictionary>& record,
                                        const std::string& notificationIdentifier, const CPMessageReply& logged)
{
    auto written = std::make_shared<std::promise<void>>();
    const auto replaced = updates_.exchange(notificationIdentifier, {record, written->get_future().share()});
    if (!replaced.record) {
        PLWriter::writeLater(record, logged);
        written->set_value(); // in the store's hands: an update's rewrite writes the records waiting first
        return;
    }
    NSThread::detachNewThread([record, replaced, written, logged] {
        replaced.written.wait(); // the replaced record is in the store's hands once its write has returned
        PLWriter::writeReplacing(record, replaced.record, logged);
        written->set_value();
    });
}
