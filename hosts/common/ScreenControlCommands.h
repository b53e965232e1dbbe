#pragma once

#include "ControlObject.h"
#include "Result.h"

#include <functional>
#include <string>

class UIHostScreen;

// Registers the screen's commands (ScreenControlNames) on a host's control object: Tap and Drag through the
// screen's touch router, WriteScreenshot of its upright picture, State as the XML that `stateXml` makes (a
// query: answered as it arrives, busy or not), and WaitUntilIdle. A point off the screen, a drag of too few or too many steps and a relative path are
// refused with the host's refusal error before anything runs.
class ScreenControlCommands {
public:
    static void registerOn(ControlObject& control, const ControlNames& names, UIHostScreen& screen,
        std::function<Result<std::string>()> stateXml);
};
