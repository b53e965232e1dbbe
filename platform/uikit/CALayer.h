#pragma once

#include "CAAnimation.h"
#include "CABasicAnimation.h"
#include "CATransition.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class UIView;

// The animated side of a view: every view has one layer, which holds the animations running on it under
// their keys. Adding an animation under a key that is in use replaces the old one (which stops,
// unfinished); an empty key gets a key of its own. Property animations ("position", "bounds",
// "transform", "opacity") change what the renderer shows of the view while they run; a transition changes
// how the view's content is drawn. When an animation ends, its delegate is told, and it is removed unless
// it asked to stay. Main thread only.
class CALayer {
public:
    explicit CALayer(UIView* view);
    ~CALayer();
    CALayer(const CALayer&) = delete;
    CALayer& operator=(const CALayer&) = delete;

    // The view whose content this layer holds (not retained).
    UIView* delegate() const { return view_; }

    void addAnimationForKey(const std::shared_ptr<CAAnimation>& animation, const std::string& key);
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    std::shared_ptr<CAAnimation> animationForKey(const std::string& key) const;
    std::vector<std::string> animationKeys() const;

    // The value that a running property animation shows for the key path now, if any.
    std::optional<CAAnimationValue> presentationValue(const std::string& keyPath, double now) const;
    // The transition that shows now, with its progress, if any (the most recently added one).
    std::shared_ptr<CATransition> activeTransition(double now, double* progress) const;

    // For the animation scheduler: the earliest end of an animation whose stop is not reported yet, and
    // the ending of every animation that has ended by `now` (removal as asked, delegates told afterwards by
    // the caller through the returned list).
    std::optional<double> nextEndTime() const;
    std::vector<std::shared_ptr<CAAnimation>> finishAnimationsEndedBy(double now);

private:
    void stopLater(const std::shared_ptr<CAAnimation>& animation);

    UIView* view_;
    std::vector<std::pair<std::string, std::shared_ptr<CAAnimation>>> animations_;
    unsigned nextKey_ = 0;
};
