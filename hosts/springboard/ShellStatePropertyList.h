#pragma once

#include "Result.h"
#include "SBShell.h"

#include <string>

// The shell's state as the control object's State method answers it: an XML property list whose keys are
// described with SpringBoardControlNames.
class ShellStatePropertyList {
public:
    static Result<std::string> xml(const SBShell::State& state);
};
