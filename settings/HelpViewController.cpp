#include "HelpViewController.h"

#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(HelpViewController);

using Row = VPInformationPage::Row;

HelpViewController::HelpViewController()
    : VPInformationPage("Help",
          {
              { std::nullopt, std::nullopt, { productRow() } },
              { std::nullopt, std::nullopt,
                { { Row::Kind::Text, "Getting Started Cell", "Getting Started",
                    "To get started, go back to the Vantle Settings, choose \"Select Gesture\", and choose which "
                    "gestures you'd like to open Vantle.",
                    {}, 95, {} } } },
              { "Help Links",
                "If you have any doubts or problems, please check the Vantle Wiki, if you can't find what you are "
                "looking for there, contact us by Twitter.",
                { { Row::Kind::Link, "Cell", "Vantle Wiki", {}, "TableWeb.png", 0, "https://vantle.torvask.net/wiki" } } },
          })
{
}
