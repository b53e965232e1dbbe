#include "ScreenToolCommands.h"

#include "ScreenControlNames.h"

#include <CLI/CLI.hpp>
#include <sdbus-c++/sdbus-c++.h>

#include <filesystem>
#include <ostream>

namespace {

using Names = ScreenControlNames;

const CLI::Range& xRange()
{
    static const CLI::Range range(0.0, Names::kScreenWidth);
    return range;
}

const CLI::Range& yRange()
{
    static const CLI::Range range(0.0, Names::kScreenHeight);
    return range;
}

} // namespace

ScreenToolCommands::ScreenToolCommands(
    ControlCommandTable& table, std::function<Result<std::string>(const std::string&)> stateJson, Texts texts)
{
    addTouches(table);
    addViews(table, std::move(stateJson), texts);
}

void ScreenToolCommands::addTouches(ControlCommandTable& table)
{
    auto* tap = table.add("tap", "Tap the screen at a point (points on the 320 x 480 portrait screen)", Names::kTap,
        [this](sdbus::MethodCall& call) { call << x1_ << y1_; });
    tap->add_option("X", x1_)->required()->check(xRange());
    tap->add_option("Y", y1_)->required()->check(yRange());

    auto* drag = table.add("drag", "Drag a finger from one point to another in equal steps", Names::kDrag,
        [this](sdbus::MethodCall& call) { call << x1_ << y1_ << x2_ << y2_ << steps_; });
    drag->add_option("X1", x1_)->required()->check(xRange());
    drag->add_option("Y1", y1_)->required()->check(yRange());
    drag->add_option("X2", x2_)->required()->check(xRange());
    drag->add_option("Y2", y2_)->required()->check(yRange());
    drag->add_option("--steps", steps_, "How many moves between press and release")
        ->capture_default_str()
        ->check(CLI::Range(1, Names::kMaxDragSteps));
}

void ScreenToolCommands::addViews(
    ControlCommandTable& table, std::function<Result<std::string>(const std::string&)> stateJson, const Texts& texts)
{
    // The host writes the file itself, so a relative path is made absolute against our folder first.
    auto* screenshot = table.add("screenshot", "Write the screen as drawn now to a PNG file (at the screen's scale)",
        Names::kWriteScreenshot,
        [this](sdbus::MethodCall& call) { call << std::filesystem::absolute(file_).lexically_normal().string(); });
    screenshot->add_option("FILE", file_, "Where to write the PNG")->required();

    auto printState = [stateJson = std::move(stateJson)](sdbus::MethodReply& reply, std::ostream& out) {
        std::string xml;
        reply >> xml;
        const auto json = stateJson(xml);
        if (!json) {
            return std::optional<NSError>(json.error());
        }
        out << json.value();
        return std::optional<NSError>();
    };
    table.add("state", texts.stateDescription, Names::kState, {}, printState);

    auto* idle = table.add("idle", texts.idleDescription, Names::kWaitUntilIdle);
    idle->add_option("--timeout", idleTimeout_, "Seconds to wait at most")
        ->capture_default_str()
        ->check(CLI::Range(1, 3600));
    idle->callback([this, &table, idle, hostName = texts.hostName, busyReason = texts.busyReason] {
        ControlRequest& request = table.request(idle);
        request.timeout = std::chrono::seconds(idleTimeout_);
        request.timeoutReason = "the " + hostName + " was still busy after " + std::to_string(idleTimeout_)
            + " seconds (" + busyReason + ")";
    });
}
