#include "ExtrasList.h"

#include "AppStoreCell.h"
#include "NSNumber.h"
#include "NSString.h"
#include "NSURL.h"
#include "PSControllerRegistry.h"
#include "UIApplication.h"
#include "UIColor.h"
#include "UIImage-Retina.h"
#include "UIImageView.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <fmt/format.h>

PS_REGISTER_CONTROLLER_CLASS(ExtrasList);

namespace {

bool hasPlistExtension(const std::string& name) { return std::filesystem::path(name).extension() == ".plist"; }

// A title names its icon file in the folder; one that could name a file elsewhere names none.
bool isSafeFileName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find("..") == std::string::npos;
}

// The price as a single-precision number: a number, or the number a string begins with; 0 otherwise.
float priceOf(const NSDictionary& description)
{
    const auto price = description.objectForKey("Price");
    if (const auto number = as<NSNumber>(price)) {
        return static_cast<float>(number->doubleValue());
    }
    if (const auto text = as<NSString>(price)) {
        return std::strtof(text->string().c_str(), nullptr);
    }
    return 0;
}

} // namespace

ExtrasList::ExtrasList(NSFileManager& files)
    : VPTablePage(UITableViewStyle::Plain)
    , files_(files)
{
}

ExtrasList::~ExtrasList() = default;

bool ExtrasList::checkFullDictionary(const NSDictionary& description)
{
    return description.objectForKey("Title") && description.objectForKey("Developer") && description.objectForKey("Price");
}

std::string ExtrasList::priceTag(const NSDictionary& description)
{
    const float price = priceOf(description);
    return price == 0 || !std::isfinite(price) ? "FREE" : fmt::format("${:.2f}", price);
}

std::string ExtrasList::iconPath(const NSDictionary& description) const
{
    const auto title = description.stringForKey("Title").value_or("");
    if (isSafeFileName(title)) {
        const auto path = fmt::format("{}/{}.png", kFolder, title);
        if (files_.fileExistsAtPath(path)) {
            return path;
        }
    }
    return fmt::format("{}/DefaultIcon.png", kFolder);
}

void ExtrasList::viewDidLoad()
{
    setTitle("Plug-ins");
    VPTablePage::viewDidLoad();
}

void ExtrasList::configureTable(UITableView& table)
{
    table.setRowHeight(kRowHeight);
    table.setSeparatorColor(UIColor::clearColor());
    table.setBackgroundColor(UIColor::colorWithRedGreenBlueAlpha(0.6, 0.6, 0.61, 1));
}

void ExtrasList::viewWillAppear(bool animated)
{
    readDescriptions();
    if (table()) {
        table()->reloadData();
    }
    PSViewController::viewWillAppear(animated);
}

void ExtrasList::readDescriptions()
{
    firstParty_.clear();
    thirdParty_.clear();
    auto names = files_.contentsOfDirectoryAtPath(kFolder);
    if (!names) {
        return;
    }
    for (const auto& name : names.value()) {
        if (!hasPlistExtension(name)) {
            continue;
        }
        const auto description = files_.readPropertyListAtPath(fmt::format("{}/{}", kFolder, name)).valueAs<NSDictionary>();
        if (!description) {
            continue;
        }
        (description->stringForKey("Developer") == "Vantle" ? firstParty_ : thirdParty_).push_back(description);
    }
}

const NSDictionary& ExtrasList::descriptionAt(const NSIndexPath& path) const
{
    const auto& list = path.section() == 0 ? firstParty_ : thirdParty_;
    return *list.at(static_cast<std::size_t>(path.row()));
}

int ExtrasList::numberOfSectionsInTableView(UITableView&) { return thirdParty_.empty() ? 1 : 2; }

int ExtrasList::numberOfRowsInSection(UITableView&, int section)
{
    switch (section) {
    case 0:
        return static_cast<int>(firstParty_.size());
    case 1:
        return static_cast<int>(thirdParty_.size());
    default:
        return 0;
    }
}

std::optional<std::string> ExtrasList::titleForHeaderInSection(UITableView&, int section)
{
    switch (section) {
    case 0:
        return "Official Plug-ins";
    case 1:
        return "Third-party Plug-ins";
    default:
        return std::nullopt;
    }
}

double ExtrasList::heightForRowAtIndexPath(UITableView& table, const NSIndexPath&) { return table.rowHeight(); }

std::shared_ptr<UITableViewCell> ExtrasList::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    auto reused = std::dynamic_pointer_cast<AppStoreCell>(table.dequeueReusableCellWithIdentifier("Cell"));
    auto cell = reused ? reused : std::make_shared<AppStoreCell>(UITableViewCellStyle::Subtitle, "Cell");
    cell->setAppStoreCellStyle(path.row() % 2);
    const auto& description = descriptionAt(path);
    cell->textLabel()->setText(description.stringForKey("Title").value_or(""));
    cell->detailTextLabel()->setText(description.stringForKey("Developer").value_or(""));
    cell->setPriceTag(priceTag(description));
    cell->imageView()->setImage(UIImageRetina::imageWithContentsOfResolutionIndependentFile(iconPath(description)));
    for (const auto& subview : cell->contentView()->subviews()) {
        subview->setBackgroundColor(UIColor::clearColor());
    }
    return cell;
}

void ExtrasList::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const auto identifier = descriptionAt(path).stringForKey("Identifier").value_or("");
    (void)UIApplication::sharedApplication()->openURL(NSURL::URLWithString("cydia://package/" + identifier)); // the outcome is not the page's to act on
}
