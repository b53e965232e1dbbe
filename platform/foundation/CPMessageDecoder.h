#pragma once

#include "NSDictionary.h"
#include "Result.h"

#include <cstddef>
#include <memory>
#include <string_view>

// Turns a message as it arrives from another process (a message name and the user information in the XML
// property-list form) into a dictionary the server may hand to its handler, or into the reason it is
// refused. It is the whole of the server's trust boundary for content, and pure (no I/O, no state), so it
// is fuzzed on its own. Refused: an empty or over-long message name, text that is not valid UTF-8, input
// over the size cap, the binary form, nesting over the depth cap, more objects than the object cap, and
// anything whose top level is not a dictionary. The caps are far tighter than those for the system's own
// files: a record is a flat dictionary of a few hundred bytes.
class CPMessageDecoder {
public:
    struct Limits {
        std::size_t maxNameBytes = 256;
        std::size_t maxBytes = 64 * 1024;
        std::size_t maxDepth = 8;
        std::size_t maxObjects = 4096;
    };

    static Result<std::shared_ptr<NSDictionary>> decode(std::string_view messageName, std::string_view userInfoXML,
                                                        const Limits& limits);
    static Result<std::shared_ptr<NSDictionary>> decode(std::string_view messageName, std::string_view userInfoXML)
    {
        return decode(messageName, userInfoXML, Limits{});
    }
};
