#include "WindowScreen.h"

#include "UIHostScreen.h"
#include "UIImage.h"

std::shared_ptr<UIImage> WindowScreen::picture() const { return screen_.uprightImage(); }

int WindowScreen::beginTouch(CGPoint point)
{
    return screen_.touches().beginTouch(screen_.screenPointForUprightPoint(point));
}

void WindowScreen::moveTouch(int touch, CGPoint point)
{
    screen_.touches().moveTouch(touch, screen_.screenPointForUprightPoint(point));
}

void WindowScreen::endTouch(int touch, CGPoint point)
{
    screen_.touches().endTouch(touch, screen_.screenPointForUprightPoint(point));
}
