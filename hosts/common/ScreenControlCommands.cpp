#include "ScreenControlCommands.h"

#include "ScreenControlNames.h"
#include "UIHostScreen.h"

#include <fmt/format.h>
#include <sdbus-c++/sdbus-c++.h>

#include <cmath>

namespace {

using Names = ScreenControlNames;
using Step = ControlObject::Step;

CGPoint readPoint(sdbus::MethodCall& call, const ControlNames& names)
{
    double x = 0;
    double y = 0;
    call >> x >> y;
    const bool onScreen = std::isfinite(x) && std::isfinite(y) && x >= 0 && x <= Names::kScreenWidth && y >= 0
        && y <= Names::kScreenHeight;
    if (!onScreen) {
        throw sdbus::Error(names.refusedError, fmt::format("({}, {}) is not a point of the 320 x 480 screen", x, y));
    }
    return CGPoint{x, y};
}

// A command of one step.
ControlObject::Command oneStep(std::function<Step(sdbus::MethodCall&)> read)
{
    return [read = std::move(read)](sdbus::MethodCall& call) { return std::vector<Step>{read(call)}; };
}

} // namespace

void ScreenControlCommands::registerOn(ControlObject& control, const ControlNames& names, UIHostScreen& screen,
    std::function<Result<std::string>()> stateXml)
{
    control.registerCommand(Names::kTap, "dd", "", oneStep([names, &screen](sdbus::MethodCall& call) {
        const CGPoint point = readPoint(call, names);
        return Step([&screen, point](sdbus::MethodReply&) {
            screen.touches().tap(point);
            return std::optional<NSError>();
        });
    }));
    control.registerCommand(Names::kDrag, "ddddi", "", oneStep([names, &screen](sdbus::MethodCall& call) {
        const CGPoint from = readPoint(call, names);
        const CGPoint to = readPoint(call, names);
        std::int32_t steps = 0;
        call >> steps;
        if (steps < 1 || steps > Names::kMaxDragSteps) {
            throw sdbus::Error(names.refusedError, fmt::format("a drag takes 1 to {} steps", Names::kMaxDragSteps));
        }
        return Step([&screen, from, to, steps](sdbus::MethodReply&) {
            screen.touches().drag(from, to, steps);
            return std::optional<NSError>();
        });
    }));
    control.registerCommand(Names::kWriteScreenshot, "s", "", oneStep([names, &screen](sdbus::MethodCall& call) {
        const std::string path = ControlObject::readText(call, "the path");
        if (path.empty() || path.front() != '/') {
            // Relative to what? The caller's folder is not ours.
            throw sdbus::Error(names.refusedError, "the screenshot's path must be absolute: " + path);
        }
        return Step([&screen, path](sdbus::MethodReply&) { return screen.writeScreenshot(path); });
    }));
    control.registerQuery(Names::kState, "", "s", oneStep([stateXml = std::move(stateXml)](sdbus::MethodCall&) {
        return Step([stateXml](sdbus::MethodReply& reply) {
            auto xml = stateXml();
            if (!xml) {
                return std::optional<NSError>(xml.error());
            }
            reply << xml.value();
            return std::optional<NSError>();
        });
    }));
    // No step: answered as soon as the host is idle.
    control.registerCommand(Names::kWaitUntilIdle, "", "", [](sdbus::MethodCall&) { return std::vector<Step>{}; });
}
