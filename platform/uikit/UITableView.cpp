#include "UITableView.h"

#include "Assertions.h"
#include "UIGraphics.h"
#include "UITableViewSectionTitleView.h"
#include "UITableViewUpdateAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace {

CGRect rowRect(const UITableViewRowData::Span& span, CGFloat width)
{
    return CGRectMake(0, span.origin, width, span.length);
}

template <class T>
std::vector<T> sortedUnique(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

void reportInvalidUpdate(const char* reason)
{
    std::fprintf(stderr, "UITableView: %s; reloading the whole table instead\n", reason);
}

} // namespace

bool UITableView::PendingUpdates::empty() const
{
    return insertedRows.empty() && deletedRows.empty() && reloadedRows.empty() && insertedSections.empty() &&
           deletedSections.empty();
}

void UITableView::PendingUpdates::name(UITableViewRowAnimation named)
{
    if (named != UITableViewRowAnimation::None) {
        animation = named;
    }
}

UITableView::UITableView(CGRect frame, UITableViewStyle style) : UIScrollView(frame), style_(style)
{
    setAlwaysBounceVertical(true);
    if (style_ == UITableViewStyle::Plain) {
        setBackgroundColor(UIColor::whiteColor());
        separatorColor_ = UIColor::colorWithWhiteAlpha(0.88, 1);
    } else {
        separatorColor_ = UIColor::colorWithWhiteAlpha(0.67, 1);
    }
}

UITableView::~UITableView() = default;

std::shared_ptr<UITableView> UITableView::initWithFrameStyle(CGRect frame, UITableViewStyle style)
{
    return std::make_shared<UITableView>(frame, style);
}

void UITableView::setDataSource(UITableViewDataSource* dataSource)
{
    dataSource_ = dataSource;
    needsReload_ = true;
    setNeedsLayout();
}

void UITableView::setDelegate(UITableViewDelegate* delegate)
{
    delegate_ = delegate;
    needsReload_ = true;
    setNeedsLayout();
}

void UITableView::setSeparatorColor(std::shared_ptr<UIColor> color)
{
    separatorColor_ = std::move(color);
    setNeedsLayout();
    setNeedsDisplay();
}

// ---------------------------------------------------------------------------------------------- loading

double UITableView::heightForRow(const NSIndexPath& path)
{
    const double height = delegate_ != nullptr ? delegate_->heightForRowAtIndexPath(*this, path) : rowHeight_;
    return std::isfinite(height) && height > 0 ? height : 0;
}

double UITableView::estimatedHeightForRow(const NSIndexPath& path)
{
    const double height =
        delegate_ != nullptr ? delegate_->estimatedHeightForRowAtIndexPath(*this, path) : estimatedRowHeight_;
    return std::isfinite(height) && height > 0 ? height : estimatedRowHeight_;
}

bool UITableView::measureRow(const NSIndexPath& path)
{
    return rows_.isRowHeightEstimated(path) && rows_.setRowHeight(path, heightForRow(path));
}

std::vector<NSIndexPath> UITableView::rowsInView() const
{
    const CGRect b = bounds();
    return rows_.indexPathsForRowsInSpan(CGRectGetMinY(b), CGRectGetMaxY(b));
}

void UITableView::measureRowsInView()
{
    for (;;) {
        const std::vector<NSIndexPath> inView = rowsInView();
        const auto isEstimated = [this](const NSIndexPath& path) { return rows_.isRowHeightEstimated(path); };
        if (std::none_of(inView.begin(), inView.end(), isEstimated)) {
            return;
        }
        // A row already measured was on screen before and stays where it was; failing one, the first row.
        const auto measured = std::find_if_not(inView.begin(), inView.end(), isEstimated);
        const NSIndexPath anchor = measured != inView.end() ? *measured : inView.front();
        const double before = rows_.rectForRow(anchor).origin;
        for (const NSIndexPath& path : inView) {
            measureRow(path);
        }
        const double moved = rows_.rectForRow(anchor).origin - before;
        if (moved != 0) {
            shiftContentOffset(CGPointMake(0, moved));
        }
        updateContentSize();
    }
}

std::optional<std::pair<NSIndexPath, double>> UITableView::topRowOnScreen() const
{
    const std::vector<NSIndexPath> inView = rowsInView();
    if (inView.empty()) {
        return std::nullopt;
    }
    return std::make_pair(inView.front(), contentOffset().y - rows_.rectForRow(inView.front()).origin);
}

