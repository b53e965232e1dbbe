#pragma once

#include "DBusSession.h"
#include "NSError.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class NSTimer;
class SBShell;
namespace sdbus {
class IObject;
class MethodCall;
class MethodReply;
} // namespace sdbus

// The shell's control object on the session bus (the names and methods are in SpringBoardControlNames):
// each method call, from a caller of our own user, becomes one operation of the shell; what the shell
// refuses, and every caller of another user, gets SpringBoardControlNames::kRefusedError with the reason.
// Main thread only: calls arrive on the main run loop, where the shell lives, and are carried out as
// performs of that loop.
//
// WaitUntilIdle is answered late: the call is kept, and while any is waiting the shell is asked every few
// milliseconds (from a timer of the main run loop, so between two pieces of the shell's work) whether it is
// idle; all waiting calls are answered when it is.
class SpringBoardControlObject {
public:
    // `busAddress` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    explicit SpringBoardControlObject(SBShell& shell, std::optional<std::string> busAddress = std::nullopt);
    ~SpringBoardControlObject();
    SpringBoardControlObject(const SpringBoardControlObject&) = delete;
    SpringBoardControlObject& operator=(const SpringBoardControlObject&) = delete;

    // Exports the object, then takes the bus name. Fails when there is no bus or another shell owns the name.
    [[nodiscard]] std::optional<NSError> start();
    // Releases the bus name and withdraws the object; calls still waiting for idle get an error. Also done
    // on destruction.
    void stop();

private:
    // Reads the call's arguments, has the shell act, writes the results into the reply; an error refuses.
    using Command = std::function<std::optional<NSError>(sdbus::MethodCall&, sdbus::MethodReply&)>;

    void registerCommands();
    void registerAlertCommands();
    void registerHardwareCommands();
    void registerTouchCommands();
    void registerViewCommands();
    void registerCommand(const char* method, const char* inputSignature, const char* outputSignature, Command command);
    void performOutsideDispatch(std::function<void()> work);
    void serve(sdbus::MethodCall& call, const Command& command);
    bool isFromOurUser(sdbus::MethodCall& call);
    void waitUntilIdle(sdbus::MethodCall call);
    void checkIdle();

    SBShell& shell_;
    DBusSession session_;
    std::unique_ptr<sdbus::IObject> object_;
    bool ownsName_ = false;
    std::vector<sdbus::MethodCall> idleWaiters_;
    std::shared_ptr<NSTimer> idleCheck_;
    // Performs queued for calls check it, so none runs once the object is gone.
    std::shared_ptr<bool> alive_;
};
