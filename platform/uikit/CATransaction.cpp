#include "CATransaction.h"

#include "NSRunLoop.h"
#include "UIView.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Change {
    enum class Kind { Insertion, Removal, Hidden };
    Kind kind;
    std::weak_ptr<UIView> parent;  // the view itself for a hidden change
    std::weak_ptr<UIView> child;
    std::size_t index = 0;
    bool wasHidden = false;
    bool isHidden = false;
};

std::vector<Change>& changes()
{
    static std::vector<Change> noted;
    return noted;
}

bool replaying = false;

void note(Change change)
{
    if (replaying || change.parent.expired()) {
        return;  // a view still under construction has no committed state to return to
    }
    if (changes().empty()) {
        NSRunLoop::mainRunLoop().performBlock([] { CATransaction::flush(); });
    }
    changes().push_back(std::move(change));
}

} // namespace

// Access to the views' private lists for undoing and redoing; only this file uses it.
class CATransactionReplay {
public:
    static void insert(UIView& parent, const std::shared_ptr<UIView>& child, std::size_t index)
    {
        auto& list = parent.subviews_;
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(index, list.size())), child);
        child->superview_ = &parent;
    }
    static void remove(UIView& parent, UIView& child)
    {
        auto& list = parent.subviews_;
        auto found = std::find_if(list.begin(), list.end(), [&child](const auto& v) { return v.get() == &child; });
        if (found != list.end()) {
            list.erase(found);
            child.superview_ = nullptr;
        }
    }
    static void setHidden(UIView& view, bool hidden) { view.hidden_ = hidden; }

    static void undo(const Change& change)
    {
        auto parent = change.parent.lock();
        auto child = change.child.lock();
        if (change.kind == Change::Kind::Hidden) {
            if (parent) {
                setHidden(*parent, change.wasHidden);
            }
            return;
        }
        if (!parent || !child) {
            return;
        }
        if (change.kind == Change::Kind::Insertion) {
            remove(*parent, *child);
        } else {
            insert(*parent, child, change.index);
        }
    }

    static void redo(const Change& change)
    {
        auto parent = change.parent.lock();
        auto child = change.child.lock();
        if (change.kind == Change::Kind::Hidden) {
            if (parent) {
                setHidden(*parent, change.isHidden);
            }
            return;
        }
        if (!parent || !child) {
            return;
        }
        if (change.kind == Change::Kind::Insertion) {
            insert(*parent, child, change.index);
        } else {
            remove(*parent, *child);
        }
    }
};

void CATransaction::flush() { changes().clear(); }

std::size_t CATransaction::pendingChangeCount() { return changes().size(); }

void CATransaction::withCommittedTree(const std::function<void()>& block)
{
    const std::vector<Change> noted = changes();
    // Undoing an insertion drops the tree's reference to the view; these keep every view alive until the
    // changes are made again.
    std::vector<std::shared_ptr<UIView>> kept;
    for (const Change& change : noted) {
        kept.push_back(change.parent.lock());
        kept.push_back(change.child.lock());
    }
    replaying = true;
    for (auto it = noted.rbegin(); it != noted.rend(); ++it) {
        CATransactionReplay::undo(*it);
    }
    block();
    for (const Change& change : noted) {
        CATransactionReplay::redo(change);
    }
    replaying = false;
}

void CATransaction::noteInsertion(UIView* parent, UIView* child, std::size_t index)
{
    note({Change::Kind::Insertion, parent->weak_from_this(), child->weak_from_this(), index});
}

void CATransaction::noteRemoval(UIView* parent, UIView* child, std::size_t index)
{
    note({Change::Kind::Removal, parent->weak_from_this(), child->weak_from_this(), index});
}

void CATransaction::noteHiddenChange(UIView* view, bool wasHidden, bool isHidden)
{
    note({Change::Kind::Hidden, view->weak_from_this(), {}, 0, wasHidden, isHidden});
}
