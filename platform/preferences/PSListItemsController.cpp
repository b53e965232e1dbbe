#include "PSListItemsController.h"

#include "PSTableCell.h"

PSListItemsController::PSListItemsController(std::shared_ptr<PSSpecifier> listSpecifier, PSListController& owner,
                                             NSFileManager& files)
    : PSListController(files), listSpecifier_(std::move(listSpecifier)), owner_(owner)
{
}

std::vector<std::shared_ptr<PSSpecifier>> PSListItemsController::specifiers()
{
    if (!specifiers_) {
        std::vector<std::shared_ptr<PSSpecifier>> items{PSSpecifier::emptyGroupSpecifier()};
        const auto& titles = listSpecifier_->titles();
        const auto& values = listSpecifier_->values();
        for (std::size_t index = 0; index < titles.size(); ++index) {
            auto item = PSSpecifier::preferenceSpecifierNamed(titles[index], this, PSCellType::ListItem);
            item->setPropertyForKey(values[index], PSSpecifier::kValue);
            items.push_back(std::move(item));
        }
        specifiers_ = std::move(items);
    }
    return *specifiers_;
}

std::shared_ptr<PSTableCell> PSListItemsController::cellForSpecifier(UITableView& table,
                                                                     const std::shared_ptr<PSSpecifier>& specifier)
{
    auto cell = PSListController::cellForSpecifier(table, specifier);
    const id chosen = owner_.readPreferenceValue(*listSpecifier_);
    cell->setChecked(::isEqual(specifier->propertyForKey(PSSpecifier::kValue), chosen));
    return cell;
}

void PSListItemsController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const auto item = specifierAtIndexPath(path);
    if (!item) {
        return;
    }
    owner_.setPreferenceValue(item->propertyForKey(PSSpecifier::kValue), *listSpecifier_);
    table.reloadData();
}
