// sbctl: drives the running shell as its user and its hardware would (alerts, buttons, touches), takes
// screenshots, prints its state and waits until it is idle. Exit status: 0 done, 1 no shell answered or the
// shell refused (the reason on stderr), 2 a bad argument.
#include "ControlCommands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv)
{
    CLI::App app{"Drives the Vantle shell (springboard) running on this user's D-Bus session bus "
                 "(DBUS_SESSION_BUS_ADDRESS). Coordinates are points on the 320 x 480 portrait screen."};
    ControlCommands commands(app);
    return commands.run(argc, argv);
}
