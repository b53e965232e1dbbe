#pragma once

#include <memory>

class AppListViewController;
class RXAppInfo;

// What the application picker tells the page that opened it: the application the user tapped. The picker
// stays open; the delegate closes it when it is done.
class AppListViewControllerDelegate {
public:
    virtual ~AppListViewControllerDelegate() = default;

    virtual void didSelectApplicationWithInfo(AppListViewController& picker, const std::shared_ptr<RXAppInfo>& info) = 0;
};
