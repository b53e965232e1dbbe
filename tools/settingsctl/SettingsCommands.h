#pragma once

#include "ControlClient.h"
#include "NSError.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// One command for the Settings application: the control method to call, its arguments, how long to wait,
// and what the reply prints (most replies carry nothing).
struct SettingsRequest {
    using PrintReply = std::function<std::optional<NSError>(sdbus::MethodReply&, std::ostream&)>;

    std::string method;
    ControlClient::Arguments arguments;
    std::chrono::seconds timeout{60};
    PrintReply printReply;
};

// settingsctl's commands as CLI11 subcommands of `app`: their arguments, checked as they are parsed (a bad
// value is a usage error), and the request each one makes of the application.
class SettingsCommands {
public:
    explicit SettingsCommands(CLI::App& app);
    SettingsCommands(const SettingsCommands&) = delete;
    SettingsCommands& operator=(const SettingsCommands&) = delete;

    // The request of the subcommand that was parsed.
    const SettingsRequest& chosen() const;

private:
    CLI::App* add(const std::string& name, const std::string& description, std::string method,
                  ControlClient::Arguments arguments = {}, SettingsRequest::PrintReply printReply = {});
    CLI::App* addTitled(const std::string& name, const std::string& description, std::string method,
                        const std::string& what);
    void addPages();
    void addTouches();
    void addViews();

    CLI::App& app_;
    std::map<CLI::App*, SettingsRequest> requests_;

    // Argument values, read when the request is sent.
    std::vector<std::string> titles_;
    std::string title_, value_, text_, file_;
    int steps_ = 10, idleTimeout_ = 120;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
