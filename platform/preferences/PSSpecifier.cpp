#include "PSSpecifier.h"

#include "NSNumber.h"
#include "NSString.h"

#include <map>

PSSpecifier::PSSpecifier(std::string name, PSCellType cellType, PSListController* target)
    : name_(std::move(name)), cellType_(cellType), target_(target)
{
}

std::shared_ptr<PSSpecifier> PSSpecifier::preferenceSpecifierNamed(std::string name, PSListController* target,
                                                                   PSCellType cellType)
{
    return std::make_shared<PSSpecifier>(std::move(name), cellType, target);
}

std::shared_ptr<PSSpecifier> PSSpecifier::groupSpecifierWithName(std::string name)
{
    return preferenceSpecifierNamed(std::move(name), nullptr, PSCellType::Group);
}

std::shared_ptr<PSSpecifier> PSSpecifier::emptyGroupSpecifier()
{
    return groupSpecifierWithName({});
}

std::optional<PSCellType> PSSpecifier::cellTypeNamed(const std::string& name)
{
    static const std::map<std::string, PSCellType> kTypes{
        {"PSGroupCell", PSCellType::Group},           {"PSLinkCell", PSCellType::Link},
        {"PSLinkListCell", PSCellType::LinkList},     {"PSListItemCell", PSCellType::ListItem},
        {"PSTitleValueCell", PSCellType::TitleValue}, {"PSSwitchCell", PSCellType::Switch},
        {"PSStaticTextCell", PSCellType::StaticText}, {"PSEditTextCell", PSCellType::EditText},
        {"PSButtonCell", PSCellType::Button},
    };
    const auto found = kTypes.find(name);
    return found == kTypes.end() ? std::nullopt : std::optional<PSCellType>(found->second);
}

std::string PSSpecifier::identifier() const
{
    return stringPropertyForKey(kIdentifier).value_or(name_);
}

id PSSpecifier::propertyForKey(const std::string& key) const
{
    const auto found = properties_.find(key);
    return found == properties_.end() ? nullptr : found->second;
}

std::optional<std::string> PSSpecifier::stringPropertyForKey(const std::string& key) const
{
    const auto string = as<NSString>(propertyForKey(key));
    return string ? std::optional<std::string>(string->string()) : std::nullopt;
}

bool PSSpecifier::boolPropertyForKey(const std::string& key) const
{
    const auto number = as<NSNumber>(propertyForKey(key));
    return number && number->boolValue();
}

void PSSpecifier::setPropertyForKey(id value, const std::string& key)
{
    if (value) {
        properties_.insert_or_assign(key, std::move(value));
    } else {
        properties_.erase(key);
    }
}

void PSSpecifier::removePropertyForKey(const std::string& key)
{
    properties_.erase(key);
}

void PSSpecifier::setValuesTitles(std::vector<id> values, std::vector<std::string> titles)
{
    values.resize(std::min(values.size(), titles.size()));
    titles.resize(values.size());
    values_ = std::move(values);
    titles_ = std::move(titles);
}

std::optional<std::string> PSSpecifier::titleForValue(const id& value) const
{
    for (std::size_t index = 0; index < values_.size(); ++index) {
        if (::isEqual(values_[index], value)) {
            return titles_[index];
        }
    }
    return std::nullopt;
}

bool PSSpecifier::isBoundToPreference() const
{
    return stringPropertyForKey(kKey).has_value() && stringPropertyForKey(kDefaults).has_value();
}
