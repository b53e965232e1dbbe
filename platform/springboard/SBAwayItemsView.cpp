#include "SBAwayItemsView.h"

#include "CGContextStateSaver.h"
#include "NSString-UIStringDrawing.h"
#include "ObjCClass.h"
#include "SBClasses.h"
#include "UIGraphics.h"

#include <algorithm>

std::shared_ptr<SBAwayItemsView> SBAwayItemsView::initWithFrame(CGRect frame)
{
    const auto view = std::make_shared<SBAwayItemsView>();
    view->setOpaque(false);
    return SBClasses::classNamed(view->className()).send<InitWithFrame>("initWithFrame:", view, frame);
}

void SBAwayItemsView::setAwayItems(std::vector<std::shared_ptr<SBAwayItem>> items)
{
    items_ = std::move(items);
    reloadLabels();
}

void SBAwayItemsView::reloadLabels()
{
    labels_.clear();
    for (const auto& item : items_) {
        const auto label = labelForAwayItem(item, countOfItemsLike(*item));
        labels_.push_back(label ? label->string() : std::string());
    }
    setNeedsDisplay();
}

std::shared_ptr<NSString> SBAwayItemsView::labelForAwayItem(const std::shared_ptr<SBAwayItem>& item, int count)
{
    const auto self = std::static_pointer_cast<SBAwayItemsView>(sharedView());
    return SBClasses::classNamed(className()).send<LabelForAwayItem>("_labelForAwayItem:count:", self, item, count);
}

int SBAwayItemsView::countOfItemsLike(const SBAwayItem& item) const
{
    return static_cast<int>(std::count_if(items_.begin(), items_.end(),
        [&](const auto& other) { return other->type() == item.type() && other->title() == item.title(); }));
}

void SBAwayItemsView::drawRect(CGRect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr || labels_.empty()) {
        return;
    }
    const CGFloat width = bounds().size.width;
    const CGRect panel = CGRectMake(0, 0, width, kRowHeight * static_cast<CGFloat>(labels_.size()));
    context->setRGBFillColor(0, 0, 0, 0.55);
    context->addRoundedRect(panel, 8);
    context->fillPath();
    const auto font = UIFont::boldSystemFontOfSize(15);
    for (std::size_t row = 0; row < labels_.size(); ++row) {
        const CGFloat top = kRowHeight * static_cast<CGFloat>(row);
        if (row > 0) {
            context->setGrayFillColor(1, 0.15);
            context->fillRect(CGRectMake(8, top, width - 16, 1));
        }
        // A red badge with a white handset stands for a call.
        context->setRGBFillColor(0.85, 0.12, 0.1, 1);
        context->fillEllipseInRect(CGRectMake(10, top + 9, 18, 18));
        {
            CGContextStateSaver saved(*context);
            context->setGrayStrokeColor(1, 1);
            context->setLineWidth(3.2);
            context->setLineCap(kCGLineCapRound);
            context->beginPath();
            context->addArc(19, top + 18, 4.6, 0.3 * 3.14159265, 1.2 * 3.14159265, 0);
            context->strokePath();
        }
        context->setGrayFillColor(1, 1);
        drawInRectWithFontLineBreakModeAlignment(labels_[row], CGRectMake(36, top + 9, width - 46, 20), font,
            UILineBreakModeTailTruncation, UITextAlignmentLeft);
    }
}

void SBAwayItemsView::registerMethods(ObjCClass& cls)
{
    cls.addMethod<InitWithFrame>("initWithFrame:", [](const std::shared_ptr<SBAwayItemsView>& self, CGRect frame) {
        self->setFrame(frame);
        return self;
    });
    cls.addMethod<LabelForAwayItem>("_labelForAwayItem:count:", &SBAwayItemsView::labelImp);
}

std::shared_ptr<NSString> SBAwayItemsView::labelImp(
    const std::shared_ptr<SBAwayItemsView>&, const std::shared_ptr<SBAwayItem>& item, int count)
{
    if (!item) {
        return nullptr;
    }
    std::string label = item->type() == SBAwayItem::MissedCall ? "Missed Call: " + item->title() : item->title();
    if (count > 1) {
        label += " (" + std::to_string(count) + ")";
    }
    return NSString::stringWithString(std::move(label));
}
