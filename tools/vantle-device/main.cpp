// vantle-device: creates or upgrades a simulated device root from the build, or from the installed files
// when it runs installed.
#include "CommandLine.h"
#include "DeviceInstaller.h"
#include "DeviceRoot.h"
#include "InstallLayout.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Creates and upgrades the simulated device that the Vantle hosts run on.", "vantle-device"};
    app.footer("Exit status: 0 when the device was installed; 1 when a file could not be installed (the reason on\n"
               "stderr); 2 for a bad argument.");
    app.require_subcommand(1);
    CommandLine::addVersionFlag(app, "vantle-device");

    std::string root = DeviceRoot::defaultRoot().string();
    std::string from = InstallLayout::artwork(VANTLE_ARTWORK_DIR).string();
    std::string tweak = InstallLayout::tweakLibrary(VANTLE_TWEAK_LIBRARY).string();
    std::string bundles = InstallLayout::preferenceBundles(VANTLE_PREFERENCE_BUNDLES_DIR).string();
    CLI::App* install = app.add_subcommand(
        "install",
        "Create or upgrade a device root: the folder layout, the built-in applications, the product's "
        "artwork, the tweak library and the preference bundles. Files the user changed or added, logs and preferences are never "
        "overwritten; the tweak library and the bundles are replaced by the ones installed from every time.");
    install->add_option("--root", root, "The device root folder")->capture_default_str();
    install->add_option("--from", from, "The artwork tree to install")->capture_default_str();
    install->add_option("--tweak", tweak, "The tweak library to install")->capture_default_str();
    install->add_option("--bundles", bundles, "The staged preference bundles to install")->capture_default_str();

    if (const auto status = CommandLine::parse(app, "vantle-device", argc, argv)) {
        return *status;
    }

    DeviceRoot::setRoot(root);
    const InstallReport report = DeviceInstaller(from, tweak, bundles).install();
    report.print(std::cout, std::cerr, DeviceRoot::root());
    return report.succeeded() ? 0 : 1;
}
