#pragma once

#include "SBApplication.h"

#include <memory>
#include <string>
#include <string_view>

// Which of the phone's applications a desktop notification comes from, so that it is logged and shown
// under that application. In order, comparing without regard to ASCII case:
//   1. the "desktop-entry" hint equal to an installed application's bundle identifier;
//   2. the hint's last component ("org.gnome.Calendar" -> "Calendar") equal to the last component of an
//      installed application's bundle identifier or to its display name;
//   3. the client's application name equal to an installed application's display name;
//   4. else an application made up for the desktop, not installed: it is shown under the application name
//      (else the hint's last component, else "Desktop"), and its bundle identifier is kMadeUpPrefix followed
//      by the hint (else the application name, else "Desktop"), every character outside A-Z, a-z, 0-9, "."
//      and "-" written as "-". The same client thus always logs under the same identifier, one a phone
//      application cannot have, and the log's grouping by application keeps the desktop's applications
//      apart from each other.
// Installed applications come from SBApplicationController. Any thread.
class DesktopApplicationMatcher {
public:
    static constexpr std::string_view kMadeUpPrefix = "org.vantle.Desktop.";
    static constexpr std::string_view kUnnamed = "Desktop";

    static std::shared_ptr<SBApplication> applicationFor(const std::string& appName, const std::string& desktopEntry);

private:
    static std::shared_ptr<SBApplication> installedApplicationFor(const std::string& appName,
                                                                   const std::string& desktopEntry);
    static std::shared_ptr<SBApplication> madeUpApplicationFor(const std::string& appName,
                                                               const std::string& desktopEntry);
};
