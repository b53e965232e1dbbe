#pragma once

#include "CGContext.h"
#include "UIView.h"

// The standard accessories at the right of a cell: the grey chevron of a row that leads to another page, or
// the blue-grey checkmark of a chosen row; either is white while the cell is selected.
class UITableViewCellDisclosureIndicator final : public UIView {
public:
    enum class Kind { Chevron, Checkmark };

    explicit UITableViewCellDisclosureIndicator(Kind kind = Kind::Chevron);

    Kind kind() const { return kind_; }

    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "UITableViewCellDisclosureIndicator"; }

private:
    void drawChevron(CGContext& context) const;
    void drawCheckmark(CGContext& context) const;

    const Kind kind_;
    bool highlighted_ = false;
};