void UITableView::keepRowAtTop(const std::pair<NSIndexPath, double>& anchor)
{
    if (!rows_.contains(anchor.first)) {
        return;
    }
    const double top = rows_.rectForRow(anchor.first).origin + anchor.second;
    shiftContentOffset(CGPointMake(0, top - contentOffset().y));
    updateContentSize();
}

UITableView::SectionTitles UITableView::titlesForSection(int section)
{
    return {dataSource_->titleForHeaderInSection(*this, section), dataSource_->titleForFooterInSection(*this, section)};
}

double UITableView::headerHeight(const SectionTitles& titles) const
{
    const CGFloat width = bounds().size.width;
    if (style_ == UITableViewStyle::Plain) {
        return titles.header ? UITableViewSectionTitleView::heightForTitle(
                                   UITableViewSectionTitleView::Kind::PlainHeader, *titles.header, width)
                             : 0;
    }
    return titles.header ? UITableViewSectionTitleView::heightForTitle(UITableViewSectionTitleView::Kind::GroupedHeader,
                                                                       *titles.header, width)
                         : UITableViewSectionTitleView::groupedGap;
}

double UITableView::footerHeight(const SectionTitles& titles) const
{
    const CGFloat width = bounds().size.width;
    if (style_ == UITableViewStyle::Plain) {
        return titles.footer ? UITableViewSectionTitleView::heightForTitle(
                                   UITableViewSectionTitleView::Kind::PlainFooter, *titles.footer, width)
                             : 0;
    }
    return titles.footer ? UITableViewSectionTitleView::heightForTitle(UITableViewSectionTitleView::Kind::GroupedFooter,
                                                                       *titles.footer, width)
                         : UITableViewSectionTitleView::groupedGap;
}

UITableViewRowData::Section UITableView::loadSection(int section, const SectionTitles& titles)
{
    UITableViewRowData::Section loaded;
    loaded.headerHeight = headerHeight(titles);
    loaded.footerHeight = footerHeight(titles);
    const int rows = std::max(0, dataSource_->numberOfRowsInSection(*this, section));
    const bool estimate = estimatesRowHeights();
    loaded.rowHeights.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const NSIndexPath path(row, section);
        loaded.rowHeights.push_back(estimate ? estimatedHeightForRow(path) : heightForRow(path));
    }
    if (estimate) {
        loaded.estimated.assign(static_cast<std::size_t>(rows), true);
    }
    return loaded;
}

void UITableView::reloadData()
{
    VT_ASSERT_MAIN_THREAD();
    const auto anchor = estimatesRowHeights() ? topRowOnScreen() : std::nullopt;
    needsReload_ = false;
    dismissConfirmation();
    recycleAllCells();
    removeTitleViews();
    selected_.reset();
    titles_.clear();
    std::vector<UITableViewRowData::Section> sections;
    if (dataSource_ != nullptr) {
        const int count = std::max(0, dataSource_->numberOfSectionsInTableView(*this));
        sections.reserve(static_cast<std::size_t>(count));
        titles_.reserve(static_cast<std::size_t>(count));
        for (int section = 0; section < count; ++section) {
            titles_.push_back(titlesForSection(section));
            sections.push_back(loadSection(section, titles_.back()));
        }
    }
    rows_.reset(std::move(sections));
    titlesWidth_ = bounds().size.width;
    updateContentSize();
    if (anchor) {
        keepRowAtTop(*anchor);
    }
    setNeedsLayout();
    setNeedsDisplay();
}

void UITableView::refreshTitleHeights()
{
    titlesWidth_ = bounds().size.width;
    for (int section = 0; section < numberOfSections(); ++section) {
        rows_.setSectionHeights(section, headerHeight(titles_[section]), footerHeight(titles_[section]));
    }
    removeTitleViews();
    updateContentSize();
}

void UITableView::updateContentSize()
{
    setContentSize(CGSizeMake(bounds().size.width, rows_.contentHeight()));
    if (!isDragging()) {
        const CGPoint maximum = maximumContentOffset();
        if (contentOffset().y > maximum.y) {
            setContentOffset(CGPointMake(contentOffset().x, maximum.y));
        }
    }
}

