#pragma once

#include "SystemLog.h"

#include <fmt/format.h>

#include <utility>

// Writes one line to the system log: NSLog("No plist for {}", name). The format is fmt's; arguments that
// are objects are passed as their description().
template <class... Args>
void NSLog(fmt::format_string<Args...> format, Args&&... args)
{
    SystemLog::write(fmt::format(format, std::forward<Args>(args)...));
}
