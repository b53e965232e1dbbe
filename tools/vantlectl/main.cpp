// vantlectl: the desktop's notification history from the command line: list, count, clear, delete an
// application's records, and hold pop-ups back or let them through, whether or not the shell runs.
#include "CommandLine.h"
#include "DeviceRoot.h"
#include "HistoryControl.h"
#include "NSRecursiveLockHolder.h"
#include "PLWriter.h"
#include "VantleLog.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <system_error>

namespace {

constexpr const char* kProgram = "vantlectl";

int failed(const NSError& error)
{
    std::cerr << kProgram << ": " << error.reason() << "\n";
    return CommandLine::kFailed;
}

int printCounts(const HistoryControl& history, bool json)
{
    const auto counts = history.count();
    if (!counts) {
        return failed(counts.error());
    }
    const auto [fresh, old] = counts.value();
    if (json) {
        std::cout << "{\"new\": " << fresh << ", \"old\": " << old << "}\n";
    } else {
        std::cout << fresh + old << " (" << fresh << " new, " << old << " old)\n";
    }
    return CommandLine::kSucceeded;
}

int list(const std::filesystem::path& root, bool json)
{
    const VantleLog::Options options{root, json, kProgram};
    // Under the store's lock, so the two files are read as one state of the log.
    DeviceRoot::setRoot(root);
    const NSRecursiveLockHolder hold(PLWriter::storeLock());
    return VantleLog::run(options, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Reads and changes the notification history of the Vantle shell's device, whether or not the "
                 "shell runs: lists and counts the records, clears them or deletes an application's, and holds "
                 "pop-ups back (the records are logged all the same) or lets them through.",
                 kProgram};
    app.footer("A running shell is told of paused or resumed pop-ups on DBUS_SESSION_BUS_ADDRESS; it picks up the\n"
               "log's changes the next time it writes the log or opens the panel.\n"
               "Exit status: 0 done; 1 a log file does not read or cannot be changed (the reason on stderr);\n"
               "2 for a bad argument or a root that is not a directory.");
    CommandLine::addVersionFlag(app, kProgram);
    app.require_subcommand(1);

    std::string root = DeviceRoot::defaultRoot().string();
    app.add_option("--root", root, "The device root folder")->type_name("DIR")->capture_default_str();
    bool json = false;
    std::string bundleIdentifier;
    CLI::App* listCommand = app.add_subcommand("list", "Print the records, new (unread) ones first, as tables");
    listCommand->add_flag("--json", json, "Print one JSON object {\"new\": [...], \"old\": [...]} instead");
    CLI::App* countCommand = app.add_subcommand("count", "Print how many records the history holds");
    countCommand->add_flag("--json", json, "Print {\"new\": N, \"old\": M} instead");
    CLI::App* clearCommand = app.add_subcommand("clear", "Delete every record");
    CLI::App* deleteCommand = app.add_subcommand("delete", "Delete the records of one application");
    deleteCommand->add_option("BUNDLE-ID", bundleIdentifier, "The application's bundle identifier, as `list` shows it")
        ->required();
    CLI::App* pauseCommand = app.add_subcommand("pause", "Hold pop-ups back, on the home screen and the lock screen");
    app.add_subcommand("resume", "Show pop-ups again");

    if (const auto status = CommandLine::parse(app, kProgram, argc, argv)) {
        return *status;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        std::cerr << kProgram << ": " << root << ": not a device root (make one with \"vantle-device install\")\n";
        return CommandLine::kBadArgument;
    }
    if (listCommand->parsed()) {
        return list(root, json);
    }
    HistoryControl history(root);
    if (countCommand->parsed()) {
        return printCounts(history, json);
    }
    if (clearCommand->parsed()) {
        const auto failure = history.clear();
        return failure ? failed(*failure) : CommandLine::kSucceeded;
    }
    if (deleteCommand->parsed()) {
        const auto deleted = history.deleteApplication(bundleIdentifier);
        if (!deleted) {
            return failed(deleted.error());
        }
        std::cout << "Deleted " << deleted.value() << " record(s) of " << bundleIdentifier << "\n";
        return CommandLine::kSucceeded;
    }
    // pause or resume, the two left
    const auto failure = history.holdPopUps(pauseCommand->parsed());
    return failure ? failed(*failure) : CommandLine::kSucceeded;
}
