#include "Vantle.h"

#include "VTWindowLink.h"

bool vantleRunning()
{
    return VTWindowLink::isSharedWindowShown();
}

extern "C" void VantleInitialize() {}
