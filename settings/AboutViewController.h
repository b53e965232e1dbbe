#pragma once

#include "VPInformationPage.h"

// "About": the product, its author and designer, their pages and the credits.
class AboutViewController : public VPInformationPage {
public:
    AboutViewController();

    void viewDidLoad() override;

    std::string className() const override { return "AboutViewController"; }
};
