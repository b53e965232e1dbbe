#include "SBObject.h"

#include "ObjCClass.h"
#include "SBClasses.h"

const ObjCClass& SBObject::runtimeClass() const
{
    return SBClasses::classNamed(className());
}
