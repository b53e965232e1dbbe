#include "DesktopNotificationAlert.h"

void DesktopNotificationAlert::didClickButton(int button)
{
    if (const ClickHandler handler = clicked_) { // a copy: the handler may clear itself
        handler(button);
    }
}
