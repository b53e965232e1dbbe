// settingsctl: drives the running Settings application as its user would (rows, switches, choices,
// alerts, the navigation bar, touches), takes screenshots, prints what it shows and waits until it is idle.
// Exit status: 0 done, 1 no application answered or it refused (the reason on stderr), 2 a bad argument.
#include "SettingsCommands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv)
{
    CLI::App app{"Drives the Vantle Settings application (preferences) running on this user's D-Bus session bus "
                 "(DBUS_SESSION_BUS_ADDRESS). Rows are named by their titles; coordinates are points on the "
                 "320 x 480 screen."};
    SettingsCommands commands(app);
    return commands.run(argc, argv);
}
