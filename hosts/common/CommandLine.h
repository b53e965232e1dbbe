#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
} // namespace CLI

// What every program of the project does with its command line, so that they all answer alike:
// `--version` prints "<program> <version>", and parsing ends in the exit statuses the README gives
// (0 after --help or --version, 2 for a bad argument) instead of CLI11's own codes. A word that is not one
// of the program's commands is named in the message ("sbctl: unknown command \"bogus\"").
class CommandLine {
public:
    CommandLine() = delete;

    // The project's version, as the build knows it.
    static const char* version();

    // Adds `--version` to `app`, printing "<program> <version>".
    static void addVersionFlag(CLI::App& app, const std::string& program);

    // Parses argv with `app`. Answers the exit status when the program must stop here (help, version or a
    // bad argument, with the message printed), otherwise nothing.
    [[nodiscard]] static std::optional<int> parse(CLI::App& app, const std::string& program, int argc, char** argv);

    static constexpr int kSucceeded = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadArgument = 2;
};
