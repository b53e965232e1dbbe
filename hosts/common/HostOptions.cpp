#include "HostOptions.h"

#include "CommandLine.h"
#include "DeviceRoot.h"

#include <CLI/CLI.hpp>

std::optional<int> HostOptions::parse(const std::string& program, const std::string& description, int argc, char** argv,
                                      HostOptions& options, const std::string& footer,
                                      const std::function<void(CLI::App&)>& addHostOptions)
{
    CLI::App app{description, program};
    CommandLine::addVersionFlag(app, program);
    app.footer(footer);
    options.root = DeviceRoot::defaultRoot().string();
    app.add_option("--root", options.root, "The device root folder (made by vantle-device install)")->capture_default_str();
    app.add_option("--scale", options.scale, "Pixels per point of the screen")->capture_default_str()->check(CLI::IsMember({1, 2}));
    app.add_flag("--window", options.window,
                 "Show the screen in a window of the desktop (SDL2): the mouse is the finger, keys are the buttons");
    if (addHostOptions) {
        addHostOptions(app);
    }
    return CommandLine::parse(app, program, argc, argv);
}
