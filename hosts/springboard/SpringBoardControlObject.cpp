#include "SpringBoardControlObject.h"

#include "SBShell.h"
#include "ScreenControlCommands.h"
#include "ShellStatePropertyList.h"
#include "SpringBoardControlNames.h"

#include <sdbus-c++/sdbus-c++.h>

#include <cmath>

namespace {

using Names = SpringBoardControlNames;
using Step = ControlObject::Step;

sdbus::Error refusal(const std::string& reason)
{
    return sdbus::Error(Names::kRefusedError, reason);
}

template <class T>
T read(sdbus::MethodCall& call)
{
    T value{};
    call >> value;
    return value;
}

// An optional argument travels as an array of zero or one element.
template <class T>
std::optional<T> readOptional(sdbus::MethodCall& call, const char* what)
{
    auto values = read<std::vector<T>>(call);
    if (values.size() > 1) {
        throw refusal(std::string(what) + " is given more than once");
    }
    return values.empty() ? std::nullopt : std::optional<T>(values.front());
}

// The same limit as ControlObject::readText puts on the other texts.
std::optional<std::string> readOptionalText(sdbus::MethodCall& call, const char* what)
{
    constexpr std::size_t kMaxTextBytes = 64 * 1024;
    auto text = readOptional<std::string>(call, what);
    if (text && text->size() > kMaxTextBytes) {
        throw refusal(std::string(what) + " is longer than " + std::to_string(kMaxTextBytes) + " bytes");
    }
    return text;
}

// A step whose error, if any, refuses the command.
Step attempt(std::function<std::optional<NSError>()> action)
{
    return [action = std::move(action)](sdbus::MethodReply&) { return action(); };
}

} // namespace

SpringBoardControlObject::SpringBoardControlObject(SBShell& shell, std::function<bool()> isPresented,
                                                   std::optional<std::string> busAddress)
    : shell_(shell),
      control_(Names::kNames,
               [&shell, isPresented = std::move(isPresented)] { return shell.isIdle() && (!isPresented || isPresented()); },
               std::move(busAddress))
{
    registerAlertCommands();
    registerHardwareCommands();
    ScreenControlCommands::registerOn(control_, Names::kNames, shell.screen(),
                                      [&shell] { return ShellStatePropertyList::xml(shell.state()); });
}

void SpringBoardControlObject::registerStep(const char* method, const char* inputSignature,
                                            const char* outputSignature, std::function<Step(sdbus::MethodCall&)> read)
{
    control_.registerCommand(method, inputSignature, outputSignature,
                             [read = std::move(read)](sdbus::MethodCall& call) { return std::vector<Step>{read(call)}; });
}

void SpringBoardControlObject::registerAlertCommands()
{
    registerStep(Names::kReceiveTextMessage, "ss", "", [this](sdbus::MethodCall& call) {
        const std::string sender = ControlObject::readText(call, "the sender");
        const std::string text = ControlObject::readText(call, "the text");
        return attempt([this, sender, text] { return shell_.receiveTextMessage(sender, text); });
    });
    registerStep(Names::kFireCalendarAlarm, "sas", "", [this](sdbus::MethodCall& call) {
        const std::string title = ControlObject::readText(call, "the title");
        const auto location = readOptionalText(call, "the location");
        return attempt([this, title, location] { return shell_.fireCalendarAlarm(title, location); });
    });
    registerStep(Names::kReportBatteryLevel, "i", "", [this](sdbus::MethodCall& call) {
        const auto percent = read<std::int32_t>(call);
        return attempt([this, percent] { return shell_.reportBatteryLevel(percent); });
    });
    registerStep(Names::kReportLowDiskSpace, "", "",
                 [this](sdbus::MethodCall&) { return attempt([this] { return shell_.reportLowDiskSpace(); }); });
    registerStep(Names::kMissCall, "sad", "", [this](sdbus::MethodCall& call) {
        const std::string caller = ControlObject::readText(call, "the caller");
        const auto date = readOptional<double>(call, "the date");
        if (date && !std::isfinite(*date)) {
            throw refusal("the date is not a number of seconds");
        }
        return attempt([this, caller, date] { return shell_.missCall(caller, date); });
    });
    registerStep(Names::kReceivePushNotification, "ssb", "", [this](sdbus::MethodCall& call) {
        const std::string bundleIdentifier = ControlObject::readText(call, "the bundle identifier");
        const std::string body = ControlObject::readText(call, "the body");
        const bool local = read<bool>(call);
        return attempt([this, bundleIdentifier, body, local] {
            return shell_.receivePushNotification(bundleIdentifier, body, local);
        });
    });
    registerStep(Names::kReceiveVoicemail, "", "",
                 [this](sdbus::MethodCall&) { return attempt([this] { return shell_.receiveVoicemail(); }); });
    registerStep(Names::kSetNowPlaying, "ssasb", "", [this](sdbus::MethodCall& call) {
        const std::string bundleIdentifier = ControlObject::readText(call, "the bundle identifier");
        const std::string title = ControlObject::readText(call, "the title");
        const auto artist = readOptionalText(call, "the artist");
        const bool playing = read<bool>(call);
        return attempt([this, bundleIdentifier, title, artist, playing] {
            return shell_.setNowPlaying(bundleIdentifier, title, artist, playing);
        });
    });
}

void SpringBoardControlObject::registerHardwareCommands()
{
    registerStep(Names::kLock, "", "", [this](sdbus::MethodCall&) { return attempt([this] { return shell_.lock(); }); });
    registerStep(Names::kUnlock, "", "",
                 [this](sdbus::MethodCall&) { return attempt([this] { return shell_.unlock(); }); });
    registerStep(Names::kPressHome, "", "",
                 [this](sdbus::MethodCall&) { return attempt([this] { return shell_.pressHome(); }); });
    registerStep(Names::kLaunch, "sb", "", [this](sdbus::MethodCall& call) {
        const std::string bundleIdentifier = ControlObject::readText(call, "the bundle identifier");
        const bool fromSwitcher = read<bool>(call);
        return attempt([this, bundleIdentifier, fromSwitcher] { return shell_.launch(bundleIdentifier, fromSwitcher); });
    });
    registerStep(Names::kRotate, "i", "", [this](sdbus::MethodCall& call) {
        const auto orientation = read<std::int32_t>(call);
        return attempt([this, orientation] { return shell_.rotate(orientation); });
    });
    registerStep(Names::kSendActivatorEvent, "s", "b", [this](sdbus::MethodCall& call) {
        const std::string eventName = ControlObject::readText(call, "the event name");
        return Step([this, eventName](sdbus::MethodReply& reply) {
            reply << shell_.sendActivatorEvent(eventName);
            return std::optional<NSError>();
        });
    });
}

