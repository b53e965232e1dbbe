// settingsctl: drives the running Settings application as its user would (rows, switches, choices,
// alerts, the navigation bar, touches), takes screenshots, prints what it shows and waits until it is idle.
// Exit status: 0 done, 1 no application answered or it refused (the reason on stderr), 2 a bad argument.
#include "ControlClient.h"
#include "PreferencesControlNames.h"
#include "SettingsCommands.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Drives the Vantle Settings application (preferences) running on this user's D-Bus session bus "
                 "(DBUS_SESSION_BUS_ADDRESS). Rows are named by their titles; coordinates are points on the "
                 "320 x 480 screen."};
    SettingsCommands commands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return 2;
    }

    const SettingsRequest& request = commands.chosen();
    ControlClient client(PreferencesControlNames::kNames);
    auto reply = client.call(request.method, request.arguments, request.timeout);
    if (!reply) {
        std::cerr << "settingsctl: " << reply.error().reason() << "\n";
        return 1;
    }
    if (request.printReply) {
        if (const auto error = request.printReply(reply.value(), std::cout)) {
            std::cerr << "settingsctl: " << error->reason() << "\n";
            return 1;
        }
    }
    return 0;
}
