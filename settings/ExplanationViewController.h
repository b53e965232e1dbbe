#pragma once

#include "VPInformationPage.h"

// "More Info": what "Custom Icons", "Show New Only" and "Auto Delete" do.
class ExplanationViewController : public VPInformationPage {
public:
    ExplanationViewController();

    std::string className() const override { return "ExplanationViewController"; }
};
