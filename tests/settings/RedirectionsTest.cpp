#include "AppListViewController.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"
#include "RedirectionEditorViewController.h"
#include "RedirectionsViewController.h"
#include "SettingsPageTest.h"
#include "UIAlertView.h"
#include "UITextField.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Table = std::map<std::string, std::string>;

class RedirectionsTest : public SettingsPageTest {
protected:
    void SetUp() override
    {
        SettingsPageTest::SetUp();
        page.view();
    }

    // What the editor hands over with "Done", for the row `tag`.
    void finish(int tag, const std::string& from, const std::string& to)
    {
        RedirectionEditorViewController editor(Redirection { from, to });
        editor.setTag(tag);
        editor.setEditorDelegate(&page);
        editor.done();
        settle();
    }
    Table stored() const
    {
        Table table;
        const auto file = NSFileManager::defaultManager()
                              .readPropertyListAtPath("/var/mobile/Library/Preferences/net.torvask.VantlePro.plist")
                              .valueAs<NSDictionary>();
        if (const auto redirections = file ? file->objectForKey<NSDictionary>("Redirections") : nullptr) {
            for (const auto& [source, target] : redirections->entries()) {
                table.emplace(source, as<NSString>(target)->string());
            }
        }
        return table;
    }
    // The table view's rows, as the page draws them.
    Table rows()
    {
        Table shown;
        UITableView& table = *page.table();
        for (int row = 0; row < table.numberOfRowsInSection(0); ++row) {
            const auto cell = page.cellForRowAtIndexPath(table, NSIndexPath::indexPathForRowInSection(row, 0));
            shown.emplace(cell->textLabel()->text(), cell->detailTextLabel()->text());
        }
        return shown;
    }
    std::string footer() { return page.titleForFooterInSection(*page.table(), 0).value_or(""); }

    RedirectionsViewController page;
};

TEST_F(RedirectionsTest, NewEditedAndDeletedRedirectionsAreShownAndSavedAlike)
{
    EXPECT_EQ(footer(), "Tap '+' to add a redirection.");
    finish(0, "com.apple.MobileSMS", "com.apple.mobilephone");
    finish(1, "Clock", "com.apple.mobiletimer");
    EXPECT_EQ(footer(), "Swipe to delete. Tap to edit.");

    finish(0, "Alarm", "com.apple.mobiletimer");            // row 0 is "Clock": its source changes
    finish(1, "com.apple.MobileSMS", "com.apple.mobilecal"); // only the target changes
    const Table expected { { "Alarm", "com.apple.mobiletimer" }, { "com.apple.MobileSMS", "com.apple.mobilecal" } };
    EXPECT_EQ(page.redirections(), expected);
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(stored(), expected);

    for (int left = 2; left > 0; --left) {
        page.commitEditingStyleForRowAtIndexPath(*page.table(), UITableViewCellEditingStyle::Delete,
                                                 NSIndexPath::indexPathForRowInSection(0, 0));
        settle();
    }
    EXPECT_EQ(rows(), Table {});
    EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath("/var/mobile/Library/Preferences/net.torvask.VantlePro.plist"));
    EXPECT_EQ(stored(), Table {});
    EXPECT_EQ(footer(), "Tap '+' to add a redirection.");
    EXPECT_EQ(reloads, 6);
}

TEST_F(RedirectionsTest, ASourceThatAnotherRedirectionHasIsRefused)
{
    finish(0, "A", "a.target");
    finish(1, "B", "b.target");
    const Table before = page.redirections();
    const int reloadsBefore = reloads;
    struct Case {
        const char* what;
        int tag;
    };
    for (const auto& [what, tag] : { Case { "new", 2 }, Case { "edited", 1 } }) {
        SCOPED_TRACE(what);
        finish(tag, "A", "other.target");
        ASSERT_NE(alert(), nullptr);
        EXPECT_EQ(alert()->title(), "Duplicate Redirection");
        EXPECT_EQ(alert()->message(), "There's already a redirection for that app.");
        dismissAlerts();
        EXPECT_EQ(page.redirections(), before);
        EXPECT_EQ(rows(), before);
        EXPECT_EQ(stored(), before);
    }
    EXPECT_EQ(reloads, reloadsBefore);
}

TEST_F(RedirectionsTest, TheEditorTakesATypedSourceAsItStandsAndNeedsBothFields)
{
    RedirectionEditorViewController editor;
    editor.view();
    editor.setEditorDelegate(&page);
    editor.done();
    settle();
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->title(), "Incomplete Info");
    EXPECT_EQ(alert()->message(), "Please fill both fields.");
    dismissAlerts();

    struct Typing {
        const char* text;
        bool confirmed;
        const char* expected;
    };
    for (const auto& [text, confirmed, expected] : { Typing { " My App ", true, " My App " }, Typing { "ignored", false, " My App " },
                                                     Typing { "", true, "" } }) {
        SCOPED_TRACE(text);
        const int reloadsBefore = reloads;
        editor.didSelectRowAtIndexPath(*editor.table(), NSIndexPath::indexPathForRowInSection(0, 0));
        settle();
        press(2); // "Custom"
        ASSERT_EQ(alert()->textFieldCount(), 1);
        alert()->textFieldAtIndex(0)->setText(text);
        press(confirmed ? 1 : alert()->cancelButtonIndex());
        EXPECT_EQ(editor.redirection().from, expected);
        EXPECT_EQ(reloads, reloadsBefore + 1);
    }
    EXPECT_EQ(page.redirections(), Table {});
}

TEST_F(RedirectionsTest, ThePickersChoiceFillsTheFieldItWasOpenedFor)
{
    RedirectionEditorViewController editor;
    editor.view();
    auto& picker = *AppListViewController::sharedListController();
    const auto phone = std::make_shared<RXAppInfo>("Phone", "com.apple.mobilephone", "");
    const auto clock = std::make_shared<RXAppInfo>("Clock", "com.apple.mobiletimer", "");

    editor.didSelectRowAtIndexPath(*editor.table(), NSIndexPath::indexPathForRowInSection(0, 1)); // "To:"
    ASSERT_EQ(picker.listDelegate(), &editor);
    editor.didSelectApplicationWithInfo(picker, phone);
    editor.didSelectRowAtIndexPath(*editor.table(), NSIndexPath::indexPathForRowInSection(0, 0)); // "From:"
    settle();
    press(1); // "List"
    editor.didSelectApplicationWithInfo(picker, clock);
    editor.didSelectApplicationWithInfo(picker, phone); // no field is being chosen any more

    EXPECT_EQ(editor.redirection().from, "com.apple.mobiletimer");
    EXPECT_EQ(editor.redirection().to, "com.apple.mobilephone");
}

} // namespace
