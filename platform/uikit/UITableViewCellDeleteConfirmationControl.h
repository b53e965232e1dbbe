#pragma once

#include "UIButton.h"

#include <string>

// The red button that a cell shows at its right edge while it asks whether to delete the row. Its title
// comes from the table's delegate ("Delete" unless the delegate says otherwise); its width follows it.
class UITableViewCellDeleteConfirmationControl final : public UIButton {
public:
    explicit UITableViewCellDeleteConfirmationControl(std::string title);

    void setTitle(std::string title);
    const std::string& title() const { return title_; }
    // The width the title needs: its text plus a margin on both sides, at least 64 points.
    CGFloat preferredWidth() const;

    void drawRect(CGRect rect) override;
    std::string className() const override { return "UITableViewCellDeleteConfirmationControl"; }

    static constexpr CGFloat height = 30;

private:
    std::string title_;
};
