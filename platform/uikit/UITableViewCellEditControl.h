#pragma once

#include "UIControl.h"
#include "UITableViewConstants.h"

// The control at the left of a cell in editing mode: a red disc with a white bar for a deletable row (the
// bar stands upright while the row's delete confirmation shows), a green disc with a white cross for a row
// that inserts. Tapping it reports touch up inside to the cell.
class UITableViewCellEditControl final : public UIControl {
public:
    UITableViewCellEditControl();

    UITableViewCellEditingStyle editingStyle() const { return style_; }
    void setEditingStyle(UITableViewCellEditingStyle style);
    bool isRotated() const { return rotated_; }
    void setRotated(bool rotated);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "UITableViewCellEditControl"; }

    static constexpr CGFloat width = 32;

private:
    UITableViewCellEditingStyle style_ = UITableViewCellEditingStyle::Delete;
    bool rotated_ = false;
};
