#pragma once

class CAAnimation;

// Told when an animation added to a layer starts and stops. finished is false when the animation was
// removed or replaced before its end. Calls arrive on the main run loop, never from inside the call that
// added or removed the animation.
class CAAnimationDelegate {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(CAAnimation&) {}
    virtual void animationDidStopFinished(CAAnimation& animation, bool finished) = 0;
};
