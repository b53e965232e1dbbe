#include "ExplanationViewController.h"

#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(ExplanationViewController);

namespace {

VPInformationPage::Row explanation(const char* text, const char* detail, double height)
{
    return { VPInformationPage::Row::Kind::Text, "Cell", text, detail, {}, height, {} };
}

} // namespace

ExplanationViewController::ExplanationViewController()
    : VPInformationPage("More Info",
          {
              { "How to use:", std::nullopt,
                { explanation("Custom Icons",
                      "Custom icons uses icons designed specially for Vantle. To add custom icons add them to "
                      "/var/mobile/Library/Vantle/Images.\nIf you prefer to use the application icon, turn this "
                      "setting off",
                      125) } },
              { std::nullopt, std::nullopt,
                { explanation("Show New Only",
                      "When opening the notification list, only new notifications will be shown, along with a "
                      "\"More\" button to load read notifications.",
                      80) } },
              { std::nullopt, std::nullopt,
                { explanation("Auto Delete",
                      "After tapping a notification to launch it's application, that notification will be deleted.",
                      65) } },
          })
{
}
