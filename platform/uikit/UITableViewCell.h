#pragma once

#include "UIImageView.h"
#include "UILabel.h"
#include "UITableViewCellBackgroundView.h"
#include "UITableViewConstants.h"
#include "UIView.h"

#include <memory>
#include <string>

class UITableView;
class UITableViewCellDeleteConfirmationControl;
class UITableViewCellDisclosureIndicator;
class UITableViewCellEditControl;

// One row of a table: a content view holding the standard image and labels (in the cell's style), an
// optional accessory at the right, and backgrounds behind them. Cells are made by the data source with a
// reuse identifier and recycled by the table through its reuse queue.
//
// Styles: Default shows the image and one bold 20-point line; Value1 a bold 17-point title at the left and
// a blue-grey 17-point detail at the right; Subtitle a bold 18-point title over a grey 14-point detail (as
// many lines as the detail label allows). Standard contents sit 10 points from the edges of the content
// view, the image first and the text after it.
//
// In a plain table the cell is white with a 1-point separator at its bottom in the table's separator colour;
// in a grouped table it is a piece of its section's rounded card, inset 10 points at both sides. Selected
// (with a selection style other than None) it shows its selected background and draws its labels, image
// and disclosure indicator highlighted.
//
// Editing states come from the table through willTransitionToState: with the edit control bit the content
// moves right to make room for the edit control; with the delete confirmation bit the accessory gives way
// to the confirmation button. Subclasses that override willTransitionToState call the base first.
class UITableViewCell : public UIView {
public:
    // Made 320 × 44, the platform's default cell size; the table gives it its real frame.
    UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier);
    static std::shared_ptr<UITableViewCell> initWithStyleReuseIdentifier(UITableViewCellStyle style,
                                                                         std::string reuseIdentifier);
    ~UITableViewCell() override;

    UITableViewCellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }

    // The standard contents. detailTextLabel is null in the default style. Subclasses may answer labels of
    // their own; the cell's layout only ever places its own.
    UIView* contentView() const { return contentView_.get(); }
    virtual UILabel* textLabel() const { return textLabel_.get(); }
    virtual UILabel* detailTextLabel() const { return detailTextLabel_.get(); }
    virtual UIImageView* imageView() const { return imageView_.get(); }

    // Backgrounds: null means the table's standard one. The background view is kept at the back of the
    // cell, the selected background just above it (shown only while selected).
    const std::shared_ptr<UIView>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<UIView> view);
    const std::shared_ptr<UIView>& selectedBackgroundView() const { return selectedBackgroundView_; }
    void setSelectedBackgroundView(std::shared_ptr<UIView> view);

    UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(UITableViewCellAccessoryType type);
    // A view of the caller's in place of the accessory type, at its own size, centred vertically at the
    // right edge.
    const std::shared_ptr<UIView>& accessoryView() const { return accessoryView_; }
    void setAccessoryView(std::shared_ptr<UIView> view);

    UITableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(UITableViewCellSelectionStyle style);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // The table calls this when the row is selected or deselected. Selection shows at once; an animated
    // deselection fades the selected background out over deselectionDuration.
    virtual void setSelectedAnimated(bool selected, bool animated);

    // The editing state bits the cell shows now.
    unsigned state() const { return state_; }
    bool isEditing() const { return (state_ & UITableViewCellStateShowingEditControlMask) != 0; }
    bool showingDeleteConfirmation() const { return (state_ & UITableViewCellStateShowingDeleteConfirmationMask) != 0; }
    virtual void willTransitionToState(unsigned state);
    virtual void didTransitionToState(unsigned state);

    // Called when the table hands the cell out again: clears the selection and the editing state (not the
    // contents, which the data source sets anew).
    virtual void prepareForReuse();

    void layoutSubviews() override;

    // The parts the cell shows now (null when absent), for tests and for the table.
    UITableViewCellEditControl* editControl() const { return editControl_.get(); }
    UITableViewCellDeleteConfirmationControl* deleteConfirmationControl() const { return deleteButton_.get(); }
    UIView* currentAccessoryView() const;
    UIView* separatorView() const { return separator_.get(); }

    std::string className() const override { return "UITableViewCell"; }

    // Where the standard contents begin and how far the grouped card is inset from the cell's sides.
    static constexpr CGFloat contentMargin = 10;
    // How long an animated deselection fades the selected background.
    static constexpr double deselectionDuration = 0.3;
    static constexpr CGFloat groupedInset = 10;

private:
    friend class UITableView;

    // What the table tells a cell before showing it.
    struct TableContext {
        bool grouped = false;
        UITableViewCellBackgroundView::SectionLocation location = UITableViewCellBackgroundView::SectionLocation::Alone;
        std::shared_ptr<UIColor> separatorColor;
        UITableViewCellEditingStyle editingStyle = UITableViewCellEditingStyle::Delete;
        std::string deleteTitle = "Delete";
        friend bool operator==(const TableContext&, const TableContext&) = default;
    };
    void applyTableContext(const TableContext& context);
    // Wiring of the edit control and the confirmation button to the table that shows the cell.
    void editControlTapped();
    void deleteConfirmationTapped();
    UITableView* tableView() const;

    void setUpContents();
    void showSelection();
    void fadeOutSelection();
    UIView& shownSelectedBackground() const;
    void installBackgrounds();
    UITableViewCellBackgroundView::Fill selectionFill() const;
    void layoutStandardContents(CGRect area);
    void layoutValue1(CGFloat x, CGFloat width, CGFloat height);
    void layoutSubtitle(CGFloat x, CGFloat width, CGFloat height);
    void updateEditingParts();

    const UITableViewCellStyle style_;
    const std::string reuseIdentifier_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UILabel> textLabel_;
    std::shared_ptr<UILabel> detailTextLabel_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UIView> backgroundView_;
    std::shared_ptr<UIView> selectedBackgroundView_;
    std::shared_ptr<UITableViewCellBackgroundView> standardBackground_;
    std::shared_ptr<UITableViewCellBackgroundView> standardSelectedBackground_;
    std::shared_ptr<UIView> separator_;
    std::shared_ptr<UIView> accessoryView_;
    std::shared_ptr<UITableViewCellDisclosureIndicator> disclosure_;
    std::shared_ptr<UITableViewCellEditControl> editControl_;
    std::shared_ptr<UITableViewCellDeleteConfirmationControl> deleteButton_;
    UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryType::None;
    UITableViewCellSelectionStyle selectionStyle_ = UITableViewCellSelectionStyle::Blue;
    TableContext context_;
    bool selected_ = false;
    unsigned state_ = UITableViewCellStateDefaultMask;
};