// ------------------------------------------------------------------------------------------- geometry

CGRect UITableView::rectForSection(int section) const
{
    return rowRect(rows_.rectForSection(section), bounds().size.width);
}

CGRect UITableView::rectForHeaderInSection(int section) const
{
    return rowRect(rows_.rectForHeaderInSection(section), bounds().size.width);
}

CGRect UITableView::rectForFooterInSection(int section) const
{
    return rowRect(rows_.rectForFooterInSection(section), bounds().size.width);
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& path) const
{
    return rowRect(rows_.rectForRow(path), bounds().size.width);
}

std::optional<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) const
{
    if (point.x < 0 || point.x >= bounds().size.width) {
        return std::nullopt;
    }
    return rows_.indexPathForRowAtOffset(point.y);
}

std::vector<NSIndexPath> UITableView::indexPathsForRowsInRect(CGRect rect) const
{
    const CGRect r = CGRectStandardize(rect);
    return rows_.indexPathsForRowsInSpan(CGRectGetMinY(r), CGRectGetMaxY(r));
}

std::optional<NSIndexPath> UITableView::indexPathForCell(const UITableViewCell* cell) const
{
    for (const auto& [path, shown] : cells_) {
        if (shown.get() == cell) {
            return path;
        }
    }
    return std::nullopt;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& path) const
{
    VT_ASSERT_MAIN_THREAD();
    const auto found = cells_.find(path);
    return found == cells_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() const
{
    std::vector<std::shared_ptr<UITableViewCell>> cells;
    for (const auto& [path, cell] : cells_) {
        cells.push_back(cell);
    }
    return cells;
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() const
{
    std::vector<NSIndexPath> paths;
    for (const auto& [path, cell] : cells_) {
        paths.push_back(path);
    }
    return paths;
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    VT_ASSERT_MAIN_THREAD();
    return reuseQueue_.dequeue(identifier);
}

UITableViewSectionTitleView* UITableView::headerViewForSection(int section) const
{
    const auto found = headerViews_.find(section);
    return found == headerViews_.end() ? nullptr : found->second.get();
}

UITableViewSectionTitleView* UITableView::footerViewForSection(int section) const
{
    const auto found = footerViews_.find(section);
    return found == footerViews_.end() ? nullptr : found->second.get();
}

// ---------------------------------------------------------------------------------------------- layout

void UITableView::layoutSubviews()
{
    VT_ASSERT_MAIN_THREAD();
    if (needsReload_) {
        reloadData();
    }
    if (bounds().size.width != titlesWidth_) {
        refreshTitleHeights();
    }
    measureRowsInView();
    const CGRect b = bounds();
    const double top = CGRectGetMinY(b);
    const double bottom = CGRectGetMaxY(b);
    layoutCells(top, bottom);
    layoutTitles(top, bottom);
}

void UITableView::layoutCells(double top, double bottom)
{
    const std::vector<NSIndexPath> wanted = rows_.indexPathsForRowsInSpan(top, bottom);
    const std::set<NSIndexPath> wantedSet(wanted.begin(), wanted.end());
    for (auto it = cells_.begin(); it != cells_.end();) {
        if (wantedSet.count(it->first) == 0) {
            const auto cell = it->second;
            it = cells_.erase(it);
            recycleCell(cell);
        } else {
            ++it;
        }
    }
    for (const NSIndexPath& path : wanted) {
        if (dataSource_ == nullptr) {
            break;
        }
        if (auto found = cells_.find(path); found != cells_.end()) {
            configureCell(path, *found->second);
            continue;
        }
        auto cell = dataSource_->cellForRowAtIndexPath(*this, path);
        if (!cell || !rows_.contains(path) || cells_.count(path) != 0) {
            continue;  // no cell, or the data source changed the table while making it
        }
        showCell(path, cell);
    }
}

void UITableView::showCell(const NSIndexPath& path, const std::shared_ptr<UITableViewCell>& cell)
{
    cells_.emplace(path, cell);
    insertSubviewAtIndex(cell, 0);
    configureCell(path, *cell);
}

void UITableView::configureCell(const NSIndexPath& path, UITableViewCell& cell)
{
    UITableViewCell::TableContext context;
    context.grouped = style_ == UITableViewStyle::Grouped;
    const int rows = numberOfRowsInSection(path.section());
    using Location = UITableViewCellBackgroundView::SectionLocation;
    context.location = rows <= 1                   ? Location::Alone
                       : path.row() == 0           ? Location::Top
                       : path.row() == rows - 1    ? Location::Bottom
                                                   : Location::Middle;
    context.separatorColor = separatorColor_ ? separatorColor_ : UIColor::clearColor();
    context.editingStyle = isEditing() ? editingStyleForRow(path) : UITableViewCellEditingStyle::Delete;
    context.deleteTitle = confirmationTitle_;
    cell.applyTableContext(context);
    const unsigned state = editing_.stateMaskForRow(path, context.editingStyle);
    if (cell.state() != state) {
        cell.willTransitionToState(state);
        cell.didTransitionToState(state);
    }
    const bool selected = selected_ == path;
    if (cell.isSelected() != selected) {
        cell.setSelectedAnimated(selected, false);
    }
    const CGRect frame = rectForRowAtIndexPath(path);
    if (cell.frame() != frame) {
        cell.setFrame(frame);
    }
}

void UITableView::layoutTitles(double top, double bottom)
{
    const std::vector<int> sections = rows_.sectionsInSpan(top, bottom);
    const std::set<int> shown(sections.begin(), sections.end());
    for (auto* views : {&headerViews_, &footerViews_}) {
        for (auto it = views->begin(); it != views->end();) {
            if (shown.count(it->first) == 0) {
                it->second->removeFromSuperview();
                it = views->erase(it);
            } else {
                ++it;
            }
        }
    }
    const bool grouped = style_ == UITableViewStyle::Grouped;
    using Kind = UITableViewSectionTitleView::Kind;
    const CGFloat width = bounds().size.width;
    for (int section : sections) {
        if (section >= static_cast<int>(titles_.size())) {
            break;
        }
        const SectionTitles& titles = titles_[section];
        if (titles.header) {
            auto& view = headerViews_[section];
            if (!view) {
                view = std::make_shared<UITableViewSectionTitleView>(grouped ? Kind::GroupedHeader : Kind::PlainHeader,
                                                                     *titles.header);
                insertSubviewAtIndex(view, cells_.size());
            }
            CGRect frame = rectForHeaderInSection(section);
            if (!grouped) {
                // Plain headers stay at the top while their section scrolls beneath them.
                const CGRect sectionRect = rectForSection(section);
                const CGFloat pinned = std::min<CGFloat>(top, CGRectGetMaxY(sectionRect) - frame.size.height);
                frame.origin.y = std::max<CGFloat>(frame.origin.y, pinned);
            }
            frame.size.width = width;
            view->setFrame(frame);
        }
        if (titles.footer) {
            auto& view = footerViews_[section];
            if (!view) {
                view = std::make_shared<UITableViewSectionTitleView>(grouped ? Kind::GroupedFooter : Kind::PlainFooter,
                                                                     *titles.footer);
                insertSubviewAtIndex(view, cells_.size());
            }
            view->setFrame(rectForFooterInSection(section));
        }
    }
}

void UITableView::recycleCell(const std::shared_ptr<UITableViewCell>& cell)
{
    cell->removeFromSuperview();
    reuseQueue_.enqueue(cell);
}

void UITableView::recycleAllCells()
{
    auto cells = std::move(cells_);
    cells_.clear();
    for (const auto& [path, cell] : cells) {
        recycleCell(cell);
    }
}

void UITableView::removeTitleViews()
{
    for (auto* views : {&headerViews_, &footerViews_}) {
        for (const auto& [section, view] : *views) {
            view->removeFromSuperview();
        }
        views->clear();
    }
}

void UITableView::drawRect(CGRect rect)
{
    CGContext* context = UIGraphicsGetCurrentContext();
    if (context == nullptr) {
        return;
    }
    if (style_ == UITableViewStyle::Grouped && !backgroundColor()) {
        // The pinstriped background beneath grouped cards: 5 points of blue-grey, 2 of a lighter one.
        context->setRGBFillColor(0.773, 0.800, 0.831, 1);
        context->fillRect(rect);
        context->setRGBFillColor(0.800, 0.824, 0.851, 1);
        for (CGFloat x = std::floor(CGRectGetMinX(rect) / 7) * 7 + 5; x < CGRectGetMaxX(rect); x += 7) {
            context->fillRect(CGRectMake(x, CGRectGetMinY(rect), 2, rect.size.height));
        }
        return;
    }
    if (style_ == UITableViewStyle::Plain && separatorColor_ && separatorColor_->alpha() > 0 && rowHeight_ > 0 &&
        numberOfSections() > 0) {
        // Empty rows continue the list's separators below its end.
        context->setFillColorWithColor(separatorColor_);
        const CGFloat end = std::max<CGFloat>(0, rows_.contentHeight());
        for (CGFloat y = end + rowHeight_ - 1; y < CGRectGetMaxY(rect); y += rowHeight_) {
            if (y + 1 > CGRectGetMinY(rect)) {
                context->fillRect(CGRectMake(0, y, bounds().size.width, 1));
            }
        }
    }
}

// -------------------------------------------------------------------------------------------- updates

void UITableView::beginUpdates()
{
    VT_ASSERT_MAIN_THREAD();
    ++updateDepth_;
}

void UITableView::endUpdates()
{
    VT_ASSERT_MAIN_THREAD();
    if (updateDepth_ > 0) {
        --updateDepth_;
    }
    updateFinished();
}

void UITableView::updateFinished()
{
    if (updateDepth_ == 0 && !pending_.empty()) {
        PendingUpdates updates = std::move(pending_);
        pending_ = {};
        applyUpdates(std::move(updates));
    }
}

void UITableView::insertRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation)
{
    VT_ASSERT_MAIN_THREAD();
    pending_.insertedRows.insert(pending_.insertedRows.end(), paths.begin(), paths.end());
    pending_.name(animation);
    updateFinished();
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation)
{
    VT_ASSERT_MAIN_THREAD();
    pending_.deletedRows.insert(pending_.deletedRows.end(), paths.begin(), paths.end());
    pending_.name(animation);
    updateFinished();
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& paths, UITableViewRowAnimation animation)
{
    VT_ASSERT_MAIN_THREAD();
    pending_.reloadedRows.insert(pending_.reloadedRows.end(), paths.begin(), paths.end());
    pending_.name(animation);
    updateFinished();
}

void UITableView::insertSections(const std::vector<int>& sections, UITableViewRowAnimation animation)
{
    VT_ASSERT_MAIN_THREAD();
    pending_.insertedSections.insert(pending_.insertedSections.end(), sections.begin(), sections.end());
    pending_.name(animation);
    updateFinished();
}

void UITableView::deleteSections(const std::vector<int>& sections, UITableViewRowAnimation animation)
{
    VT_ASSERT_MAIN_THREAD();
    pending_.deletedSections.insert(pending_.deletedSections.end(), sections.begin(), sections.end());
    pending_.name(animation);
    updateFinished();
}

std::optional<NSIndexPath> UITableView::mapThroughUpdate(const NSIndexPath& path, const PendingUpdates& updates) const
{
    const auto& deletedSections = updates.deletedSections;
    if (std::binary_search(deletedSections.begin(), deletedSections.end(), path.section()) ||
        std::binary_search(updates.deletedRows.begin(), updates.deletedRows.end(), path)) {
        return std::nullopt;
    }
    int section = path.section() -
                  static_cast<int>(std::lower_bound(deletedSections.begin(), deletedSections.end(), path.section()) -
                                   deletedSections.begin());
    for (int inserted : updates.insertedSections) {
        if (inserted <= section) {
            ++section;
        }
    }
    int row = path.row();
    for (const NSIndexPath& deleted : updates.deletedRows) {
        if (deleted.section() == path.section() && deleted.row() < path.row()) {
            --row;
        }
    }
    for (const NSIndexPath& inserted : updates.insertedRows) {
        if (inserted.section() == section && inserted.row() <= row) {
            ++row;
        }
    }
    return NSIndexPath(row, section);
}

bool UITableView::countsMatchDataSource(const UITableViewRowData& rows)
{
    const int sections = std::max(0, dataSource_->numberOfSectionsInTableView(*this));
    if (rows.numberOfSections() != sections) {
        return false;
    }
    for (int section = 0; section < sections; ++section) {
        if (rows.numberOfRowsInSection(section) != std::max(0, dataSource_->numberOfRowsInSection(*this, section))) {
            return false;
        }
    }
    return true;
}

void UITableView::applyUpdates(PendingUpdates updates)
{
    if (dataSource_ == nullptr || needsReload_) {
        reloadData();
        return;
    }
    updates.insertedRows = sortedUnique(std::move(updates.insertedRows));
    updates.deletedRows = sortedUnique(std::move(updates.deletedRows));
    updates.reloadedRows = sortedUnique(std::move(updates.reloadedRows));
    updates.insertedSections = sortedUnique(std::move(updates.insertedSections));
    updates.deletedSections = sortedUnique(std::move(updates.deletedSections));

    UITableViewRowData rows = rows_;
    std::vector<SectionTitles> titles = titles_;
    const auto inDeletedSection = [&](int section) {
        return std::binary_search(updates.deletedSections.begin(), updates.deletedSections.end(), section);
    };
    for (auto it = updates.deletedRows.rbegin(); it != updates.deletedRows.rend(); ++it) {
        if (!inDeletedSection(it->section()) && !rows.deleteRow(*it)) {
            reportInvalidUpdate(("deleting a row that does not exist, " + it->description()).c_str());
            reloadData();
            return;
        }
    }
    for (auto it = updates.deletedSections.rbegin(); it != updates.deletedSections.rend(); ++it) {
        if (!rows.deleteSection(*it)) {
            reportInvalidUpdate("deleting a section that does not exist");
            reloadData();
            return;
        }
        titles.erase(titles.begin() + *it);
    }
    for (int section : updates.insertedSections) {
        if (section < 0 || section > rows.numberOfSections()) {
            reportInvalidUpdate("inserting a section past the end");
            reloadData();
            return;
        }
        titles.insert(titles.begin() + section, titlesForSection(section));
        rows.insertSection(section, loadSection(section, titles[section]));
    }
    for (const NSIndexPath& path : updates.insertedRows) {
        if (std::binary_search(updates.insertedSections.begin(), updates.insertedSections.end(), path.section())) {
            continue;  // loaded with its section
        }
        if (!rows.insertRow(path, heightForRow(path))) {
            reportInvalidUpdate(("inserting a row past the end, " + path.description()).c_str());
            reloadData();
            return;
        }
    }
    std::vector<NSIndexPath> reloaded;
    for (const NSIndexPath& path : updates.reloadedRows) {
        if (auto mapped = mapThroughUpdate(path, updates)) {
            if (rows.setRowHeight(*mapped, heightForRow(*mapped))) {
                reloaded.push_back(*mapped);
            }
        }
    }
    if (!countsMatchDataSource(rows)) {
        reportInvalidUpdate("the data source's counts do not match the rows after the update");
        reloadData();
        return;
    }

    rows_ = std::move(rows);
    titles_ = std::move(titles);
    dismissConfirmation();
    // A table that no one holds cannot be told apart from one that is gone when its motion ends.
    const auto self = weak_from_this().lock();
    UITableViewUpdateAnimation motion(self ? updates.animation : UITableViewRowAnimation::None, bounds().size.width);
    std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> moved;
    for (const auto& [path, cell] : cells_) {
        const auto mapped = mapThroughUpdate(path, updates);
        if (mapped && !std::binary_search(reloaded.begin(), reloaded.end(), *mapped)) {
            motion.noteShownCell(*cell);
            moved.emplace(*mapped, cell);
        } else if (motion.isAnimated()) {
            motion.addLeavingCell(cell);
        } else {
            recycleCell(cell);
        }
    }
    cells_ = std::move(moved);
    if (selected_) {
        selected_ = mapThroughUpdate(*selected_, updates);
    }
    removeTitleViews();
    updateContentSize();
    setNeedsLayout();
    setNeedsDisplay();
    if (motion.isAnimated()) {
        layoutIfNeeded();
        motion.run(visibleCells(), self,
                   [this](const std::shared_ptr<UITableViewCell>& cell) { recycleCell(cell); });
    }
}

// ------------------------------------------------------------------------------- editing and selection

void UITableView::setEditing(bool editing) { setEditingAnimated(editing, false); }

void UITableView::setEditingAnimated(bool editing, bool)
{
    VT_ASSERT_MAIN_THREAD();
    if (editing == isEditing()) {
        return;
    }
    editing_.setEditing(editing);
    for (const auto& [path, cell] : std::map(cells_)) {
        configureCell(path, *cell);
    }
    setNeedsLayout();
}

UITableViewCellEditingStyle UITableView::editingStyleForRow(const NSIndexPath& path)
{
    if (dataSource_ == nullptr || !dataSource_->canEditRowAtIndexPath(*this, path)) {
        return UITableViewCellEditingStyle::None;
    }
    return delegate_ != nullptr ? delegate_->editingStyleForRowAtIndexPath(*this, path)
                                : UITableViewCellEditingStyle::Delete;
}

void UITableView::refreshCellState(const std::optional<NSIndexPath>& path)
{
    if (!path) {
        return;
    }
    if (auto cell = cellForRowAtIndexPath(*path)) {
        configureCell(*path, *cell);
    }
}

void UITableView::showConfirmationTitle(const NSIndexPath& path)
{
    confirmationTitle_ = delegate_ != nullptr ? delegate_->titleForDeleteConfirmationButtonForRowAtIndexPath(*this, path)
                                              : std::string("Delete");
}

bool UITableView::dismissConfirmation()
{
    const auto shown = editing_.confirmingRow();
    if (!editing_.dismissConfirmation()) {
        return false;
    }
    refreshCellState(shown);
    return true;
}

void UITableView::cellEditControlTapped(UITableViewCell& cell)
{
    const auto path = indexPathForCell(&cell);
    if (!path) {
        return;
    }
    const auto previous = editing_.confirmingRow();
    const UITableViewCellEditingStyle style = editingStyleForRow(*path);
    if (style == UITableViewCellEditingStyle::Delete && previous != path) {
        showConfirmationTitle(*path);
    }
    const auto insertion = editing_.tapEditControl(*path, style);
    refreshCellState(previous);
    refreshCellState(*path);
    if (insertion && dataSource_ != nullptr) {
        dataSource_->commitEditingStyleForRowAtIndexPath(*this, UITableViewCellEditingStyle::Insert, *insertion);
    }
}

void UITableView::cellDeleteConfirmationTapped(UITableViewCell& cell)
{
    const auto path = indexPathForCell(&cell);
    if (!path || editing_.confirmingRow() != path) {
        return;
    }
    editing_.confirm();
    refreshCellState(*path);
    if (dataSource_ != nullptr) {
        dataSource_->commitEditingStyleForRowAtIndexPath(*this, UITableViewCellEditingStyle::Delete, *path);
    }
}

void UITableView::selectRowAtIndexPath(const NSIndexPath& path, bool animated, UITableViewScrollPosition position)
{
    VT_ASSERT_MAIN_THREAD();
    if (!rows_.contains(path)) {
        return;
    }
    if (selected_ && *selected_ != path) {
        deselectRowAtIndexPath(*selected_, animated);
    }
    selected_ = path;
    if (auto cell = cellForRowAtIndexPath(path)) {
        cell->setSelectedAnimated(true, animated);
    }
    if (position != UITableViewScrollPosition::None) {
        scrollToRowAtIndexPath(path, position, animated);
    }
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath& path, bool animated)
{
    VT_ASSERT_MAIN_THREAD();
    if (selected_ == path) {
        selected_.reset();
    }
    if (auto cell = cellForRowAtIndexPath(path)) {
        cell->setSelectedAnimated(false, animated);
    }
}

void UITableView::scrollToRowAtIndexPath(const NSIndexPath& path, UITableViewScrollPosition position, bool animated)
{
    VT_ASSERT_MAIN_THREAD();
    if (!rows_.contains(path)) {
        return;
    }
    if (measureRow(path)) {
        updateContentSize();
    }
    const CGRect row = rectForRowAtIndexPath(path);
    const CGFloat height = bounds().size.height;
    CGFloat y = contentOffset().y;
    switch (position) {
    case UITableViewScrollPosition::Top:
        y = row.origin.y;
        break;
    case UITableViewScrollPosition::Middle:
        y = CGRectGetMidY(row) - height / 2;
        break;
    case UITableViewScrollPosition::Bottom:
        y = CGRectGetMaxY(row) - height;
        break;
    case UITableViewScrollPosition::None:
        if (row.origin.y < y) {
            y = row.origin.y;
        } else if (CGRectGetMaxY(row) > y + height) {
            y = CGRectGetMaxY(row) - height;
        }
        break;
    }
    y = std::clamp<CGFloat>(y, 0, maximumContentOffset().y);
    setContentOffsetAnimated(CGPointMake(contentOffset().x, y), animated);
}

bool UITableView::selectionAllowedNow() const
{
    return isEditing() ? allowsSelectionDuringEditing_ : allowsSelection_;
}

void UITableView::highlightTouchedRow(bool highlighted)
{
    if (!touchedRow_ || touchedRowWasSelected_) {
        return;
    }
    if (auto cell = cellForRowAtIndexPath(*touchedRow_)) {
        cell->setSelectedAnimated(highlighted, false);
    }
}

void UITableView::selectRowFromTouch(const NSIndexPath& path)
{
    if (!rows_.contains(path)) {
        return;
    }
    selectRowAtIndexPath(path, false, UITableViewScrollPosition::None);
    if (delegate_ != nullptr) {
        const std::shared_ptr<UIView> keep = sharedView();  // the delegate may let go of the table
        delegate_->didSelectRowAtIndexPath(*this, path);
    }
}

bool UITableView::trySwipe(CGPoint delta)
{
    if (isEditing() || !touchedRow_ || std::fabs(delta.x) <= swipeThreshold ||
        std::fabs(delta.x) < 2 * std::fabs(delta.y)) {
        return false;
    }
    const NSIndexPath row = *touchedRow_;
    const UITableViewCellEditingStyle style = editingStyleForRow(row);
    if (style != UITableViewCellEditingStyle::Delete) {
        return false;
    }
    highlightTouchedRow(false);
    showConfirmationTitle(row);
    editing_.swipe(row, style);
    refreshCellState(row);
    return true;
}

void UITableView::didBeginDragging()
{
    if (touchMode_ == TouchMode::Pending) {
        highlightTouchedRow(false);
        touchMode_ = TouchMode::Drag;
    }
}

void UITableView::touchesBeganWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty() || touchMode_ != TouchMode::None) {
        return;
    }
    const auto& touch = touches.front();
    touchStart_ = touch->locationInView(nullptr);
    beginTracking(touchStart_);
    touchedRow_ = indexPathForRowAtPoint(touch->locationInView(this));
    touchedRowWasSelected_ = touchedRow_ && selected_ == touchedRow_;
    if (dismissConfirmation()) {
        touchMode_ = TouchMode::Dismissing;
        return;
    }
    touchMode_ = TouchMode::Pending;
    if (selectionAllowedNow()) {
        highlightTouchedRow(true);
    }
}

