#include "UITableViewUpdateAnimation.h"

#include "UITableViewCell.h"
#include "UIView.h"

UITableViewUpdateAnimation::UITableViewUpdateAnimation(UITableViewRowAnimation animation, CGFloat tableWidth)
    : animation_(animation),
      tableWidth_(tableWidth),
      animated_(animation != UITableViewRowAnimation::None && UIView::areAnimationsEnabled())
{
}

void UITableViewUpdateAnimation::noteShownCell(const UITableViewCell& cell)
{
    framesBefore_[&cell] = cell.frame();
}

void UITableViewUpdateAnimation::addLeavingCell(std::shared_ptr<UITableViewCell> cell)
{
    leaving_.push_back(std::move(cell));
}

bool UITableViewUpdateAnimation::fades() const
{
    return animation_ != UITableViewRowAnimation::Left && animation_ != UITableViewRowAnimation::Right;
}

// Where a row comes in from, or goes out to: beside the table for the sideways kinds, a row's height above
// or below for Top and Bottom, and in place for the fading ones.
CGRect UITableViewUpdateAnimation::offstageFrame(CGRect frame) const
{
    switch (animation_) {
    case UITableViewRowAnimation::Right:
        frame.origin.x += tableWidth_;
        break;
    case UITableViewRowAnimation::Left:
        frame.origin.x -= tableWidth_;
        break;
    case UITableViewRowAnimation::Top:
        frame.origin.y -= frame.size.height;
        break;
    case UITableViewRowAnimation::Bottom:
        frame.origin.y += frame.size.height;
        break;
    default:
        break;
    }
    return frame;
}

void UITableViewUpdateAnimation::run(const std::vector<std::shared_ptr<UITableViewCell>>& shownCells,
                                     const std::shared_ptr<UIView>& table, Recycle recycle)
{
    // The starting state, set without animation: where each cell was, or off stage for new rows.
    std::vector<std::pair<UITableViewCell*, CGRect>> destinations;
    for (const auto& cell : shownCells) {
        const CGRect destination = cell->frame();
        const auto before = framesBefore_.find(cell.get());
        if (before != framesBefore_.end()) {
            if (before->second == destination) {
                continue;
            }
            cell->setFrame(before->second);
        } else {
            cell->setFrame(offstageFrame(destination));
            if (fades()) {
                cell->setAlpha(0);
            }
        }
        destinations.emplace_back(cell.get(), destination);
    }
    if (destinations.empty() && leaving_.empty()) {
        return;
    }

    UIView::beginAnimationsContext("UITableViewUpdate", nullptr);
    UIView::setAnimationDuration(duration);
    UIView::setAnimationDelegate(table.get());
    // The table keeps its leaving cells (they are still its subviews); the callback only refers to them,
    // so that a motion that never ends holds no views.
    std::vector<std::weak_ptr<UITableViewCell>> leaving(leaving_.begin(), leaving_.end());
    UIView::setAnimationDidStopSelector([leaving = std::move(leaving), weakTable = std::weak_ptr<UIView>(table),
                                         recycle = std::move(recycle)](const std::string&, bool, void*) {
        if (weakTable.expired()) {
            return;
        }
        for (const auto& weakCell : leaving) {
            if (const auto cell = weakCell.lock()) {
                cell->setAlpha(1);
                recycle(cell);
            }
        }
    });
    for (const auto& [cell, destination] : destinations) {
        cell->setFrame(destination);
        cell->setAlpha(1);
    }
    for (const auto& cell : leaving_) {
        cell->setFrame(offstageFrame(cell->frame()));
        if (fades()) {
            cell->setAlpha(0);
        }
    }
    UIView::commitAnimations();
}
