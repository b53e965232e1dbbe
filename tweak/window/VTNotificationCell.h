#pragma once

#include "UILabel.h"
#include "UITableViewCell.h"

#include <memory>
#include <string>

// An entry row: on white, the entry's relative date in small bold type (blue while the entry is new, grey
// once read: the only mark of a new entry) above its text, wrapped to the cell's width less 38 points, with
// a light line along the bottom. A selected entry is never drawn highlighted.
class VTNotificationCell final : public UITableViewCell {
public:
    static constexpr double kTextLeft = 15;
    static constexpr double kTextTop = 20;
    static constexpr double kTextInset = 38;
    // The row is the text's measured height plus 26 (the list manager's entry height); the text label gets
    // that whole measured height below kTextTop, so a wrapped text keeps every line. (Two points less, as
    // once laid out, left the label shorter than its text and the last line was dropped.)
    static constexpr double kTextBottomMargin = 6;

    VTNotificationCell(UITableViewCellStyle style, std::string reuseIdentifier);

    bool isNewNotification() const { return newNotification_; }
    void setNewNotification(bool isNew);
    const std::shared_ptr<UILabel>& date() const { return date_; }
    const std::shared_ptr<UILabel>& notification() const { return notification_; }
    UIView& separator() const { return *separator_; }
    double textWidth() const { return textWidth_; }

    void setFrame(CGRect frame) override;
    void setSelectedAnimated(bool selected, bool animated) override;

    std::string className() const override { return "VTNotificationCell"; }

private:
    std::shared_ptr<UIView> notificationView_;
    std::shared_ptr<UILabel> date_;
    std::shared_ptr<UILabel> notification_;
    std::shared_ptr<UIView> separator_;
    bool newNotification_ = false;
    double textWidth_ = 0;
};
