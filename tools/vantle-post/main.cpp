// vantle-post: the plug-in client. Sends one notification record to the running shell's log, as a plug-in
// in another process does.
#include "CommandLine.h"
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "PLWriter.h"
#include "PostRequest.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Sends a notification record to the Vantle log of the shell running on this user's D-Bus "
                 "session bus (DBUS_SESSION_BUS_ADDRESS).",
                 "vantle-post"};
    app.footer("Exit status: 0 once the shell has written the record; 1 when no shell serves the log or the record\n"
               "was refused (the reason on stderr); 2 for a bad argument.");
    CommandLine::addVersionFlag(app, "vantle-post");
    PostRequest request;
    app.add_option("--app", request.application, "The application's display name (\"Application\")")->required();
    app.add_option("--body", request.body, "The notification's text (\"Body\")")->required();
    app.add_option("--bundle", request.bundleIdentifier, "The application's bundle identifier (\"Bundle Identifier\")");
    app.add_option("--date", request.date, "When it arrived, ISO 8601 such as 2026-12-07T20:33:35Z (default: now)");
    app.add_option("--set", request.assignments, "An extra string key of the record, KEY=VALUE (repeatable)")
        ->allow_extra_args(false);
    if (const auto status = CommandLine::parse(app, "vantle-post", argc, argv)) {
        return *status;
    }

    const auto record = request.record();
    if (!record) {
        std::cerr << "vantle-post: " << record.error().reason() << "\n";
        return 2;
    }

    CrossProcessChannels::useSessionBus();
    const auto center = CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName);
    if (const auto error = center->sendMessageName(PLWriter::kNewNotificationMessage, record.value())) {
        std::cerr << "vantle-post: not sent to " << PLWriter::kMessagingCenterName << ": " << error->description() << "\n";
        if (error->kind() == CPMessagingError::Kind::Failed && !std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
            std::cerr << "vantle-post: DBUS_SESSION_BUS_ADDRESS is not set; is a session bus running?\n";
        }
        return 1;
    }
    return 0;
}
