#pragma once

#include "UIButton.h"
#include "UITableViewCell.h"

#include <memory>
#include <string>

// The last row while older entries are not loaded: a blue "Show Older" button, kept centred in the row.
class VTShowMoreCell final : public UITableViewCell {
public:
    VTShowMoreCell(UITableViewCellStyle style, std::string reuseIdentifier);

    const std::shared_ptr<UIButton>& button() const { return button_; }

    void setFrame(CGRect frame) override;
    std::string className() const override { return "VTShowMoreCell"; }

private:
    std::shared_ptr<UIButton> button_;
};
