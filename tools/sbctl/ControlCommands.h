#pragma once

#include "ControlCommandTable.h"
#include "ScreenToolCommands.h"

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

    ControlCommandTable table_;
    ScreenToolCommands screen_;

    // Option values, read when the request is sent.
    std::string sender_, text_, title_, caller_, bundleIdentifier_, body_, event_;
    std::optional<std::string> location_, artist_;
    std::optional<double> date_;
    int level_ = 0, orientation_ = 1;
    bool local_ = false, paused_ = false, switcher_ = false;
};
