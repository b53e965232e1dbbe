#pragma once

#include "PSListController.h"

#include <memory>
#include <vector>

// The bundle's root page: the specifiers of the file "VantlePro", loaded once with this page as their
// target. When the page goes away (the user leaves the bundle) the shared application list goes with it, so
// the next visit scans the installed applications afresh. Its rows show and store the grouping as
// VPPreferences keeps it in force: "Group By" shows the grouping the panel uses, and the first value saved
// creates the file with it. Main thread only.
class VPSettingsController : public PSListController {
public:
    ~VPSettingsController() override;

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override;
    id readPreferenceValue(const PSSpecifier& specifier) override;
    void setPreferenceValue(const id& value, PSSpecifier& specifier) override;

    std::string className() const override { return "VPSettingsController"; }
};
