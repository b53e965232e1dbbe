#pragma once

#include "CPMessageReply.h"
#include "NSDictionary.h"
#include "NSObject.h"
#include "UIImage.h"

#include <memory>
#include <optional>
#include <string>

// The services that the category UIApplication(Vantle) offers to the rest of the library and to plug-ins
// in the shell: registering records (which the log store relies on), redirections and record icons.
namespace UIApplicationVantle {

// Hands a record in for logging: when it is consistent, starts PLWriter::write on a new job thread of its
// own (which completes `reply` once the record is written) and answers true at once; otherwise logs
// nothing, leaves `reply` alone and answers false. A consistent record that no file form can hold (see
// PLWriter::refusalOf) is refused at once: the reason goes to the system log and to `reply`, and the answer
// is false.
bool registerNotification(const id& record, const CPMessageReply& reply = CPMessageReply());
// True exactly when the object is a dictionary with "Application", "Body" and "Date" all present. Only
// presence is tested, not the values' types.
bool notificationIsConsistent(const id& object);
// Whether the notification panel is open; false while there is no window controller.
bool isVantleOpen();
// Open and close the panel, as the gesture does.
void openVantle();
void closeVantle();

// Opens what the record points at: the redirection of its application name, else that of its bundle
// identifier; else its launch action when it can launch; else its bundle identifier; else nothing.
void handleLaunchActionForNotification(const NSDictionary& record);
// True while the panel is closed, false while it is shown; removes nothing either way.
bool deleteNotification(const NSDictionary& record);
// The alert overrides: false holds back every captured pop-up on that screen from now on, true lets them
// through as the settings allow. (Passing true hides nothing, in spite of the names.)
void setHideLockscreenAlerts(bool allowed);
void setHideSpringBoardAlerts(bool allowed);

// Registers every service above as a method of the runtime's "UIApplication" class under its selector
// ("openVantle", "registerNotification:", ...), with the application object as receiver, so that a plug-in
// loaded into the shell reaches them by name without linking this library. The signatures are in the
// source beside the registration.
void registerCategoryMethods();

// The target bundle identifier stored under the key (an application's name or bundle identifier) in the
// "Redirections" setting, or nothing. Names and identifiers share the one table.
std::optional<std::string> redirection(const std::string& key);
// Both are `redirection` of their argument.
std::optional<std::string> redirectedAppIdentifierForApplicationIdentifier(const std::string& bundleIdentifier);
std::optional<std::string> redirectedAppIdentifierForApplicationName(const std::string& applicationName);

// The icon of a record's application (only "Application" and "Bundle Identifier" are read). Without a
// bundle identifier, or with "Custom Icons" on: the custom icon of the application's name (see
// customIconForApplication). Otherwise the music player's small icon for "com.apple.mobileipod", and the
// shell's home-screen icon for any other identifier (null when the shell has no such application).
std::shared_ptr<UIImage> iconForNotification(const NSDictionary& record);
// The image "<name>.png" of the custom-icon folder, or "Push.png" of that folder when there is none; null
// when both are missing. A name that is not a string, or that would reach outside the folder (one holding
// "/" or being ".."), is not looked up and counts as missing.
std::shared_ptr<UIImage> customIconForApplication(const id& applicationName);

} // namespace UIApplicationVantle
