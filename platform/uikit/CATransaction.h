#pragma once

#include <cstddef>
#include <functional>

class UIView;

// The committed state of the view trees. Changes to the trees (a subview added or removed, a view hidden
// or shown) are noted as they are made; they count as committed at the end of the main run loop's current
// pass (a flush is queued there when the first change is noted), and whenever the screen is rendered.
// A transition added to a layer pictures the layer as of the last commit: withCommittedTree undoes the
// changes noted since, runs the block, and makes them again. Other changes (frames, colours, text) are not
// noted and show in both pictures. Main thread only.
class CATransaction {
public:
    static void flush();
    static void withCommittedTree(const std::function<void()>& block);
    static std::size_t pendingChangeCount();

    // Notes made by UIView.
    static void noteInsertion(UIView* parent, UIView* child, std::size_t index);
    static void noteRemoval(UIView* parent, UIView* child, std::size_t index);
    static void noteHiddenChange(UIView* view, bool wasHidden, bool isHidden);
};
