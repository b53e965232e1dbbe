#pragma once

#include "UIView.h"

// The grey chevron at the right of a cell that leads to another page; white while the cell is selected.
class UITableViewCellDisclosureIndicator final : public UIView {
public:
    UITableViewCellDisclosureIndicator();

    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "UITableViewCellDisclosureIndicator"; }

private:
    bool highlighted_ = false;
};
