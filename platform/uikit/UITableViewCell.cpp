#include "UITableViewCell.h"

#include "NSString-UIStringDrawing.h"
#include "UITableView.h"
#include "UITableViewCellDeleteConfirmationControl.h"
#include "UITableViewCellDisclosureIndicator.h"
#include "UITableViewCellEditControl.h"

#include <algorithm>
#include <cmath>

namespace {

std::shared_ptr<UIColor> standardCellColor()
{
    static const auto white = UIColor::whiteColor();
    return white;
}

std::shared_ptr<UILabel> makeLabel(std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color)
{
    auto label = std::make_shared<UILabel>();
    label->setFont(std::move(font));
    label->setTextColor(std::move(color));
    label->setHighlightedTextColor(UIColor::whiteColor());
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

// Highlights every label and image view in the tree, as a selected cell draws its contents.
void highlightContents(UIView& view, bool highlighted)
{
    for (const auto& subview : view.subviews()) {
        if (auto* label = dynamic_cast<UILabel*>(subview.get())) {
            label->setHighlighted(highlighted);
        } else if (auto* image = dynamic_cast<UIImageView*>(subview.get())) {
            image->setHighlighted(highlighted);
        }
        highlightContents(*subview, highlighted);
    }
}

} // namespace

UITableViewCell::UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UIView(CGRectMake(0, 0, 320, 44)),
      style_(style),
      reuseIdentifier_(std::move(reuseIdentifier)),
      contentView_(std::make_shared<UIView>()),
      imageView_(std::make_shared<UIImageView>()),
      standardBackground_(std::make_shared<UITableViewCellBackgroundView>(
          false, UITableViewCellBackgroundView::Fill::White)),
      standardSelectedBackground_(std::make_shared<UITableViewCellBackgroundView>(
          false, UITableViewCellBackgroundView::Fill::BlueSelection)),
      separator_(std::make_shared<UIView>())
{
    setBackgroundColor(standardCellColor());
    context_.separatorColor = UIColor::colorWithWhiteAlpha(0.88, 1);
    setUpContents();
    installBackgrounds();
}

UITableViewCell::~UITableViewCell() = default;

std::shared_ptr<UITableViewCell> UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle style,
                                                                              std::string reuseIdentifier)
{
    return std::make_shared<UITableViewCell>(style, std::move(reuseIdentifier));
}

void UITableViewCell::setUpContents()
{
    contentView_->setBackgroundColor(nullptr);
    contentView_->setOpaque(false);
    addSubview(contentView_);
    switch (style_) {
    case UITableViewCellStyle::Default:
        textLabel_ = makeLabel(UIFont::boldSystemFontOfSize(20), UIColor::blackColor());
        break;
    case UITableViewCellStyle::Value1:
        textLabel_ = makeLabel(UIFont::boldSystemFontOfSize(17), UIColor::blackColor());
        detailTextLabel_ =
            makeLabel(UIFont::systemFontOfSize(17), UIColor::colorWithRedGreenBlueAlpha(0.22, 0.33, 0.53, 1));
        detailTextLabel_->setTextAlignment(UITextAlignmentRight);
        break;
    case UITableViewCellStyle::Subtitle:
        textLabel_ = makeLabel(UIFont::boldSystemFontOfSize(18), UIColor::blackColor());
        detailTextLabel_ = makeLabel(UIFont::systemFontOfSize(14), UIColor::colorWithWhiteAlpha(0.5, 1));
        break;
    }
    imageView_->setBackgroundColor(nullptr);
    contentView_->addSubview(imageView_);
    contentView_->addSubview(textLabel_);
    if (detailTextLabel_) {
        contentView_->addSubview(detailTextLabel_);
    }
    separator_->setBackgroundColor(context_.separatorColor);
    separator_->setUserInteractionEnabled(false);
    addSubview(separator_);
}

void UITableViewCell::setBackgroundView(std::shared_ptr<UIView> view)
{
    if (backgroundView_ == view) {
        return;
    }
    if (backgroundView_) {
        backgroundView_->removeFromSuperview();
    }
    backgroundView_ = std::move(view);
    installBackgrounds();
}

void UITableViewCell::setSelectedBackgroundView(std::shared_ptr<UIView> view)
{
    if (selectedBackgroundView_ == view) {
        return;
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->removeFromSuperview();
    }
    selectedBackgroundView_ = std::move(view);
    installBackgrounds();
}

