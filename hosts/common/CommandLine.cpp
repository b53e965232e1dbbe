#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

// What the user typed that the program does not know, said as such. CLI11 checks what is required before
// it looks at what is left over, so a bad word would otherwise hide behind "A subcommand is required" or
// "--app is required".
std::optional<std::string> unexpectedWord(const CLI::App& app)
{
    const std::vector<std::string> left = app.remaining(true);
    if (left.empty()) {
        return std::nullopt;
    }
    const std::string& word = left.front();
    if (word.starts_with('-')) {
        return "unknown option \"" + word + "\"";
    }
    const bool choosesCommand = !app.get_subcommands([](const CLI::App*) { return true; }).empty();
    if (choosesCommand && app.get_subcommands().empty()) {
        return "unknown command \"" + word + "\"";
    }
    return "unexpected argument \"" + word + "\"";
}

} // namespace

const char* CommandLine::version()
{
    return VANTLE_VERSION;
}

void CommandLine::addVersionFlag(CLI::App& app, const std::string& program)
{
    app.set_version_flag("--version", program + " " + version(), "Print the program's name and version, then exit");
}

std::optional<int> CommandLine::parse(CLI::App& app, const std::string& program, int argc, char** argv)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) { // --help, --help-all, --version
        (void)app.exit(done);
        return kSucceeded;
    } catch (const CLI::ParseError& error) {
        if (const auto word = unexpectedWord(app)) {
            std::cerr << program << ": " << *word << "\nRun with --help for more information.\n";
        } else {
            (void)app.exit(error);
        }
        return kBadArgument;
    }
    return std::nullopt;
}
