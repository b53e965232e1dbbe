#pragma once

#include "CGGeometry.h"
#include "UITableViewConstants.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class UITableViewCell;
class UIView;

// The motion of one table update. Cells of rows that stay slide from where they were to where they now
// are; cells of new rows come in the way the animation names (fading in, or sliding in from a side); cells
// of removed rows go out the same way and are handed back for reuse only once they are out of sight.
// None moves nothing: the update shows its end state at once.
class UITableViewUpdateAnimation {
public:
    using Recycle = std::function<void(const std::shared_ptr<UITableViewCell>&)>;

    static constexpr double duration = 0.3;

    UITableViewUpdateAnimation(UITableViewRowAnimation animation, CGFloat tableWidth);

    // Whether the update moves at all (a named animation, with animations enabled).
    bool isAnimated() const { return animated_; }

    // Before the update: the cell is on screen at its current frame.
    void noteShownCell(const UITableViewCell& cell);
    // During the update: the cell's row went away; the cell stays on screen until it has left.
    void addLeavingCell(std::shared_ptr<UITableViewCell> cell);

    // After the update has been laid out: moves the cells now shown and the leaving ones; `recycle` takes
    // each leaving cell when the motion ends, unless the table is gone by then.
    void run(const std::vector<std::shared_ptr<UITableViewCell>>& shownCells, const std::shared_ptr<UIView>& table,
             Recycle recycle);

private:
    CGRect offstageFrame(CGRect frame) const;
    bool fades() const;

    const UITableViewRowAnimation animation_;
    const CGFloat tableWidth_;
    const bool animated_;
    std::map<const UITableViewCell*, CGRect> framesBefore_;
    std::vector<std::shared_ptr<UITableViewCell>> leaving_;
};
