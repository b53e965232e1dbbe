#pragma once

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
} // namespace CLI

// The command line every host takes: `[--root DIR] [--scale 1|2] [--window]`, the device root, the screen's
// scale and whether the screen is shown in a window of the desktop (otherwise the host is headless).
struct HostOptions {
    std::string root;
    int scale = 1;
    bool window = false;

    // Parses the command line of the host `program` under its description; `footer` ends --help (the
    // window's keys), and `addHostOptions`, when given, adds the host's own options. Answers the exit status
    // when the host must not go on (0 after --help or --version, 2 for a bad argument, with the message
    // printed; see CommandLine), otherwise nothing.
    static std::optional<int> parse(const std::string& program, const std::string& description, int argc, char** argv,
                                    HostOptions& options,
                                    const std::string& footer = "",
                                    const std::function<void(CLI::App&)>& addHostOptions = {});
};
