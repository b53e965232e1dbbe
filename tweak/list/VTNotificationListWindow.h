#pragma once

#include <memory>

class UITableView;
class VTController;

// What a list manager asks of the panel that shows it: the table, the controller that launches
// applications, the width its rows wrap to, and the four reports of a finished sort. The panel (VTWindow)
// implements it; tests use a recording stand-in. Main thread only; the panel outlives the list manager it
// shows, which does not retain it.
class VTNotificationListWindow {
public:
    virtual ~VTNotificationListWindow() = default;

    // Reloads the whole table.
    virtual void reloadContent() = 0;
    // Stops the loading indicator.
    virtual void finishedSorting() = 0;
    // The number shown in the count line.
    virtual void setCount(unsigned count) = 0;
    // Shows the empty state when true, hides it when false.
    virtual void setNoNotifications(bool noNotifications) = 0;
    // The table whose reuse queue gives the cells.
    virtual std::shared_ptr<UITableView> content() const = 0;
    // The window controller; null only before the controller has set itself.
    virtual VTController* controller() const = 0;
    // The width of the panel's frame, which an entry's text wraps to (less its margins).
    virtual double listWidth() const = 0;
};
