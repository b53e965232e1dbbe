#include "CPMessagingError.h"

std::string CPMessagingError::description() const
{
    switch (kind_) {
    case Kind::NoServer:
        return "no server listens: " + reason_;
    case Kind::Refused:
        return "refused: " + reason_;
    case Kind::Failed:
        break;
    }
    return "failed: " + reason_;
}
