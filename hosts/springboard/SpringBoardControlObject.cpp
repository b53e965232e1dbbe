#include "SpringBoardControlObject.h"

#include "NSRunLoop.h"
#include "NSTimer.h"
#include "SBShell.h"
#include "ShellStatePropertyList.h"
#include "SpringBoardControlNames.h"

#include <fmt/format.h>
#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <cmath>

namespace {

using Names = SpringBoardControlNames;

// Texts longer than this (a name, a message, a path) are refused before the shell lays them out.
constexpr std::size_t kMaxTextBytes = 64 * 1024;
// How often a waiting WaitUntilIdle looks at the shell.
constexpr double kIdleCheckInterval = 0.005;

sdbus::Error refusal(const std::string& reason)
{
    return sdbus::Error(Names::kRefusedError, reason);
}

void checkLength(const std::string& text, const char* what)
{
    if (text.size() > kMaxTextBytes) {
        throw refusal(std::string(what) + " is longer than " + std::to_string(kMaxTextBytes) + " bytes");
    }
}

std::string readText(sdbus::MethodCall& call, const char* what)
{
    std::string text;
    call >> text;
    checkLength(text, what);
    return text;
}

// An optional argument travels as an array of zero or one element.
template <class T>
std::optional<T> readOptional(sdbus::MethodCall& call, const char* what)
{
    std::vector<T> values;
    call >> values;
    if (values.size() > 1) {
        throw refusal(std::string(what) + " is given more than once");
    }
    return values.empty() ? std::nullopt : std::optional<T>(values.front());
}

std::optional<std::string> readOptionalText(sdbus::MethodCall& call, const char* what)
{
    auto text = readOptional<std::string>(call, what);
    if (text) {
        checkLength(*text, what);
    }
    return text;
}

CGPoint readPoint(sdbus::MethodCall& call)
{
    double x = 0;
    double y = 0;
    call >> x >> y;
    const bool onScreen = std::isfinite(x) && std::isfinite(y) && x >= 0 && x <= Names::kScreenWidth && y >= 0 &&
                          y <= Names::kScreenHeight;
    if (!onScreen) {
        throw refusal(fmt::format("({}, {}) is not a point of the 320 x 480 screen", x, y));
    }
    return CGPoint{x, y};
}

} // namespace

SpringBoardControlObject::SpringBoardControlObject(SBShell& shell, std::optional<std::string> busAddress)
    : shell_(shell), session_(std::move(busAddress)), alive_(std::make_shared<bool>(true))
{
}

SpringBoardControlObject::~SpringBoardControlObject()
{
    stop();
}

std::optional<NSError> SpringBoardControlObject::start()
{
    auto connection = session_.receivingConnection();
    if (!connection) {
        return connection.error();
    }
    try {
        // The object first, so that a client that sees the name can call it at once.
        object_ = sdbus::createObject(*connection.value(), Names::kObjectPath);
        registerCommands();
        object_->finishRegistration();
        connection.value()->requestName(Names::kBusName);
        ownsName_ = true;
    } catch (const sdbus::Error& error) {
        object_.reset();
        if (error.getName() == "org.freedesktop.DBus.Error.FileExists") {
            return NSError(std::string("another shell already owns ") + Names::kBusName + " on this bus");
        }
        return NSError(std::string("cannot serve ") + Names::kBusName + ": " + error.getMessage());
    }
    return std::nullopt;
}

void SpringBoardControlObject::stop()
{
    if (idleCheck_) {
        idleCheck_->invalidate();
        idleCheck_.reset();
    }
    for (auto& call : idleWaiters_) {
        try {
            call.createErrorReply(refusal("the shell is stopping")).send();
        } catch (const sdbus::Error&) {
            // the caller went away
        }
    }
    idleWaiters_.clear();
    object_.reset();
    if (ownsName_) {
        ownsName_ = false;
        try {
            if (auto connection = session_.receivingConnection()) {
                connection.value()->releaseName(Names::kBusName);
            }
        } catch (const sdbus::Error&) {
            // the bus is gone, and the name with it
        }
    }
}

