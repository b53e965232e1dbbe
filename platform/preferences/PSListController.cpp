#include "PSListController.h"

#include "CFNotificationCenter.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PSControllerRegistry.h"
#include "PSEditableTableCell.h"
#include "PSListItemsController.h"
#include "PSPreferenceBundle.h"
#include "PSPreferenceFile.h"
#include "PSSpecifierFile.h"
#include "PSSwitchTableCell.h"
#include "UIScreen.h"

#include <charconv>
#include <cstdio>

namespace {

// The whole text as a decimal integer; none while it is not one (empty, or half typed as "-").
std::optional<std::int64_t> integerOf(const std::string& text)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end ? std::optional<std::int64_t>(value) : std::nullopt;
}

} // namespace

PSListController::PSListController(NSFileManager& files)
    : files_(files)
{
}

PSListController::~PSListController()
{
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

std::vector<std::shared_ptr<PSSpecifier>> PSListController::specifiers()
{
    if (!specifiers_) {
        specifiers_ = specifierFileName_.empty() ? std::vector<std::shared_ptr<PSSpecifier>>()
                                                 : loadSpecifiersFromPlistName(specifierFileName_, this);
    }
    return *specifiers_;
}

void PSListController::setSpecifiers(std::vector<std::shared_ptr<PSSpecifier>> specifiers)
{
    specifiers_ = std::move(specifiers);
    if (table_) {
        table_->reloadData();
    }
}

void PSListController::reloadSpecifiers()
{
    specifiers_.reset();
    if (table_) {
        table_->reloadData();
    }
}

std::shared_ptr<PSSpecifier> PSListController::specifierForID(const std::string& identifier)
{
    for (const auto& specifier : specifiers()) {
        if (specifier->identifier() == identifier) {
            return specifier;
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<PSSpecifier>> PSListController::loadSpecifiersFromPlistName(
    const std::string& name, PSListController* target)
{
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos) {
        std::fprintf(stderr, "Preferences: \"%s\" does not name a specifier file\n", name.c_str());
        return {};
    }
    PSSpecifierFile::Page page = PSSpecifierFile::load(bundlePath() + "/" + name + ".plist", target, files_);
    for (const auto& specifier : page.specifiers) {
        PSSpecifierFile::attachIcon(*specifier, bundlePath(), files_);
    }
    if (page.title && title().empty()) {
        setTitle(*page.title);
    }
    return std::move(page.specifiers);
}

id PSListController::readPreferenceValue(const PSSpecifier& specifier)
{
    if (!specifier.isBoundToPreference()) {
        return specifier.propertyForKey(PSSpecifier::kDefault);
    }
    const id stored = PSPreferenceFile(*specifier.stringPropertyForKey(PSSpecifier::kDefaults), files_)
                          .valueForKey(*specifier.stringPropertyForKey(PSSpecifier::kKey));
    return stored ? stored : specifier.propertyForKey(PSSpecifier::kDefault);
}

void PSListController::setPreferenceValue(const id& value, PSSpecifier& specifier)
{
    if (!specifier.isBoundToPreference()) {
        return;
    }
    const std::string domain = *specifier.stringPropertyForKey(PSSpecifier::kDefaults);
    const std::string key = *specifier.stringPropertyForKey(PSSpecifier::kKey);
    if (const auto failure = PSPreferenceFile(domain, files_).setValueForKey(value, key)) {
        std::fprintf(stderr, "Preferences: cannot save \"%s\" of %s: %s\n", key.c_str(), domain.c_str(),
            failure->reason().c_str());
        if (table_) {
            table_->reloadData();
        }
        return;
    }
    if (const auto notification = specifier.stringPropertyForKey(PSSpecifier::kPostNotification);
        notification && !notification->empty()) {
        CFNotificationCenter::getDarwinNotifyCenter().postNotification(*notification);
    }
}

void PSListController::setActionForName(const std::string& name, Action action)
{
    actions_.insert_or_assign(name, std::move(action));
}

UITableView* PSListController::table()
{
    view();
    return table_.get();
}

UITextField* PSListController::focusedTextField() const
{
    return dynamic_cast<UITextField*>(focusedField_.lock().get());
}

void PSListController::loadView()
{
    table_ = UITableView::initWithFrameStyle(UIScreen::mainScreen()->applicationFrame(), UITableViewStyle::Grouped);
    table_->setDataSource(this);
    table_->setDelegate(this);
    setView(table_);
}

void PSListController::viewWillAppear(bool animated)
{
    PSViewController::viewWillAppear(animated);
    if (table_) {
        table_->reloadData();
    }
}

int PSListController::numberOfSectionsInTableView(UITableView&)
{
    rebuildSections();
    return static_cast<int>(sections_.size());
}

int PSListController::numberOfRowsInSection(UITableView&, int section)
{
    return section >= 0 && section < static_cast<int>(sections_.size())
        ? static_cast<int>(sections_[static_cast<std::size_t>(section)].rows.size())
        : 0;
}

std::shared_ptr<UITableViewCell> PSListController::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    const auto specifier = specifierAtIndexPath(path);
    return specifier ? cellForSpecifier(table, specifier) : nullptr;
}

std::optional<std::string> PSListController::titleForHeaderInSection(UITableView&, int section)
{
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return std::nullopt;
    }
    const auto& group = sections_[static_cast<std::size_t>(section)].group;
    return group && !group->name().empty() ? std::optional<std::string>(group->name()) : std::nullopt;
}

std::optional<std::string> PSListController::titleForFooterInSection(UITableView&, int section)
{
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return std::nullopt;
    }
    const auto& group = sections_[static_cast<std::size_t>(section)].group;
    return group ? group->stringPropertyForKey(PSSpecifier::kFooterText) : std::nullopt;
}

