#include "OpenPanel.h"

#include "ControlClient.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "SpringBoardControlNames.h"

#include <sdbus-c++/sdbus-c++.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

using Names = SpringBoardControlNames;

constexpr std::chrono::seconds kStateTimeout{30};
// The close's rewrite of a long log runs on a job thread; idle waits for it.
constexpr std::chrono::seconds kIdleTimeout{120};

bool showsPanel(const std::string& stateXML)
{
    const auto state = NSPropertyListSerialization::propertyListWithData(stateXML);
    const auto dictionary = state ? as<NSDictionary>(state.value()) : nullptr;
    const auto windows = dictionary ? as<NSArray>(dictionary->objectForKey("windows")) : nullptr;
    if (!windows) {
        return false;
    }
    return std::any_of(windows->objects().begin(), windows->objects().end(), [](const id& window) {
        const auto entry = as<NSDictionary>(window);
        const auto name = entry ? as<NSString>(entry->objectForKey("name")) : nullptr;
        return name && name->string() == OpenPanel::kWindowName;
    });
}

} // namespace

std::optional<NSError> OpenPanel::closeIfShown()
{
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        return std::nullopt; // no session bus, so no shell on it
    }
    ControlClient shell(Names::kNames);
    auto state = shell.call(Names::kState, {}, kStateTimeout);
    if (!state) {
        return state.error().code() == ESRCH ? std::nullopt : std::optional(state.error());
    }
    std::string xml;
    state.value() >> xml;
    if (!showsPanel(xml)) {
        return std::nullopt;
    }
    if (auto pressed = shell.call(Names::kPressHome, {}, kStateTimeout); !pressed) {
        return pressed.error();
    }
    if (auto idle = shell.call(Names::kWaitUntilIdle, {}, kIdleTimeout); !idle) {
        return idle.error();
    }
    return std::nullopt;
}
