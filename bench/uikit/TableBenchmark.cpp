// A table of 10,000 rows: reloading it, and scrolling through it a step at a time, beside the floor of
// what any table must do for the same work: ask every row's height and sum the positions once per reload;
// per scroll step, find the first visible row and fill in the cells of the rows on screen.
#include "UILabel.h"
#include "UITableView.h"
#include "UITableViewCell.h"
#include "UITableViewDataSource.h"
#include "UITableViewDelegate.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10'000;
constexpr double kScrollStep = 37; // points per step: rows come into view at varying phases

// Rows of two heights, as a list of one-line and two-line notifications has.
double heightOfRow(int row)
{
    return row % 3 == 0 ? 66 : 44;
}

std::string textOfRow(int row)
{
    return "Notification " + std::to_string(row);
}

class Rows : public UITableViewDataSource, public UITableViewDelegate {
public:
    int numberOfRowsInSection(UITableView&, int) override { return kRows; }
    double heightForRowAtIndexPath(UITableView&, const NSIndexPath& path) override { return heightOfRow(path.row()); }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
    {
        ++cellsAsked;
        auto cell = table.dequeueReusableCellWithIdentifier("Row");
        if (!cell) {
            cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Subtitle, "Row");
        }
        cell->textLabel()->setText(textOfRow(path.row()));
        cell->detailTextLabel()->setText("2 minutes ago");
        return cell;
    }

    long cellsAsked = 0;
};

struct Table {
    Rows rows;
    std::shared_ptr<UITableView> view = UITableView::initWithFrameStyle(CGRectMake(0, 0, 320, 480), UITableViewStyle::Plain);

    Table()
    {
        view->setDataSource(&rows);
        view->setDelegate(&rows);
    }
    ~Table()
    {
        view->setDataSource(nullptr);
        view->setDelegate(nullptr);
    }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
};

void BM_TableReloadTenThousandRows(benchmark::State& state)
{
    Table table;
    for (auto _ : state) {
        table.view->reloadData();
        table.view->layoutIfNeeded();
    }
    state.counters["cells_per_reload"] =
        static_cast<double>(table.rows.cellsAsked) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TableReloadTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_TableScrollStepTenThousandRows(benchmark::State& state)
{
    Table table;
    table.view->reloadData();
    table.view->layoutIfNeeded();
    const double bottom = table.view->contentSize().height - table.view->bounds().size.height;
    double offset = 0;
    table.rows.cellsAsked = 0;
    for (auto _ : state) {
        offset = offset + kScrollStep > bottom ? 0 : offset + kScrollStep;
        table.view->setContentOffset(CGPointMake(0, offset));
        table.view->layoutIfNeeded();
    }
    state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["visible_cells"] = static_cast<double>(table.view->visibleCells().size());
}
BENCHMARK(BM_TableScrollStepTenThousandRows)->Unit(benchmark::kMicrosecond);

// The floor of a reload: every height asked once, the row positions summed.
void BM_FloorRowPositionsTenThousandRows(benchmark::State& state)
{
    Rows rows;
    auto table = UITableView::initWithFrameStyle(CGRectMake(0, 0, 320, 480), UITableViewStyle::Plain);
    std::vector<double> tops(kRows + 1);
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            tops[static_cast<std::size_t>(row) + 1] =
                tops[static_cast<std::size_t>(row)] + rows.heightForRowAtIndexPath(*table, NSIndexPath(row, 0));
        }
        benchmark::DoNotOptimize(tops.back());
    }
}
BENCHMARK(BM_FloorRowPositionsTenThousandRows)->Unit(benchmark::kMillisecond);

// The floor of a scroll step: a binary search for the first row on screen, then the texts of the rows on
// screen set on cells kept ready (no reuse queue, no layout).
void BM_FloorScrollStepTenThousandRows(benchmark::State& state)
{
    std::vector<double> tops(kRows + 1);
    for (int row = 0; row < kRows; ++row) {
        tops[static_cast<std::size_t>(row) + 1] = tops[static_cast<std::size_t>(row)] + heightOfRow(row);
    }
    std::vector<std::shared_ptr<UITableViewCell>> cells;
    for (int i = 0; i < 16; ++i) {
        cells.push_back(UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Subtitle, "Row"));
    }
    const double bottom = tops.back() - 480;
    double offset = 0;
    for (auto _ : state) {
        offset = offset + kScrollStep > bottom ? 0 : offset + kScrollStep;
        const auto first = std::upper_bound(tops.begin(), tops.end(), offset) - tops.begin() - 1;
        std::size_t used = 0;
        for (auto row = first; row < kRows && tops[static_cast<std::size_t>(row)] < offset + 480; ++row) {
            UITableViewCell& cell = *cells[used++ % cells.size()];
            cell.textLabel()->setText(textOfRow(static_cast<int>(row)));
            cell.detailTextLabel()->setText("2 minutes ago");
        }
        benchmark::DoNotOptimize(used);
    }
    state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FloorScrollStepTenThousandRows)->Unit(benchmark::kMicrosecond);

} // namespace
