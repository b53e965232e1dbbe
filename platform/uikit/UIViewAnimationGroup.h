#pragma once

#include "CAAnimationDelegate.h"
#include "CABasicAnimation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIView;

enum UIViewAnimationCurve {
    UIViewAnimationCurveEaseInOut = 0,
    UIViewAnimationCurveEaseIn = 1,
    UIViewAnimationCurveEaseOut = 2,
    UIViewAnimationCurveLinear = 3,
};

// One named animation block of views (beginAnimations … commitAnimations): its settings, the property
// changes made inside it, and, once committed, the layer animations it started. It tells its did-stop
// callback when the last of them has stopped (finished only if all of them finished), on the main run loop.
// A committed block that changed nothing reports at once (on the next run of the main loop).
class UIViewAnimationGroup final : public CAAnimationDelegate, public std::enable_shared_from_this<UIViewAnimationGroup> {
public:
    using DidStop = std::function<void(const std::string& animationID, bool finished, void* context)>;

    // The block's defaults: 0.2 seconds, ease in and out, no delay.
    static constexpr double kDefaultDuration = 0.2;

    static void begin(std::string animationID, void* context);
    static void commit();
    // The innermost open block, or null outside one (or while animations are disabled).
    static UIViewAnimationGroup* recording();
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();

    void setDuration(double seconds) { duration_ = seconds; }
    void setDelay(double seconds) { delay_ = seconds; }
    void setCurve(UIViewAnimationCurve curve) { curve_ = curve; }
    void setDelegate(const void* delegate) { delegate_ = delegate; }
    void setDidStop(DidStop didStop) { didStop_ = std::move(didStop); }

    // A property of a view changes inside the block: from what is shown now to the new model value.
    void noteChange(UIView& view, const std::string& keyPath, const CAAnimationValue& from, const CAAnimationValue& to);

    void animationDidStopFinished(CAAnimation& animation, bool finished) override;

private:
    struct Change {
        std::weak_ptr<UIView> view;
        std::string keyPath;
        CAAnimationValue from;
        CAAnimationValue to;
    };

    void start();
    void report(bool finished);

    std::string animationID_;
    void* context_ = nullptr;
    double duration_ = kDefaultDuration;
    double delay_ = 0;
    UIViewAnimationCurve curve_ = UIViewAnimationCurveEaseInOut;
    const void* delegate_ = nullptr;
    DidStop didStop_;
    std::vector<Change> changes_;
    int running_ = 0;
    bool allFinished_ = true;
};