UITableViewCellBackgroundView::Fill UITableViewCell::selectionFill() const
{
    return selectionStyle_ == UITableViewCellSelectionStyle::Gray ? UITableViewCellBackgroundView::Fill::GraySelection
                                                                  : UITableViewCellBackgroundView::Fill::BlueSelection;
}

void UITableViewCell::installBackgrounds()
{
    // The standard background exists only in grouped tables; a plain cell is its own white background.
    std::shared_ptr<UIView> backgroundShown = backgroundView_;
    if (!backgroundShown && context_.grouped) {
        backgroundShown = standardBackground_;
    }
    std::shared_ptr<UIView> selectedShown = selectedBackgroundView_;
    if (!selectedShown && selectionStyle_ != UITableViewCellSelectionStyle::None) {
        selectedShown = standardSelectedBackground_;
    }
    if (backgroundShown != standardBackground_) {
        standardBackground_->removeFromSuperview();
    }
    if (selectedShown != standardSelectedBackground_) {
        standardSelectedBackground_->removeFromSuperview();
    }
    std::size_t index = 0;
    if (backgroundShown) {
        insertSubviewAtIndex(backgroundShown, index++);
    }
    if (selectedShown) {
        insertSubviewAtIndex(selectedShown, index);
        selectedShown->setHidden(!selected_);
    }
    standardBackground_->setGrouped(context_.grouped);
    standardBackground_->setSectionLocation(context_.location);
    standardBackground_->setSeparatorColor(context_.separatorColor);
    standardSelectedBackground_->setGrouped(context_.grouped);
    standardSelectedBackground_->setSectionLocation(context_.location);
    standardSelectedBackground_->setSeparatorColor(context_.separatorColor);
    standardSelectedBackground_->setFill(selectionFill());
    setNeedsLayout();
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type)
{
    if (accessoryType_ == type) {
        return;
    }
    accessoryType_ = type;
    if (disclosure_) {
        disclosure_->removeFromSuperview();
        disclosure_.reset();
    }
    if (type != UITableViewCellAccessoryType::None) {
        using Kind = UITableViewCellDisclosureIndicator::Kind;
        disclosure_ = std::make_shared<UITableViewCellDisclosureIndicator>(
            type == UITableViewCellAccessoryType::Checkmark ? Kind::Checkmark : Kind::Chevron);
        disclosure_->setHighlighted(selected_ && selectionStyle_ != UITableViewCellSelectionStyle::None);
    }
    if (disclosure_ && !accessoryView_) {
        addSubview(disclosure_);
    }
    setNeedsLayout();
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> view)
{
    if (accessoryView_ == view) {
        return;
    }
    if (accessoryView_) {
        accessoryView_->removeFromSuperview();
    }
    accessoryView_ = std::move(view);
    if (accessoryView_) {
        if (disclosure_) {
            disclosure_->removeFromSuperview();
        }
        addSubview(accessoryView_);
    } else if (disclosure_) {
        addSubview(disclosure_);
    }
    setNeedsLayout();
}

UIView* UITableViewCell::currentAccessoryView() const
{
    if (accessoryView_) {
        return accessoryView_.get();
    }
    return disclosure_.get();
}

void UITableViewCell::setSelectionStyle(UITableViewCellSelectionStyle style)
{
    if (selectionStyle_ == style) {
        return;
    }
    selectionStyle_ = style;
    installBackgrounds();
    showSelection();
}

void UITableViewCell::setSelected(bool selected) { setSelectedAnimated(selected, false); }

void UITableViewCell::setSelectedAnimated(bool selected, bool animated)
{
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    if (!selected && animated && UIView::areAnimationsEnabled()) {
        fadeOutSelection();
        return;
    }
    showSelection();
}

UIView& UITableViewCell::shownSelectedBackground() const
{
    return selectedBackgroundView_ ? *selectedBackgroundView_ : *standardSelectedBackground_;
}

// The contents lose their highlight at once; the selected background fades out and is hidden at the end,
// unless the cell was selected again meanwhile.
void UITableViewCell::fadeOutSelection()
{
    UIView& background = shownSelectedBackground();
    const bool wasShown = !background.isHidden();
    showSelection();
    const std::weak_ptr<UIView> weakCell = weak_from_this();
    if (!wasShown || weakCell.expired()) {
        return;
    }
    background.setHidden(false);
    UIView::beginAnimationsContext("UITableViewCellDeselect", nullptr);
    UIView::setAnimationDuration(deselectionDuration);
    UIView::setAnimationDelegate(this);
    UIView::setAnimationDidStopSelector([weakCell](const std::string&, bool, void*) {
        if (const auto cell = std::static_pointer_cast<UITableViewCell>(weakCell.lock())) {
            cell->showSelection();
        }
    });
    background.setAlpha(0);
    UIView::commitAnimations();
}

