#pragma once

#include "ControlObject.h"
#include "NSError.h"

#include <functional>
#include <optional>
#include <string>

class SBShell;

// The shell's commands on its control object (the names and methods are in SpringBoardControlNames): each
// method reads its arguments when the call arrives and has the shell act once it is idle; what the shell
// refuses gets SpringBoardControlNames::kRefusedError with the reason. Main thread only.
class SpringBoardControlObject {
public:
    // `busAddress` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    // `isPresented` (when given) says whether the window shows the screen as it is; the host is idle only then.
    explicit SpringBoardControlObject(SBShell& shell, std::function<bool()> isPresented = {},
                              std::optional<std::string> busAddress = std::nullopt);

    // Exports the object, then takes the bus name. Fails when there is no bus or another shell owns the name.
    [[nodiscard]] std::optional<NSError> start() { return control_.start(); }
    // Releases the bus name and withdraws the object; commands still waiting are refused. Also done on
    // destruction.
    void stop() { control_.stop(); }

private:
    using Step = ControlObject::Step;

    void registerAlertCommands();
    void registerHardwareCommands();
    // A command of one step: `read` takes the arguments from the call and answers what the shell is to do.
    void registerStep(const char* method, const char* inputSignature, const char* outputSignature,
                      std::function<Step(sdbus::MethodCall&)> read);

    SBShell& shell_;
    ControlObject control_;
};
