#pragma once

#include <string>

// What the panel and the list manager ask of the window controller: open and close the panel, and bring an
// application to the front (which closes the panel too). Main thread only.
class VTController {
public:
    virtual ~VTController() = default;

    // Closes the panel without announcing the close and asks the display stack to bring the application
    // with this bundle identifier forward, while the panel slides out.
    virtual void launchAppWithIdentifier(const std::string& bundleIdentifier) = 0;
    virtual void toggleWindow() = 0;
    virtual bool isWindowShown() const = 0;
    virtual void setShowWindow(bool show) = 0;
};
