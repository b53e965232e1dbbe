#pragma once

#include "NSFileManager.h"
#include "NSObject.h"
#include "PSPreferenceFile.h"

#include <string>

// The product's preference file as the hand-written pages change it: one key replaced in the whole file,
// written atomically (a missing file is created with that key), and the tweak told to reload. A failed
// write is shown to the user in an "Error" alert. Main thread only.
//
// "Group By" is the one key whose meaning changes when the file comes into being: while there is no file
// the tweak has no grouping and lists by application, but a file without the key means "Date". So the
// grouping in force is what the pages show, and the write that creates the file puts it in as well; the
// panel then never changes its grouping because some other setting was saved.
class VPPreferences {
public:
    static constexpr const char* kDomain = "net.torvask.VantlePro";
    static constexpr const char* kReloadNotification = "net.torvask.LoadSettings";

    static constexpr const char* kGroupByKey = "Group By";

    explicit VPPreferences(NSFileManager& files);

    // The file's "Group By"; "Date" when the file lacks it, "Application" while there is no file.
    std::string groupingInForce() const;

    id valueForKey(const std::string& key) const;
    // Answers whether the file was written; shows the error alert when it was not. The write that creates
    // the file stores the grouping in force with the value.
    bool saveValueForKey(const id& value, const std::string& key);
    // Before a write of another key through the preference framework: a file that does not exist yet is
    // created with the grouping in force. Answers the failure, if any.
    [[nodiscard]] std::optional<NSError> keepGroupingInForce();
    // Posts the reload notification to the Darwin centre.
    static void announceChange();

private:
    bool fileExists() const;

    NSFileManager& files_;
    PSPreferenceFile file_;
};
