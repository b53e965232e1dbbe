#pragma once

#include "ControlCommandTable.h"
#include "Result.h"

#include <functional>
#include <string>

// The screen's commands of a control tool, as every host answers them (ScreenControlNames): tap, drag,
// screenshot, state and idle, with their arguments checked as they are parsed. Added to the tool's table
// on construction; the values live here until the request is sent.
class ScreenToolCommands {
public:
    struct Texts {
        std::string hostName; // "shell"
        std::string stateDescription; // the help line of `state`
        std::string idleDescription; // the help line of `idle`
        std::string busyReason; // what may not have finished when `idle` waited in vain
    };
    // `stateJson` turns the host's state XML into the JSON that `state` prints.
    ScreenToolCommands(
        ControlCommandTable& table, std::function<Result<std::string>(const std::string&)> stateJson, Texts texts);
    ScreenToolCommands(const ScreenToolCommands&) = delete;
    ScreenToolCommands& operator=(const ScreenToolCommands&) = delete;

private:
    void addTouches(ControlCommandTable& table);
    void addViews(ControlCommandTable& table, std::function<Result<std::string>(const std::string&)> stateJson,
        const Texts& texts);

    std::string file_;
    int steps_ = 10, idleTimeout_ = 120;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
