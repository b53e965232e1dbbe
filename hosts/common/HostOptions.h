#pragma once

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
} // namespace CLI

// The command line every host takes: `[--root DIR] [--scale 1|2]`, the device root and the screen's scale.
struct HostOptions {
    std::string root;
    int scale = 1;

    // Parses the command line under the host's description, with the host's own options added by
    // `addHostOptions` when given. Answers the exit status when the host must not go on (0 after --help, 2 for
    // a bad argument, with CLI11's message printed), otherwise nothing.
    static std::optional<int> parse(const std::string& description, int argc, char** argv, HostOptions& options,
                                    const std::function<void(CLI::App&)>& addHostOptions = {});
};
