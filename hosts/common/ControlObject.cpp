#include "ControlObject.h"

#include "NSTimer.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

namespace {

constexpr std::size_t kMaxTextBytes = 64 * 1024;
// How often waiting commands look at the application.
constexpr double kIdleCheckInterval = 0.005;

void sendQuietly(sdbus::MethodReply reply)
{
    try {
        reply.send();
    } catch (const sdbus::Error&) {
        // the caller went away; nothing to answer
    }
}

} // namespace

struct ControlObject::Pending {
    sdbus::MethodCall call;
    std::optional<sdbus::MethodReply> reply;
    std::deque<Step> steps;
};

ControlObject::ControlObject(ControlNames names, std::function<bool()> isIdle, std::optional<std::string> busAddress)
    : names_(names), isIdle_(std::move(isIdle)), session_(std::move(busAddress))
{
}

ControlObject::~ControlObject()
{
    stop();
}

std::string ControlObject::readText(sdbus::MethodCall& call, const char* what)
{
    std::string text;
    call >> text;
    if (text.size() > kMaxTextBytes) {
        throw sdbus::Error("org.freedesktop.DBus.Error.InvalidArgs",
                           std::string(what) + " is longer than " + std::to_string(kMaxTextBytes) + " bytes");
    }
    return text;
}

void ControlObject::registerCommand(const char* method, const char* inputSignature, const char* outputSignature,
                                    Command command)
{
    registerMethod(method, inputSignature, outputSignature, std::move(command), Timing::WhenIdle);
}

void ControlObject::registerQuery(const char* method, const char* inputSignature, const char* outputSignature,
                                  Command query)
{
    registerMethod(method, inputSignature, outputSignature, std::move(query), Timing::AtOnce);
}

void ControlObject::registerMethod(const char* method, const char* inputSignature, const char* outputSignature,
                                   Command command, Timing timing)
{
    if (!object_) {
        auto connection = session_.receivingConnection();
        if (!connection) {
            return; // start() reports the missing bus
        }
        object_ = sdbus::createObject(*connection.value(), names_.objectPath);
    }
    object_->registerMethod(names_.interface, method, inputSignature, outputSignature,
                            [this, command = std::move(command), timing](sdbus::MethodCall call) {
                                receive(std::move(call), command, timing);
                            });
}

std::optional<NSError> ControlObject::start()
{
    auto connection = session_.receivingConnection();
    if (!connection) {
        return connection.error();
    }
    try {
        // The object first, so that a client that sees the name can call it at once.
        if (!object_) {
            object_ = sdbus::createObject(*connection.value(), names_.objectPath);
        }
        object_->finishRegistration();
        if (const auto owner = DBusSession::requestName(*connection.value(), names_.busName)) {
            object_.reset();
            return NSError(std::string("another ") + names_.description + " already owns " + names_.busName +
                           " on this bus (pid " + std::to_string(*owner) + ")");
        }
        ownsName_ = true;
    } catch (const sdbus::Error& error) {
        object_.reset();
        return NSError(std::string("cannot serve ") + names_.busName + ": " + error.getMessage());
    }
    return std::nullopt;
}

void ControlObject::stop()
{
    if (idleCheck_) {
        idleCheck_->invalidate();
        idleCheck_.reset();
    }
    for (auto& pending : std::exchange(pending_, {})) {
        answer(*pending, NSError(std::string("the ") + names_.description + " is stopping"));
    }
    object_.reset();
    if (ownsName_) {
        ownsName_ = false;
        try {
            if (auto connection = session_.receivingConnection()) {
                connection.value()->releaseName(names_.busName);
            }
        } catch (const sdbus::Error&) {
            // the bus is gone, and the name with it
        }
    }
}

void ControlObject::receive(sdbus::MethodCall call, const Command& command, Timing timing)
{
    try {
        if (!isFromOurUser(call)) {
            call.createErrorReply(sdbus::Error(names_.refusedError, "the caller runs as another user")).send();
            return;
        }
        auto pending = std::make_unique<Pending>(Pending{call, call.createReply(), {}});
        for (Step& step : command(call)) {
            pending->steps.push_back(std::move(step));
        }
        if (timing == Timing::AtOnce) {
            runAllSteps(*pending);
            return;
        }
        pending_.push_back(std::move(pending));
        runWhenIdle();
    } catch (const sdbus::Error& error) {
        try {
            call.createErrorReply(error).send();
        } catch (const sdbus::Error&) {
            // the caller went away; nothing to answer
        }
    }
}

void ControlObject::runWhenIdle()
{
    if (!idleCheck_) {
        idleCheck_ = NSTimer::scheduledTimerWithTimeInterval(kIdleCheckInterval, true, [this](NSTimer&) { runReadySteps(); });
    }
}

// One step per idle moment, so that what a step starts (a slide, a fade) settles before the next one acts.
void ControlObject::runReadySteps()
{
    if (!isIdle_()) {
        return;
    }
    while (!pending_.empty()) {
        Pending& pending = *pending_.front();
        if (pending.steps.empty()) {
            answer(pending, std::nullopt);
            pending_.pop_front();
            continue;
        }
        const Step step = std::move(pending.steps.front());
        pending.steps.pop_front();
        std::optional<NSError> failure = step(*pending.reply);
        if (failure) {
            answer(pending, failure);
            pending_.pop_front();
        }
        return;
    }
    idleCheck_->invalidate();
    idleCheck_.reset();
}

void ControlObject::runAllSteps(Pending& pending)
{
    std::optional<NSError> failure;
    while (!failure && !pending.steps.empty()) {
        failure = pending.steps.front()(*pending.reply);
        pending.steps.pop_front();
    }
    answer(pending, failure);
}

void ControlObject::answer(Pending& pending, const std::optional<NSError>& failure)
{
    if (failure) {
        try {
            pending.call.createErrorReply(sdbus::Error(names_.refusedError, failure->reason())).send();
        } catch (const sdbus::Error&) {
            // the caller went away
        }
        return;
    }
    sendQuietly(std::move(*pending.reply));
}

bool ControlObject::isFromOurUser(sdbus::MethodCall& call)
{
    const auto uid = session_.senderUid(call);
    return uid && *uid == geteuid();
}
