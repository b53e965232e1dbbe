// vantle-log: prints the notification log of a device root.
#include "CommandLine.h"
#include "DeviceRoot.h"
#include "VantleLog.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Prints the notification log of a simulated device, read-only: the new (unread) records, then "
                 "the old ones, newest first.",
                 "vantle-log"};
    CommandLine::addVersionFlag(app, "vantle-log");
    app.footer("Output: a table per log file; with --json one object {\"new\": [...], \"old\": [...]} holding the\n"
               "records as stored (dates in ISO 8601 UTC, data as {\"$data\": base64}, null for a file that\n"
               "does not read).\n"
               "Exit status: 0 when both files were printed (a missing file is an empty log); 1 when a log file\n"
               "exists but does not read (named on stderr, the other file is still printed); 2 when the root is\n"
               "not a directory, or for a bad argument.");

    VantleLog::Options options;
    std::string root = DeviceRoot::defaultRoot().string();
    app.add_option("--root", root, "The device root folder")->type_name("DIR")->capture_default_str();
    app.add_flag("--json", options.json, "Print JSON instead of tables");

    if (const auto status = CommandLine::parse(app, "vantle-log", argc, argv)) {
        return *status;
    }

    options.root = root;
    return VantleLog::run(options, std::cout, std::cerr);
}
