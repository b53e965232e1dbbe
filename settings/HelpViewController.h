#pragma once

#include "VPInformationPage.h"

// "Help": how to get started, and a link to the product's wiki.
class HelpViewController : public VPInformationPage {
public:
    HelpViewController();

    std::string className() const override { return "HelpViewController"; }
};
