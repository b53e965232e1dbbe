#pragma once

#include "NSObject.h"

// The services that the category UIApplication(Vantle) offers to the rest of the library and to plug-ins
// in the shell. These three are the ones the log store relies on.
namespace UIApplicationVantle {

// Hands a record in for logging: when it is consistent, starts PLWriter::write on a new job thread of its
// own and answers true at once; otherwise logs nothing and answers false.
bool registerNotification(const id& record);
// True exactly when the object is a dictionary with "Application", "Body" and "Date" all present. Only
// presence is tested, not the values' types.
bool notificationIsConsistent(const id& object);
// Whether the notification panel is open; false while there is no window controller.
bool isVantleOpen();

} // namespace UIApplicationVantle
