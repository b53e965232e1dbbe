#include "UIResponder.h"

void UIResponder::touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event)
{
    if (UIResponder* next = nextResponder()) {
        next->touchesBeganWithEvent(touches, event);
    }
}

void UIResponder::touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event)
{
    if (UIResponder* next = nextResponder()) {
        next->touchesMovedWithEvent(touches, event);
    }
}

void UIResponder::touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event)
{
    if (UIResponder* next = nextResponder()) {
        next->touchesEndedWithEvent(touches, event);
    }
}

void UIResponder::touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event)
{
    if (UIResponder* next = nextResponder()) {
        next->touchesCancelledWithEvent(touches, event);
    }
}