void UITableView::touchesMovedWithEvent(const UITouchSet& touches, UIEvent*)
{
    if (touches.empty() || touchMode_ == TouchMode::None || touchMode_ == TouchMode::Swipe) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(nullptr);
    if (touchMode_ == TouchMode::Pending && !isDragging() &&
        trySwipe(CGPointMake(point.x - touchStart_.x, point.y - touchStart_.y))) {
        touchMode_ = TouchMode::Swipe;
        endTracking();
        return;
    }
    continueTracking(point);
    if (touchMode_ == TouchMode::Pending &&
        std::hypot(point.x - touchStart_.x, point.y - touchStart_.y) > dragThreshold) {
        // A finger that travelled is not a tap, even where the table cannot scroll along its way.
        highlightTouchedRow(false);
        touchMode_ = TouchMode::Drag;
    }
}

void UITableView::touchesEndedWithEvent(const UITouchSet& touches, UIEvent*)
{
    const TouchMode mode = touchMode_;
    touchMode_ = TouchMode::None;
    if (mode == TouchMode::None) {
        return;
    }
    if (mode == TouchMode::Drag || mode == TouchMode::Dismissing) {
        if (!touches.empty()) {
            continueTracking(touches.front()->locationInView(nullptr));
        }
    }
    endTracking();
    if (mode == TouchMode::Pending && touchedRow_ && selectionAllowedNow()) {
        const NSIndexPath row = *touchedRow_;
        touchedRow_.reset();
        selectRowFromTouch(row);
    }
    touchedRow_.reset();
}

void UITableView::touchesCancelledWithEvent(const UITouchSet&, UIEvent*)
{
    if (touchMode_ == TouchMode::Pending) {
        highlightTouchedRow(false);
    }
    touchMode_ = TouchMode::None;
    touchedRow_.reset();
    endTracking();
}
