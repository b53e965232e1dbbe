#pragma once

#include "AppListViewController.h"
#include "RedirectionEditorDelegate.h"
#include "UIAlertViewDelegate.h"
#include "VPTablePage.h"

#include <memory>
#include <optional>

// Edits one redirection: "From:" is chosen from the application picker or typed ("Custom"), "To:" always
// from the picker. "Done" hands a complete value to the editorDelegate; with a field missing it shows
// "Incomplete Info". The editor changes only its own copy; leaving it by the back button discards it.
// Main thread only.
class RedirectionEditorViewController : public VPTablePage,
                                        public UIAlertViewDelegate,
                                        public AppListViewControllerDelegate {
public:
    // Which field the open picker is choosing.
    enum Field : int { None = 0, From = 1, To = 2 };

    explicit RedirectionEditorViewController(std::optional<Redirection> redirection = std::nullopt);
    ~RedirectionEditorViewController() override;

    RedirectionEditorDelegate* editorDelegate() const { return editorDelegate_; }
    void setEditorDelegate(RedirectionEditorDelegate* delegate) { editorDelegate_ = delegate; }
    // The row being edited; the number of redirections for a new one.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    const Redirection& redirection() const { return redirection_; }

    // The "Done" button.
    void done();

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    void didDismissWithButtonIndex(UIAlertView& alert, int index) override;
    void didSelectApplicationWithInfo(AppListViewController& picker, const std::shared_ptr<RXAppInfo>& info) override;

    std::string className() const override { return "RedirectionEditorViewController"; }

private:
    void askForSource();
    void askForCustomSource();
    void showPickerFor(Field field);
    void reloadRow(int section);

    RedirectionEditorDelegate* editorDelegate_ = nullptr;
    int tag_ = 0;
    Redirection redirection_;
    Field edit_ = None;
    std::weak_ptr<AppListViewController> picker_;
};