void UITableViewCell::showSelection()
{
    const bool shown = selected_ && selectionStyle_ != UITableViewCellSelectionStyle::None;
    UIView& selectedBackground = shownSelectedBackground();
    selectedBackground.setHidden(!shown);
    selectedBackground.setAlpha(1);
    highlightContents(*contentView_, shown);
    if (disclosure_) {
        disclosure_->setHighlighted(shown);
    }
    setNeedsDisplay();
}

void UITableViewCell::willTransitionToState(unsigned state)
{
    state_ = state;
    updateEditingParts();
    setNeedsLayout();
}

void UITableViewCell::didTransitionToState(unsigned) {}

void UITableViewCell::updateEditingParts()
{
    if (isEditing() && context_.editingStyle != UITableViewCellEditingStyle::None) {
        if (!editControl_) {
            editControl_ = std::make_shared<UITableViewCellEditControl>();
            editControl_->addTargetActionForControlEvents(this, [this] { editControlTapped(); },
                                                          UIControlEventTouchUpInside);
        }
        editControl_->setEditingStyle(context_.editingStyle);
        editControl_->setRotated(showingDeleteConfirmation());
        if (editControl_->superview() != this) {
            addSubview(editControl_);
        }
    } else if (editControl_) {
        editControl_->removeFromSuperview();
    }
    if (showingDeleteConfirmation()) {
        if (!deleteButton_) {
            deleteButton_ = std::make_shared<UITableViewCellDeleteConfirmationControl>(context_.deleteTitle);
            deleteButton_->addTargetActionForControlEvents(this, [this] { deleteConfirmationTapped(); },
                                                           UIControlEventTouchUpInside);
        }
        deleteButton_->setTitle(context_.deleteTitle);
        if (deleteButton_->superview() != this) {
            addSubview(deleteButton_);
        }
    } else if (deleteButton_) {
        deleteButton_->removeFromSuperview();
    }
}

void UITableViewCell::prepareForReuse()
{
    selected_ = false;
    showSelection();
    state_ = UITableViewCellStateDefaultMask;
    updateEditingParts();
    setNeedsLayout();
}

void UITableViewCell::applyTableContext(const TableContext& context)
{
    if (context == context_) {
        return;
    }
    const bool styleChanged = context.grouped != context_.grouped;
    context_ = context;
    // A cell keeps a background colour of its own; only the standard white follows the table's style (a
    // grouped cell is transparent around its card).
    if (styleChanged && (!backgroundColor() || backgroundColor() == standardCellColor())) {
        setBackgroundColor(context_.grouped ? nullptr : standardCellColor());
    }
    separator_->setBackgroundColor(context_.separatorColor);
    separator_->setHidden(context_.grouped);
    installBackgrounds();
    updateEditingParts();
}

UITableView* UITableViewCell::tableView() const { return dynamic_cast<UITableView*>(superview()); }

void UITableViewCell::editControlTapped()
{
    if (UITableView* table = tableView()) {
        table->cellEditControlTapped(*this);
    }
}

void UITableViewCell::deleteConfirmationTapped()
{
    if (UITableView* table = tableView()) {
        table->cellDeleteConfirmationTapped(*this);
    }
}

void UITableViewCell::layoutSubviews()
{
    const CGRect b = bounds();
    const bool grouped = context_.grouped;
    const CGFloat inset = grouped ? groupedInset : 0;
    const CGFloat contentHeight = b.size.height - (grouped ? 0 : 1);
    const CGRect card = CGRectMake(inset, 0, std::max<CGFloat>(0, b.size.width - 2 * inset), b.size.height);
    for (UIView* background : {backgroundView_ ? backgroundView_.get() : standardBackground_.get(),
                               selectedBackgroundView_ ? selectedBackgroundView_.get()
                                                       : standardSelectedBackground_.get()}) {
        background->setFrame(card);
    }
    separator_->setFrame(CGRectMake(0, b.size.height - 1, b.size.width, 1));

    CGFloat left = inset;
    CGFloat right = b.size.width - inset;
    if (editControl_ && editControl_->superview() == this) {
        editControl_->setFrame(CGRectMake(left, 0, UITableViewCellEditControl::width, contentHeight));
        left += UITableViewCellEditControl::width;
    }
    UIView* accessory = currentAccessoryView();
    if (showingDeleteConfirmation() && deleteButton_) {
        const CGFloat width = deleteButton_->preferredWidth();
        const CGFloat x = right - contentMargin - width;
        deleteButton_->setFrame(CGRectMake(x, std::round((contentHeight - UITableViewCellDeleteConfirmationControl::height) / 2),
                                           width, UITableViewCellDeleteConfirmationControl::height));
        right = x;
    }
    if (accessory != nullptr) {
        const bool shown = !showingDeleteConfirmation() && !isEditing();
        accessory->setHidden(!shown);
        if (shown) {
            const CGSize size = accessory->frame().size;
            const CGFloat x = right - contentMargin - size.width;
            accessory->setFrame(CGRectMake(x, std::round((contentHeight - size.height) / 2), size.width, size.height));
            right = x;
        }
    }
    contentView_->setFrame(CGRectMake(left, 0, std::max<CGFloat>(0, right - left), std::max<CGFloat>(0, contentHeight)));
    layoutStandardContents(contentView_->bounds());
}

