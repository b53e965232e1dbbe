#pragma once

#include "Result.h"

#include <string>

// The Settings application's state as settingsctl prints it: the XML property list of the control object's
// State method as one JSON object (see PreferencesControlNames), with "alert" null when no alert is shown
// and every section's "header" and "footer" null when it has none.
class SettingsStateJson {
public:
    static Result<std::string> fromPropertyList(const std::string& xml);
};
