#include "AboutViewController.h"

#include "NSLog.h"
#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(AboutViewController);

namespace {

using Row = VPInformationPage::Row;

Row link(const char* reuseIdentifier, const char* text, const char* image, const char* url)
{
    return { Row::Kind::Link, reuseIdentifier, text, {}, image, 0, url };
}

std::vector<VPInformationPage::Section> aboutSections()
{
    return {
        { std::nullopt, std::nullopt, { VPInformationPage::productRow() } },
        { std::nullopt, std::nullopt,
          { { Row::Kind::Text, "Cell", "About Vantle",
              "Vantle is written by Torvask and designed by Lena Hart. It logs every notification your device "
              "receives, so that you can read it later, even offline.",
              {}, 125, {} } } },
        { std::nullopt, std::nullopt,
          { link("Link Cell", "@VantleApp", "TableTwitter.png", "https://twitter.com/VantleApp"),
            link("Link Cell", "vantle.torvask.net", "TableWeb.png", "https://vantle.torvask.net/") } },
        { std::nullopt, std::nullopt,
          { link("Link Cell", "@torvask", "TableTwitter.png", "https://twitter.com/torvask"),
            link("Link Cell", "@lenahart", "TableTwitter.png", "https://twitter.com/lenahart"),
            link("Link Cell", "torvask.net", "TableWeb.png", "https://torvask.net/"),
            link("Link Cell", "lenahart.design", "TableWeb.png", "https://lenahart.design/") } },
        { "Credits", "Vantle builds on the open-source projects above.",
          { link("Credits Cell", "Badge View", "TableWeb.png", "https://vantle.torvask.net/credits/badge-view"),
            link("Credits Cell", "Display Stack", "TableWeb.png", "https://vantle.torvask.net/credits/display-stack") } },
    };
}

} // namespace

AboutViewController::AboutViewController()
    : VPInformationPage("About", aboutSections())
{
}

void AboutViewController::viewDidLoad()
{
    NSLog("AboutViewController loading");
    VPInformationPage::viewDidLoad();
}