void SpringBoardControlObject::registerCommands()
{
    registerAlertCommands();
    registerHardwareCommands();
    registerTouchCommands();
    registerViewCommands();
    object_->registerMethod(Names::kInterface, Names::kWaitUntilIdle, "", "",
                            [this](sdbus::MethodCall call) {
                                performOutsideDispatch([this, call] { waitUntilIdle(call); });
                            });
}

void SpringBoardControlObject::registerAlertCommands()
{
    registerCommand(Names::kReceiveTextMessage, "ss", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string sender = readText(call, "the sender");
        const std::string text = readText(call, "the text");
        return shell_.receiveTextMessage(sender, text);
    });
    registerCommand(Names::kFireCalendarAlarm, "sas", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string title = readText(call, "the title");
        const auto location = readOptionalText(call, "the location");
        return shell_.fireCalendarAlarm(title, location);
    });
    registerCommand(Names::kReportBatteryLevel, "i", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        std::int32_t percent = 0;
        call >> percent;
        return shell_.reportBatteryLevel(percent);
    });
    registerCommand(Names::kReportLowDiskSpace, "", "",
                    [this](sdbus::MethodCall&, sdbus::MethodReply&) { return shell_.reportLowDiskSpace(); });
    registerCommand(Names::kMissCall, "sad", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string caller = readText(call, "the caller");
        const auto date = readOptional<double>(call, "the date");
        if (date && !std::isfinite(*date)) {
            return std::optional<NSError>(NSError("the date is not a number of seconds"));
        }
        return shell_.missCall(caller, date);
    });
    registerCommand(Names::kReceivePushNotification, "ssb", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string bundleIdentifier = readText(call, "the bundle identifier");
        const std::string body = readText(call, "the body");
        bool local = false;
        call >> local;
        return shell_.receivePushNotification(bundleIdentifier, body, local);
    });
    registerCommand(Names::kReceiveVoicemail, "", "",
                    [this](sdbus::MethodCall&, sdbus::MethodReply&) { return shell_.receiveVoicemail(); });
    registerCommand(Names::kSetNowPlaying, "ssasb", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string bundleIdentifier = readText(call, "the bundle identifier");
        const std::string title = readText(call, "the title");
        const auto artist = readOptionalText(call, "the artist");
        bool playing = false;
        call >> playing;
        return shell_.setNowPlaying(bundleIdentifier, title, artist, playing);
    });
}

void SpringBoardControlObject::registerHardwareCommands()
{
    registerCommand(Names::kLock, "", "", [this](sdbus::MethodCall&, sdbus::MethodReply&) { return shell_.lock(); });
    registerCommand(Names::kUnlock, "", "", [this](sdbus::MethodCall&, sdbus::MethodReply&) { return shell_.unlock(); });
    registerCommand(Names::kPressHome, "", "",
                    [this](sdbus::MethodCall&, sdbus::MethodReply&) { return shell_.pressHome(); });
    registerCommand(Names::kLaunch, "sb", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string bundleIdentifier = readText(call, "the bundle identifier");
        bool fromSwitcher = false;
        call >> fromSwitcher;
        return shell_.launch(bundleIdentifier, fromSwitcher);
    });
    registerCommand(Names::kRotate, "i", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        std::int32_t orientation = 0;
        call >> orientation;
        return shell_.rotate(orientation);
    });
    registerCommand(Names::kSendActivatorEvent, "s", "b", [this](sdbus::MethodCall& call, sdbus::MethodReply& reply) {
        const std::string eventName = readText(call, "the event name");
        reply << shell_.sendActivatorEvent(eventName);
        return std::optional<NSError>();
    });
}

