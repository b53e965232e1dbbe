#pragma once

#include "NSObject.h"
#include "UIEvent.h"
#include "UITouch.h"

// Something that handles touches. A handler it does not override passes the touches on to the next
// responder (a view's superview), so a container receives the touches its plain subviews do not handle.
class UIResponder : public NSObject {
public:
    virtual UIResponder* nextResponder() const { return nullptr; }

    virtual void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event);
    virtual void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event);
    virtual void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event);
    virtual void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event);

    std::string className() const override { return "UIResponder"; }
};
