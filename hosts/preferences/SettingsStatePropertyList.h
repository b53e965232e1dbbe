#pragma once

#include "PreferencesAppController.h"
#include "Result.h"

#include <string>

// The Settings application's state as the control object's State method answers it: an XML property list
// whose keys are described with PreferencesControlNames.
class SettingsStatePropertyList {
public:
    static Result<std::string> xml(const PreferencesAppController::State& state);
};
