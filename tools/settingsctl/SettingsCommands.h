#pragma once

#include "ControlCommandTable.h"
#include "ScreenToolCommands.h"

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// settingsctl's commands as CLI11 subcommands of `app`: their arguments, checked as they are parsed (a bad
// value is a usage error), and the request each one makes of the application.
class SettingsCommands {
public:
    explicit SettingsCommands(CLI::App& app);
    SettingsCommands(const SettingsCommands&) = delete;
    SettingsCommands& operator=(const SettingsCommands&) = delete;

    // Parses the command line and makes the chosen request; the tool's exit status.
    int run(int argc, char** argv);

private:
    CLI::App* add(const std::string& name, const std::string& description, std::string method,
        ControlClient::Arguments arguments = {}, ControlRequest::PrintReply printReply = {})
    {
        return table_.add(name, description, std::move(method), std::move(arguments), std::move(printReply));
    }
    CLI::App* addTitled(
        const std::string& name, const std::string& description, std::string method, const std::string& what);
    void addPages();

    ControlCommandTable table_;
    ScreenToolCommands screen_;

    // Argument values, read when the request is sent.
    std::vector<std::string> titles_;
    std::string title_, value_, text_;
};
