#include "MessagingChannel.h"

#include "CPMessageDecoder.h"

std::optional<CPMessagingError> MessagingChannel::decodeAndAccept(const Acceptor& acceptor,
                                                                  const std::string& messageName,
                                                                  const std::string& userInfoXML)
{
    auto decoded = CPMessageDecoder::decode(messageName, userInfoXML);
    if (!decoded) {
        return CPMessagingError(CPMessagingError::Kind::Refused, decoded.error().reason());
    }
    if (auto refusal = acceptor(messageName, decoded.value())) {
        return CPMessagingError(CPMessagingError::Kind::Refused, *refusal);
    }
    return std::nullopt;
}
