#include "NSIndexPath.h"

std::string NSIndexPath::description() const
{
    return "<NSIndexPath " + std::to_string(section_) + "-" + std::to_string(row_) + ">";
}