void UITableViewCell::layoutStandardContents(CGRect area)
{
    CGFloat x = contentMargin;
    if (const auto& image = imageView_->image()) {
        CGSize size = image->size();
        if (size.height > area.size.height && size.height > 0) {
            size = CGSizeMake(size.width * area.size.height / size.height, area.size.height);
        }
        imageView_->setFrame(CGRectMake(x, std::round((area.size.height - size.height) / 2), size.width, size.height));
        x += size.width + contentMargin;
    } else {
        imageView_->setFrame(CGRectZero);
    }
    const CGFloat width = std::max<CGFloat>(0, area.size.width - x - contentMargin);
    switch (style_) {
    case UITableViewCellStyle::Default:
        textLabel_->setFrame(CGRectMake(x, 0, width, area.size.height));
        break;
    case UITableViewCellStyle::Value1:
        layoutValue1(x, width, area.size.height);
        break;
    case UITableViewCellStyle::Subtitle:
        layoutSubtitle(x, width, area.size.height);
        break;
    }
}

void UITableViewCell::layoutValue1(CGFloat x, CGFloat width, CGFloat height)
{
    const CGFloat gap = contentMargin;
    const CGFloat titleWidth = sizeWithFont(textLabel_->text(), textLabel_->font()).width;
    const CGFloat detailWidth = sizeWithFont(detailTextLabel_->text(), detailTextLabel_->font()).width;
    CGFloat titleShare = titleWidth;
    CGFloat detailShare = detailWidth;
    if (titleWidth + detailWidth + gap > width) {
        // Both cannot have their width: each gets a share in proportion to what it asks.
        const CGFloat room = std::max<CGFloat>(0, width - gap);
        const CGFloat asked = titleWidth + detailWidth;
        titleShare = asked > 0 ? std::floor(room * titleWidth / asked) : 0;
        detailShare = room - titleShare;
    } else {
        titleShare = width - detailWidth - gap;
    }
    textLabel_->setFrame(CGRectMake(x, 0, titleShare, height));
    detailTextLabel_->setFrame(CGRectMake(x + width - detailShare, 0, detailShare, height));
}

void UITableViewCell::layoutSubtitle(CGFloat x, CGFloat width, CGFloat height)
{
    const CGFloat titleHeight = textLabel_->text().empty() ? 0 : std::ceil(textLabel_->font()->lineHeight());
    CGFloat detailHeight = 0;
    if (!detailTextLabel_->text().empty()) {
        const int lines = detailTextLabel_->numberOfLines();
        const CGFloat lineHeight = std::ceil(detailTextLabel_->font()->lineHeight());
        if (lines == 1) {
            detailHeight = lineHeight;
        } else {
            const CGFloat bound = lines == 0 ? std::max<CGFloat>(0, height - titleHeight) : lines * lineHeight;
            detailHeight = sizeWithFontConstrainedToSizeLineBreakMode(detailTextLabel_->text(), detailTextLabel_->font(),
                                                                      CGSizeMake(width, bound),
                                                                      UILineBreakModeWordWrap)
                               .height;
        }
    }
    const CGFloat top = std::max<CGFloat>(0, std::round((height - titleHeight - detailHeight) / 2));
    textLabel_->setFrame(CGRectMake(x, top, width, titleHeight));
    detailTextLabel_->setFrame(
        CGRectMake(x, top + titleHeight, width, std::max<CGFloat>(0, std::min(detailHeight, height - top - titleHeight))));
}
