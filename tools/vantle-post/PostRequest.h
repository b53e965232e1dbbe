#pragma once

#include "NSDictionary.h"
#include "Result.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What vantle-post was asked to send, checked and turned into the record a plug-in would send: a
// dictionary with "Application", "Body", "Date" (now, unless given), the optional "Bundle Identifier" and
// the extra string keys of `--set KEY=VALUE`.
class PostRequest {
public:
    std::string application;
    std::string body;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> date; // ISO 8601
    std::vector<std::string> assignments; // "KEY=VALUE"

    // The record, or why the arguments cannot make one (naming the argument at fault).
    Result<std::shared_ptr<NSDictionary>> record() const;
};
