#pragma once

#include "ControlClient.h"
#include "NSError.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

namespace CLI {
class App;
}

// One command for the shell: the control method to call, its arguments, how long to wait, and what the
// reply prints (most replies carry nothing).
struct ControlRequest {
    using PrintReply = std::function<std::optional<NSError>(sdbus::MethodReply&, std::ostream&)>;

    std::string method;
    ControlClient::Arguments arguments;
    std::chrono::seconds timeout{30};
    // What the caller is told when the shell does not answer in time; empty: that it did not answer.
    std::string timeoutReason;
    PrintReply printReply;
};

// sbctl's commands as CLI11 subcommands of `app`: their options, checked as they are parsed (a bad value is
// a usage error), and the request each one makes of the shell.
class ControlCommands {
public:
    explicit ControlCommands(CLI::App& app);
    ControlCommands(const ControlCommands&) = delete;
    ControlCommands& operator=(const ControlCommands&) = delete;

    // The request of the subcommand that was parsed.
    const ControlRequest& chosen() const;

private:
    CLI::App* add(const std::string& name, const std::string& description, std::string method,
                  ControlClient::Arguments arguments = {}, ControlRequest::PrintReply printReply = {});
    void addAlerts();
    void addHardware();
    void addTouches();
    void addViews();

    CLI::App& app_;
    std::map<CLI::App*, ControlRequest> requests_;

    // Option values, read when the request is sent.
    std::string sender_, text_, title_, caller_, bundleIdentifier_, body_, event_, file_;
    std::optional<std::string> location_, artist_;
    std::optional<double> date_;
    int level_ = 0, orientation_ = 1, steps_ = 10, idleTimeout_ = 120;
    bool local_ = false, paused_ = false, switcher_ = false;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};
