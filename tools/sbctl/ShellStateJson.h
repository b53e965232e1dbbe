#pragma once

#include "Result.h"

#include <string>

// The shell's state as sbctl prints it: the XML property list of the control object's State method as one
// JSON object (see SpringBoardControlNames), with "foreground" null when no application is in front.
class ShellStateJson {
public:
    static Result<std::string> fromPropertyList(const std::string& xml);
};
