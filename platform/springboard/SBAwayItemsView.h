#pragma once

#include "NSString.h"
#include "SBAwayItem.h"
#include "UIView.h"

#include <memory>
#include <string>
#include <vector>

class ObjCClass;

// The lock screen's list of missed events: one row per item, each labelled by `_labelForAwayItem:count:`.
// The list asks for every label each time it is shown or changes, as the phone's does, so the labeller is
// asked about the same item many times.
//
// Through the runtime ("SBAwayItemsView"):
//   "initWithFrame:"            InitWithFrame: std::shared_ptr<SBAwayItemsView>(
//                                   const std::shared_ptr<SBAwayItemsView>& self, CGRect frame)
//                               answers the initialised view (self).
//   "_labelForAwayItem:count:"  LabelForAwayItem: std::shared_ptr<NSString>(
//                                   const std::shared_ptr<SBAwayItemsView>& self,
//                                   const std::shared_ptr<SBAwayItem>& item, int count)
//                               count: how many items of the same kind and title the row stands for;
//                               answers the row's text ("Missed Call: John Appleseed").
class SBAwayItemsView : public UIView {
public:
    using InitWithFrame = std::shared_ptr<SBAwayItemsView>(const std::shared_ptr<SBAwayItemsView>&, CGRect);
    using LabelForAwayItem = std::shared_ptr<NSString>(const std::shared_ptr<SBAwayItemsView>&,
                                                       const std::shared_ptr<SBAwayItem>&, int);
    static constexpr CGFloat kRowHeight = 36;

    // Makes a view and sends it "initWithFrame:".
    static std::shared_ptr<SBAwayItemsView> initWithFrame(CGRect frame);

    // Shows these items; each row's label is asked for now.
    void setAwayItems(std::vector<std::shared_ptr<SBAwayItem>> items);
    // Asks every label again, as when the list is shown.
    void reloadLabels();
    const std::vector<std::string>& labels() const { return labels_; }
    // Sends "_labelForAwayItem:count:".
    std::shared_ptr<NSString> labelForAwayItem(const std::shared_ptr<SBAwayItem>& item, int count);

    void drawRect(CGRect rect) override;
    std::string className() const override { return "SBAwayItemsView"; }
    static void registerMethods(ObjCClass& cls);

private:
    static std::shared_ptr<NSString> labelImp(const std::shared_ptr<SBAwayItemsView>& self,
                                              const std::shared_ptr<SBAwayItem>& item, int count);
    int countOfItemsLike(const SBAwayItem& item) const;

    std::vector<std::shared_ptr<SBAwayItem>> items_;
    std::vector<std::string> labels_;
};