void PSListController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const auto specifier = specifierAtIndexPath(path);
    if (!specifier) {
        return;
    }
    switch (specifier->cellType()) {
    case PSCellType::Link:
        openLink(specifier);
        break;
    case PSCellType::LinkList: {
        auto page = std::make_shared<PSListItemsController>(specifier, valueOwner(*specifier), files_);
        page->setSpecifier(specifier);
        pushController(std::move(page));
        break;
    }
    case PSCellType::Button:
        runButton(*specifier);
        break;
    case PSCellType::EditText:
        if (const auto cell = std::dynamic_pointer_cast<PSEditableTableCell>(table.cellForRowAtIndexPath(path))) {
            focus(cell->sharedTextField());
        }
        break;
    default:
        break;
    }
}

std::shared_ptr<PSSpecifier> PSListController::specifierAtIndexPath(const NSIndexPath& path) const
{
    if (path.section() < 0 || path.section() >= static_cast<int>(sections_.size())) {
        return nullptr;
    }
    const auto& rows = sections_[static_cast<std::size_t>(path.section())].rows;
    return path.row() >= 0 && path.row() < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(path.row())]
                                                                         : nullptr;
}

std::shared_ptr<PSTableCell> PSListController::cellForSpecifier(
    UITableView& table, const std::shared_ptr<PSSpecifier>& specifier)
{
    const PSCellType type = specifier->cellType();
    const std::string identifier = PSTableCell::reuseIdentifierForCellType(type);
    auto cell = std::dynamic_pointer_cast<PSTableCell>(table.dequeueReusableCellWithIdentifier(identifier));
    if (!cell) {
        if (type == PSCellType::Switch) {
            cell = std::make_shared<PSSwitchTableCell>(identifier);
        } else if (type == PSCellType::EditText) {
            cell = std::make_shared<PSEditableTableCell>(identifier);
        } else {
            cell = std::make_shared<PSTableCell>(type, identifier);
        }
    }
    PSListController& owner = valueOwner(*specifier);
    const std::weak_ptr<PSSpecifier> weakSpecifier = specifier;
    if (auto* switchCell = dynamic_cast<PSSwitchTableCell*>(cell.get())) {
        switchCell->setValueChangedAction([&owner, weakSpecifier](bool on) {
            if (const auto bound = weakSpecifier.lock()) {
                owner.setPreferenceValue(NSNumber::numberWithBool(on), *bound);
            }
        });
    } else if (auto* textCell = dynamic_cast<PSEditableTableCell*>(cell.get())) {
        textCell->setValueChangedAction([&owner, weakSpecifier](const std::string& text) {
            const auto bound = weakSpecifier.lock();
            if (!bound) {
                return;
            }
            if (!bound->boolPropertyForKey(PSSpecifier::kIsNumeric)) {
                owner.setPreferenceValue(NSString::stringWithString(text), *bound);
            } else if (const auto number = integerOf(text)) {
                owner.setPreferenceValue(NSNumber::numberWithInteger(*number), *bound);
            }
        });
        textCell->setFocusAction([this, field = textCell->sharedTextField()] { focus(field); });
    }
    cell->refreshCellContentsWithSpecifier(*specifier, owner.readPreferenceValue(*specifier));
    return cell;
}