void SpringBoardControlObject::registerTouchCommands()
{
    registerCommand(Names::kTap, "dd", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        shell_.tap(readPoint(call));
        return std::optional<NSError>();
    });
    registerCommand(Names::kDrag, "ddddi", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const CGPoint from = readPoint(call);
        const CGPoint to = readPoint(call);
        std::int32_t steps = 0;
        call >> steps;
        if (steps < 1 || steps > Names::kMaxDragSteps) {
            return std::optional<NSError>(NSError("a drag takes 1 to " + std::to_string(Names::kMaxDragSteps) + " steps"));
        }
        shell_.drag(from, to, steps);
        return std::optional<NSError>();
    });
}

void SpringBoardControlObject::registerViewCommands()
{
    registerCommand(Names::kWriteScreenshot, "s", "", [this](sdbus::MethodCall& call, sdbus::MethodReply&) {
        const std::string path = readText(call, "the path");
        if (path.empty() || path.front() != '/') {
            // Relative to what? The caller's folder is not ours.
            return std::optional<NSError>(NSError("the screenshot's path must be absolute: " + path));
        }
        return shell_.writeScreenshot(path);
    });
    registerCommand(Names::kState, "", "s", [this](sdbus::MethodCall&, sdbus::MethodReply& reply) {
        auto xml = ShellStatePropertyList::xml(shell_.state());
        if (!xml) {
            return std::optional<NSError>(xml.error());
        }
        reply << xml.value();
        return std::optional<NSError>();
    });
}

void SpringBoardControlObject::registerCommand(const char* method, const char* inputSignature,
                                               const char* outputSignature, Command command)
{
    auto shared = std::make_shared<Command>(std::move(command));
    object_->registerMethod(Names::kInterface, method, inputSignature, outputSignature,
                            [this, shared](sdbus::MethodCall call) {
                                performOutsideDispatch([this, shared, call]() mutable { serve(call, *shared); });
                            });
}

// The bus library holds its connection's lock while it dispatches a call. The shell's work (drawing text,
// running a loaded library's hooks, waiting on the run loop) runs as a perform of the main run loop
// instead, with no lock held; the reply goes out when it is done.
void SpringBoardControlObject::performOutsideDispatch(std::function<void()> work)
{
    NSRunLoop::mainRunLoop().performBlock([alive = std::weak_ptr<bool>(alive_), work = std::move(work)] {
        if (alive.lock()) {
            work();
        }
    });
}

void SpringBoardControlObject::serve(sdbus::MethodCall& call, const Command& command)
{
    try {
        if (!isFromOurUser(call)) {
            call.createErrorReply(refusal("the caller runs as another user")).send();
            return;
        }
        auto reply = call.createReply();
        if (const auto error = command(call, reply)) {
            call.createErrorReply(refusal(error->reason())).send();
            return;
        }
        reply.send();
    } catch (const sdbus::Error& error) {
        try {
            call.createErrorReply(error).send();
        } catch (const sdbus::Error&) {
            // the caller went away; nothing to answer
        }
    }
}

bool SpringBoardControlObject::isFromOurUser(sdbus::MethodCall& call)
{
    const auto uid = session_.senderUid(call);
    return uid && *uid == geteuid();
}

void SpringBoardControlObject::waitUntilIdle(sdbus::MethodCall call)
{
    if (!isFromOurUser(call)) {
        call.createErrorReply(refusal("the caller runs as another user")).send();
        return;
    }
    idleWaiters_.push_back(std::move(call));
    if (!idleCheck_) {
        idleCheck_ = NSTimer::scheduledTimerWithTimeInterval(kIdleCheckInterval, true, [this](NSTimer&) { checkIdle(); });
    }
}

void SpringBoardControlObject::checkIdle()
{
    if (!shell_.isIdle()) {
        return;
    }
    idleCheck_->invalidate();
    idleCheck_.reset();
    for (auto& call : std::exchange(idleWaiters_, {})) {
        try {
            call.createReply().send();
        } catch (const sdbus::Error&) {
            // the caller gave up waiting
        }
    }
}
