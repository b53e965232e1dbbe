#include "VTLogSnapshot.h"

#include "NSArray.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "PLWriter.h"
#include "TextSanitizer.h"
#include "VTEncodedLog.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

VTLogSnapshot VTLogSnapshot::read(bool withOldNotifications)
{
    VTLogSnapshot snapshot;
    snapshot.new_ = readFile(PLWriter::kNewNotificationsPath);
    if (withOldNotifications) {
        snapshot.old_ = readFile(PLWriter::kOldNotificationsPath);
    }
    return snapshot;
}

VTLogSnapshot::File VTLogSnapshot::readFile(const char* path)
{
    auto contents = NSFileManager::defaultManager().contentsAtPath(path);
    if (contents) {
        return File{true, std::move(contents).value()};
    }
    const int code = contents.error().code();
    return File{code != ENOENT && code != ENOTDIR, std::nullopt};
}

void VTLogSnapshot::appendRecords(const File& file, Records& records)
{
    if (!file.bytes) {
        return;
    }
    const auto value = NSPropertyListSerialization::propertyListWithData(std::string_view(*file.bytes));
    const auto list = value ? as<NSArray>(value.value()) : nullptr;
    if (!list) {
        return;
    }
    for (const auto& element : list->objects()) {
        if (auto record = as<NSDictionary>(element)) {
            records.push_back(std::move(record));
        }
    }
}

VTLogSnapshot::Records VTLogSnapshot::records(unsigned& newRecords) const
{
    Records records;
    appendRecords(new_, records);
    newRecords = static_cast<unsigned>(records.size());
    appendRecords(old_, records);
    return records;
}

std::optional<VTLogSnapshot::Outline> VTLogSnapshot::outline() const
{
    Outline outline;
    for (const File* file : {&new_, &old_}) {
        if (!file->exists) {
            continue;
        }
        const auto elements = file->bytes ? VTEncodedLog::elementsOf(*file->bytes) : std::nullopt;
        if (!elements) {
            return std::nullopt;
        }
        for (const auto element : *elements) {
            if (VTEncodedLog::isDictionaryElement(element)) {
                outline.elements_.push_back(element);
            }
        }
        if (file == &new_) {
            outline.newRecords_ = static_cast<unsigned>(outline.elements_.size());
        }
    }
    return outline;
}

std::shared_ptr<NSDictionary> VTLogSnapshot::Outline::recordAt(std::size_t position) const
{
    const auto value = NSPropertyListSerialization::propertyListWithData(elements_.at(position));
    return value ? as<NSDictionary>(value.value()) : nullptr;
}

std::optional<std::string> VTLogSnapshot::Outline::unescaped(std::string_view raw)
{
    std::string text;
    text.reserve(raw.size());
    while (!raw.empty()) {
        const auto amp = raw.find('&');
        text.append(raw.substr(0, amp));
        if (amp == std::string_view::npos) {
            break;
        }
        raw.remove_prefix(amp);
        const auto semicolon = raw.find(';');
        if (semicolon == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view entity = raw.substr(1, semicolon - 1);
        raw.remove_prefix(semicolon + 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        bool named = false;
        for (const auto& [name, character] : kNamed) {
            if (entity == name) {
                text += character;
                named = true;
            }
        }
        if (named) {
            continue;
        }
        if (entity.size() < 2 || entity[0] != '#') {
            return std::nullopt;
        }
        const bool hex = entity[1] == 'x';
        const std::string digits(entity.substr(hex ? 2 : 1));
        char* end = nullptr;
        const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (digits.empty() || *end != '\0' || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        TextSanitizer::appendUTF8(text, static_cast<std::uint32_t>(code));
    }
    return text;
}

VTLogSnapshot::Outline::LaidOutName VTLogSnapshot::Outline::applicationAt(std::size_t position) const
{
    static constexpr std::string_view kKey = "\n\t\t<key>Application</key>\n\t\t";
    static constexpr std::string_view kOpen = "<string>";
    static constexpr std::string_view kClose = "</string>\n";
    const std::string_view element = elements_.at(position);
    const auto key = element.find(kKey);
    if (key == std::string_view::npos) {
        return {true, std::nullopt}; // no "Application"
    }
    std::string_view value = element.substr(key + kKey.size());
    if (value.starts_with("<string/>")) {
        return {true, std::string_view()};
    }
    if (!value.starts_with(kOpen)) {
        // A value of another kind, unless the key has none: then the layout is not the writer's.
        return {!value.starts_with("<key>") && !value.starts_with("</dict>"), std::nullopt};
    }
    value.remove_prefix(kOpen.size());
    const auto close = value.find('<');
    if (close == std::string_view::npos || value.substr(close, kClose.size()) != kClose) {
        return {}; // CDATA, a comment or another writer's layout
    }
    return {true, value.substr(0, close)};
}
