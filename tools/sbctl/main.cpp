// sbctl: drives the running shell as its user and its hardware would (alerts, buttons, touches), takes
// screenshots, prints its state and waits until it is idle. Exit status: 0 done, 1 no shell answered or the
// shell refused (the reason on stderr), 2 a bad argument.
#include "ControlClient.h"
#include "ControlCommands.h"
#include "SpringBoardControlNames.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Drives the Vantle shell (springboard) running on this user's D-Bus session bus "
                 "(DBUS_SESSION_BUS_ADDRESS). Coordinates are points on the 320 x 480 portrait screen."};
    ControlCommands commands(app);
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

    const ControlRequest& request = commands.chosen();
    ControlClient client(SpringBoardControlNames::kNames);
    auto reply = client.call(request.method, request.arguments, request.timeout);
    if (!reply) {
        const bool late = reply.error().code() == ETIMEDOUT && !request.timeoutReason.empty();
        std::cerr << "sbctl: " << (late ? request.timeoutReason : reply.error().reason()) << "\n";
        return 1;
    }
    if (request.printReply) {
        if (const auto error = request.printReply(reply.value(), std::cout)) {
            std::cerr << "sbctl: " << error->reason() << "\n";
            return 1;
        }
    }
    return 0;
}
