#include "ControlCommands.h"

#include "NSDate.h"
#include "ShellStateJson.h"
#include "SpringBoardControlNames.h"

#include <CLI/CLI.hpp>
#include <sdbus-c++/sdbus-c++.h>

#include <ostream>
#include <vector>

namespace {

using Names = SpringBoardControlNames;

// D-Bus has no optional type: an absent value is an empty array.
template <class T> std::vector<T> optionalArgument(const std::optional<T>& value)
{
    return value ? std::vector<T>{*value} : std::vector<T>{};
}

} // namespace

ControlCommands::ControlCommands(CLI::App& app)
    : table_(app, std::chrono::seconds(30))
    , screen_(table_, ShellStateJson::fromPropertyList,
          {"shell", "Print the shell's state as one JSON object",
              "Return once the shell is idle: no job thread runs, no animation is in flight, nothing is queued",
              "a job thread or an animation did not finish"})
{
    addAlerts();
    addHardware();
}

int ControlCommands::run(int argc, char** argv) { return table_.run(argc, argv, Names::kNames, "sbctl"); }

void ControlCommands::addAlerts()
{
    auto* sms = add("sms", "A text message arrives", Names::kReceiveTextMessage,
        [this](sdbus::MethodCall& call) { call << sender_ << text_; });
    sms->add_option("--sender", sender_, "Who sent it")->required();
    sms->add_option("--text", text_, "The message")->required();

    auto* calendar = add("calendar", "A calendar alarm goes off", Names::kFireCalendarAlarm,
        [this](sdbus::MethodCall& call) { call << title_ << optionalArgument(location_); });
    calendar->add_option("--title", title_, "The event's title")->required();
    calendar->add_option("--location", location_, "Where it takes place");

    auto* battery = add("battery", "The battery reports its level (a low level raises the low-battery alert)",
        Names::kReportBatteryLevel, [this](sdbus::MethodCall& call) { call << level_; });
    battery->add_option("--level", level_, "Percent charged")->required()->check(CLI::Range(0, 100));

    add("disk-space", "The device runs low on storage", Names::kReportLowDiskSpace);

    auto* missedCall = add("missed-call", "A call is missed", Names::kMissCall,
        [this](sdbus::MethodCall& call) { call << caller_ << optionalArgument(date_); });
    missedCall->add_option("--caller", caller_, "Who called")->required();
    auto parseDate = [this](const std::string& text) {
        const auto date = NSDate::dateWithISO8601String(text);
        if (!date) {
            throw CLI::ValidationError("--date", "'" + text + "' is not an ISO 8601 date such as 2026-12-07T20:33:35Z");
        }
        date_ = date->timeIntervalSince1970();
    };
    missedCall->add_option_function<std::string>(
        "--date", parseDate, "When, ISO 8601 such as 2026-12-07T20:33:35Z (default: now)");

    auto* push = add("push", "A push notification (or, with --local, a local notification) arrives for an application",
        Names::kReceivePushNotification,
        [this](sdbus::MethodCall& call) { call << bundleIdentifier_ << body_ << local_; });
    push->add_option("--app", bundleIdentifier_, "The application's bundle identifier")->required();
    push->add_option("--body", body_, "The notification's text")->required();
    push->add_flag("--local", local_, "A local notification rather than a push");

    add("voicemail", "A voicemail arrives", Names::kReceiveVoicemail);

    auto* nowPlaying = add("now-playing", "An application starts playing a track (or pauses it)", Names::kSetNowPlaying,
        [this](
            sdbus::MethodCall& call) { call << bundleIdentifier_ << title_ << optionalArgument(artist_) << !paused_; });
    nowPlaying->add_option("--app", bundleIdentifier_, "The playing application's bundle identifier")->required();
    nowPlaying->add_option("--title", title_, "The track")->required();
    nowPlaying->add_option("--artist", artist_, "Who performs it");
    nowPlaying->add_flag("--paused", paused_, "The track is paused");
}

void ControlCommands::addHardware()
{
    add("lock", "Press the sleep button: the device locks", Names::kLock);
    add("unlock", "Slide to unlock", Names::kUnlock);
    add("home", "Press the home button", Names::kPressHome);

    auto* launch = add("launch", "Launch an application, from its icon or from the application switcher",
        Names::kLaunch, [this](sdbus::MethodCall& call) { call << bundleIdentifier_ << switcher_; });
    launch->add_option("BUNDLE-ID", bundleIdentifier_, "The application's bundle identifier")->required();
    launch->add_flag("--switcher", switcher_, "Launch it from the application switcher");

    const std::map<std::string, std::string> orientations{
        {"portrait", "1"}, {"upside-down", "2"}, {"landscape-right", "3"}, {"landscape-left", "4"}};
    auto* rotate
        = add("rotate", "Turn the device", Names::kRotate, [this](sdbus::MethodCall& call) { call << orientation_; });
    rotate->add_option("ORIENTATION", orientation_, "portrait, upside-down, landscape-left, landscape-right, or 1-4")
        ->required()
        ->transform(CLI::CheckedTransformer(orientations, CLI::ignore_case));

    auto printHandled = [](sdbus::MethodReply& reply, std::ostream& out) {
        bool handled = false;
        reply >> handled;
        out << (handled ? "handled" : "not handled") << "\n";
        return std::optional<NSError>();
    };
    auto* activator = add(
        "activator", "Send an Activator event, as if its gesture had been made; prints whether a listener handled it",
        Names::kSendActivatorEvent, [this](sdbus::MethodCall& call) { call << event_; }, printHandled);
    activator->add_option("EVENT", event_, "The event's name, such as libactivator.statusbar.swipe.down")->required();
}
