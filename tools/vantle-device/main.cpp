// vantle-device: creates or upgrades a simulated device root from the build.
#include "DeviceInstaller.h"
#include "DeviceRoot.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Creates and upgrades the simulated device that the Vantle hosts run on."};
    app.require_subcommand(1);

    std::string root = DeviceRoot::defaultRoot().string();
    std::string from = VANTLE_ARTWORK_DIR;
    std::string tweak = VANTLE_TWEAK_LIBRARY;
    std::string bundles = VANTLE_PREFERENCE_BUNDLES_DIR;
    CLI::App* install = app.add_subcommand(
        "install",
        "Create or upgrade a device root: the folder layout, the built-in applications, the product's "
        "artwork, the tweak library and the preference bundles. Files the user changed or added, logs and preferences are never "
        "overwritten; the tweak library and the bundles are replaced by the build's every time.");
    install->add_option("--root", root, "The device root folder")->capture_default_str();
    install->add_option("--from", from, "The build's artwork tree to install")->capture_default_str();
    install->add_option("--tweak", tweak, "The built tweak library to install")->capture_default_str();
    install->add_option("--bundles", bundles, "The build's staged preference bundles to install")->capture_default_str();

    CLI11_PARSE(app, argc, argv);

    DeviceRoot::setRoot(root);
    const InstallReport report = DeviceInstaller(from, tweak, bundles).install();
    report.print(std::cout, std::cerr, DeviceRoot::root());
    return report.succeeded() ? 0 : 1;
}
