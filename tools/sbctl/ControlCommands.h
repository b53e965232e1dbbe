#pragma once

#include "ControlCommandTable.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

// sbctl's commands as CLI11 subcommands of `app`: their options, checked as they are parsed (a bad value is
// a usage error), and the request each one makes of the shell.
class ControlCommands {
public:
    explicit ControlCommands(CLI::App& app);
    ControlCommands(const ControlCommands&) = delete;
    ControlCommands& operator=(const ControlCommands&) = delete;

    // Parses the command line and makes the chosen request; the tool's exit status.
    int run(int argc, char** argv);

private:
    CLI::App* add(const std::string& name, const std::string& description, std::string method,
                  ControlClient::Arguments arguments = {}, ControlRequest::PrintReply printReply = {})
    {
        return table_.add(name, description, std::move(method), std::move(arguments), std::move(printReply));
    }
    void addAlerts();
    void addHardware();
    void addTouches();
    void addViews();

    ControlCommandTable table_;

    // Option values, read when the request is sent.
    std::string sender_, text_, title_, caller_, bundleIdentifier_, body_, event_, file_;
    std::optional<std::string> location_, artist_;
    std::optional<double> date_;
    int level_ = 0, orientation_ = 1, steps_ = 10, idleTimeout_ = 120;
    bool local_ = false, paused_ = false, switcher_ = false;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
