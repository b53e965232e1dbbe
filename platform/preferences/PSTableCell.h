#pragma once

#include "PSSpecifier.h"
#include "UITableViewCell.h"

#include <memory>
#include <string>

// The row the framework shows for a specifier: its label at the left in bold and, for a choice list or a
// title-value row, the current value's title at the right; a disclosure chevron on rows that open a page, a
// blue label on buttons, a checkmark on the chosen item of a choice page, and the specifier's image
// ("iconImage") when it has one. Subclasses add the controls of switch and text rows.
class PSTableCell : public UITableViewCell {
public:
    PSTableCell(PSCellType cellType, std::string reuseIdentifier);

    // The reuse identifier of a cell type's rows.
    static std::string reuseIdentifierForCellType(PSCellType cellType);

    PSCellType cellType() const { return cellType_; }
    // Shows the specifier with its current value (null: none stored and no default).
    virtual void refreshCellContentsWithSpecifier(const PSSpecifier& specifier, const id& value);
    void setChecked(bool checked);
    bool isChecked() const { return accessoryType() == UITableViewCellAccessoryType::Checkmark; }

    std::string className() const override { return "PSTableCell"; }

private:
    const PSCellType cellType_;
};
