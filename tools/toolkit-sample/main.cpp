// toolkit-sample: renders a sample screen of the view toolkit to a PNG, for a person to look at.
#include "CommandLine.h"
#include "DeviceRoot.h"
#include "InstallLayout.h"
#include "SampleScreen.h"
#include "UIRenderer.h"
#include "UIScreen.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Renders a sample screen of the view toolkit to a PNG of 320 x 480 points: a grouped table with "
                 "headers, footers and cells of the default, title-and-detail and subtitle styles, a label, an "
                 "image, a push button and a badge whose digits are cut out with the clear blend mode.",
                 "toolkit-sample"};
    CommandLine::addVersionFlag(app, "toolkit-sample");
    app.footer("Exit status: 0 when the picture was written; 1 when the artwork is missing or the file cannot be\n"
               "written (the reason on stderr); 2 for a bad argument.");

    std::string out;
    int scale = 1;
    std::string artwork = InstallLayout::artwork(VANTLE_ARTWORK_DIR).string();
    app.add_option("--out", out, "The PNG file to write")->required()->type_name("FILE");
    app.add_option("--scale", scale, "Pixels per point: 1 gives 320 x 480 pixels, 2 gives 640 x 960")
        ->check(CLI::IsMember({1, 2}))
        ->capture_default_str();
    app.add_option("--artwork", artwork, "The rendered artwork, a tree shaped like a device root")
        ->type_name("DIR")
        ->capture_default_str();
    if (const auto status = CommandLine::parse(app, "toolkit-sample", argc, argv)) {
        return *status;
    }

    UIScreen::mainScreen()->setScale(scale);
    DeviceRoot::setRoot(artwork);
    const SampleScreen screen;
    if (const auto missing = screen.missingArtwork().size(); missing > 0) {
        std::cerr << "toolkit-sample: " << missing << " pictures missing from the artwork in " << artwork
                  << "; nothing written\n";
        return 1;
    }
    if (!UIRenderer::writeScreenPNG(out)) {
        return 1;
    }
    std::cout << "Wrote " << out << " (" << 320 * scale << " x " << 480 * scale << " pixels)\n";
    return 0;
}
