#pragma once

#include "PSListController.h"

#include <memory>

// The page of a choice list: one row per title of the list specifier, a checkmark on the title whose value
// is stored now. Tapping a row stores its value through the controller that owns the list's value (so it is
// written and announced as any change is) and moves the checkmark; the page stays until the user goes back.
class PSListItemsController : public PSListController {
public:
    PSListItemsController(std::shared_ptr<PSSpecifier> listSpecifier, PSListController& owner,
                          NSFileManager& files = NSFileManager::defaultManager());

    const std::shared_ptr<PSSpecifier>& listSpecifier() const { return listSpecifier_; }

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    std::string className() const override { return "PSListItemsController"; }

protected:
    std::shared_ptr<PSTableCell> cellForSpecifier(UITableView& table, const std::shared_ptr<PSSpecifier>& specifier) override;

private:
    std::shared_ptr<PSSpecifier> listSpecifier_;
    PSListController& owner_;
};
