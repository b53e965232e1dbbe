#include "GestureSelection.h"

#include "PSControllerRegistry.h"

PS_REGISTER_CONTROLLER_CLASS(GestureSelection);

GestureSelection::GestureSelection(LAActivator& activator)
    : LAListenerSettingsViewController(activator)
{
    setTitle("Select Gestures");
    setListenerName(kListenerName);
}