PSListController& PSListController::valueOwner(const PSSpecifier& specifier)
{
    return specifier.target() ? *specifier.target() : *this;
}

void PSListController::rebuildSections()
{
    sections_.clear();
    for (const auto& specifier : specifiers()) {
        if (specifier->cellType() == PSCellType::Group) {
            sections_.push_back({specifier, {}});
            continue;
        }
        if (sections_.empty()) {
            sections_.push_back({nullptr, {}});
        }
        sections_.back().rows.push_back(specifier);
    }
}

void PSListController::openLink(const std::shared_ptr<PSSpecifier>& specifier)
{
    auto page = pageForLink(*specifier);
    if (!page) {
        return;
    }
    if (auto* settingsPage = dynamic_cast<PSBaseView*>(page.get())) {
        settingsPage->setSpecifier(specifier);
    } else if (!specifier->name().empty()) {
        page->setTitle(specifier->name());
    }
    pushController(std::move(page));
}

std::shared_ptr<UIViewController> PSListController::pageForLink(const PSSpecifier& specifier)
{
    if (const auto bundle = specifier.stringPropertyForKey(PSSpecifier::kBundle)) {
        auto page = PSPreferenceBundle::principalControllerOfBundleNamed(*bundle, files_);
        if (!page) {
            std::fprintf(stderr, "Preferences: cannot open %s: %s\n", bundle->c_str(), page.error().reason().c_str());
            return nullptr;
        }
        return std::move(page.value());
    }
    if (const auto detail = specifier.stringPropertyForKey(PSSpecifier::kDetail)) {
        auto page = PSControllerRegistry::shared().createControllerOfClass(*detail);
        if (!page) {
            std::fprintf(stderr, "Preferences: no page class %s is loaded\n", detail->c_str());
        }
        return page;
    }
    if (const auto pane = specifier.stringPropertyForKey(PSSpecifier::kPane)) {
        auto page = std::make_shared<PSListController>(files_);
        page->setBundlePath(bundlePath());
        page->setSpecifierFileName(*pane);
        return page;
    }
    return nullptr;
}

void PSListController::runButton(PSSpecifier& specifier)
{
    if (specifier.buttonAction()) {
        specifier.buttonAction()(specifier);
        return;
    }
    const auto name = specifier.stringPropertyForKey(PSSpecifier::kAction);
    if (!name) {
        return;
    }
    PSListController& owner = valueOwner(specifier);
    const auto action = owner.actions_.find(*name);
    if (action == owner.actions_.end()) {
        std::fprintf(stderr, "Preferences: %s has no action %s\n", owner.className().c_str(), name->c_str());
        return;
    }
    action->second(specifier);
}

void PSListController::focus(const std::shared_ptr<UITextField>& field) { focusedField_ = field; }
