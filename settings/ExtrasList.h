#pragma once

#include "NSDictionary.h"
#include "NSFileManager.h"
#include "VPTablePage.h"

#include <memory>
#include <string>
#include <vector>

// "Plug-ins": the plug-in descriptions of "/var/mobile/Library/Vantle/Plugins Info" ("*.plist" files, each a
// dictionary of "Identifier", "Title", "Developer", "Price"), the product's own ("Developer" "Vantle") under
// "Official Plug-ins", the others under "Third-party Plug-ins". Each row shows the icon "<Title>.png" of the
// folder (DefaultIcon.png when there is none, or when the title would name a file outside the folder), the
// developer, the title and the price ("FREE" or "$0.99"); a tap opens the package manager's page of the
// "Identifier". A file that does not read as a dictionary is skipped. The folder is read afresh every time
// the page appears. Main thread only.
class ExtrasList : public VPTablePage {
public:
    static constexpr const char* kFolder = "/var/mobile/Library/Vantle/Plugins Info";
    static constexpr CGFloat kRowHeight = 70;

    explicit ExtrasList(NSFileManager& files = NSFileManager::defaultManager());
    ~ExtrasList() override;

    const std::vector<std::shared_ptr<NSDictionary>>& firstParty() const { return firstParty_; }
    const std::vector<std::shared_ptr<NSDictionary>>& thirdParty() const { return thirdParty_; }

    // Whether the description has a "Title", a "Developer" and a "Price".
    static bool checkFullDictionary(const NSDictionary& description);
    // "FREE" for a price of 0, a missing one or one that does not read as a number; else "$%.2f".
    static std::string priceTag(const NSDictionary& description);
    // The device path of the description's icon: "<Title>.png" in the folder when it exists there, else
    // the folder's "DefaultIcon.png".
    std::string iconPath(const NSDictionary& description) const;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    std::string className() const override { return "ExtrasList"; }

protected:
    void configureTable(UITableView& table) override;

private:
    void readDescriptions();
    const NSDictionary& descriptionAt(const NSIndexPath& path) const;

    NSFileManager& files_;
    std::vector<std::shared_ptr<NSDictionary>> firstParty_;
    std::vector<std::shared_ptr<NSDictionary>> thirdParty_;
};
