#pragma once

#include "ControlNames.h"
#include "DBusSession.h"
#include "NSError.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class NSTimer;
namespace sdbus {
class IObject;
class MethodCall;
class MethodReply;
} // namespace sdbus

// A host's control object on the session bus, for its control tool: each registered method reads its
// arguments and answers the steps it takes; the steps run one at a time on the main run loop, each only
// once the application is idle (no animation, job or due work), so a step always acts on a settled screen
// and a command of several steps (open a row, then choose on the page it opened) sees each page in place.
// Calls are served in the order they arrive. The reply is sent after the last step; a step that fails ends
// the command with kRefused and its reason. Callers running as another user are refused at once. A command
// with no step is answered as soon as the application is idle (the WaitUntilIdle of the tools).
//
// Main thread only: calls arrive on the main run loop.
class ControlObject {
public:
    // One step: acts, may write results into the reply; an error refuses the command.
    using Step = std::function<std::optional<NSError>(sdbus::MethodReply& reply)>;
    // Reads the call's arguments (an sdbus::Error thrown while reading refuses it) and answers its steps.
    using Command = std::function<std::vector<Step>(sdbus::MethodCall& call)>;

    // `busAddress` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    ControlObject(ControlNames names, std::function<bool()> isIdle, std::optional<std::string> busAddress = std::nullopt);
    ~ControlObject();
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;

    // Before start().
    void registerCommand(const char* method, const char* inputSignature, const char* outputSignature, Command command);
    // A command that only reads (the state): its steps run as it arrives, ahead of commands waiting for an
    // idle moment, so a shell kept busy (a burst of records, an endless animation) still answers it.
    void registerQuery(const char* method, const char* inputSignature, const char* outputSignature, Command query);

    // Exports the object, then takes the bus name. Fails when there is no bus or another host owns the name.
    [[nodiscard]] std::optional<NSError> start();
    // Releases the bus name and withdraws the object; commands still waiting are refused. Also done on
    // destruction.
    void stop();

    // Reads a text argument, refusing one longer than 64 KiB before the application lays it out.
    static std::string readText(sdbus::MethodCall& call, const char* what);

private:
    struct Pending;

    enum class Timing { WhenIdle, AtOnce };
    void registerMethod(const char* method, const char* inputSignature, const char* outputSignature, Command command,
                        Timing timing);
    void receive(sdbus::MethodCall call, const Command& command, Timing timing);
    void runWhenIdle();
    void runReadySteps();
    void runAllSteps(Pending& pending);
    void answer(Pending& pending, const std::optional<NSError>& failure);
    bool isFromOurUser(sdbus::MethodCall& call);

    const ControlNames names_;
    std::function<bool()> isIdle_;
    DBusSession session_;
    std::unique_ptr<sdbus::IObject> object_;
    bool ownsName_ = false;
    std::deque<std::unique_ptr<Pending>> pending_;
    std::shared_ptr<NSTimer> idleCheck_;
};
