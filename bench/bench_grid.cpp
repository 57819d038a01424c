// The grid with years of tips: AddItem of 32,767 rows with Redraw off and then Redraw on, one
// scroll step on a grid of 100 and of 32,767 rows (a step rewrites only the visible editors, so
// both should cost the same), and the memory a row takes.
//
// Run: cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERLOWAN_BENCH=ON
//      cmake --build build-bench --target bench_grid && build-bench/bin/bench_grid
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "Form.h"
#include "PropertyBag.h"
#include "QorSimpleGrid.h"

namespace {

constexpr int kMaxRows = 32767;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One tips-list row as the add-in adds it: a date and a tip text of about 90 characters.
std::string TipRow(int n) {
    const std::string day = std::to_string(1 + n % 9);
    std::string row;
    row.append("0").append(day).append(".0").append(day).append(".20");
    row.append(std::to_string(10 + n % 16));
    row.append("\tIhr Blutzucker lag am Abend h\xc3\xa4ufig \xc3\xbc");
    row.append("ber dem Zielbereich. Tipp Nummer ").append(std::to_string(n)).append(".");
    return row;
}

struct Window {
    forms::Form form;
    grid::QorSimpleGrid& grd = form.Add<grid::QorSimpleGrid>("grdTipps");
    Window() {
        form.Move(0, 0, 12045, 6915);
        form.Show();
        grd.Extender().Move(120, 2280, 8295, 4000);  // about 16 rows
        forms::PropertyBag bag;
        bag.WriteProperty("Header", "Datum|Tipp");
        bag.WriteProperty("ColStyle", "0|0");
        bag.WriteProperty("ColAlignment", "1|0");
        bag.WriteProperty("ColWidthAll", "100|400");
        grd.LoadProperties(bag);
    }
    // The window's fill: Redraw off, the rows, Redraw on.
    void Fill(int rows) {
        grd.Clear();
        grd.SetRedraw(false);
        for (int r = 0; r < rows; ++r) grd.AddItem(TipRow(r));
        grd.SetRedraw(true);
    }
};

void BenchFill() {
    std::vector<double> total, add;
    std::vector<std::string> lines;
    for (int r = 0; r < kMaxRows; ++r) lines.push_back(TipRow(r));
    Window window;
    for (int run = 0; run < 7; ++run) {
        window.grd.Clear();
        const auto start = Clock::now();
        window.grd.SetRedraw(false);
        for (const auto& line : lines) window.grd.AddItem(line);
        const double added = MsSince(start);
        window.grd.SetRedraw(true);
        total.push_back(MsSince(start));
        add.push_back(added);
    }
    if (window.grd.Rows() != kMaxRows ||
        window.grd.CellValue(1, kMaxRows - 1) != lines.back().substr(lines.back().find('\t') + 1))
        std::printf("fill: the grid does not hold the rows\n");
    std::printf("fill: %d rows, AddItem %.2f ms, with Redraw on %.2f ms (median of 7)\n", kMaxRows,
                Median(add), Median(total));
    std::printf("BENCH grid_fill rows=%d ours_ms=%.2f additem_ms=%.2f target_ms=10\n", kMaxRows,
                Median(total), Median(add));
}

void BenchScroll(int rows) {
    Window window;
    window.Fill(rows);
    auto& bar = window.grd.vscrGrid;
    const int steps = 20000;
    const int top = std::min(40, bar.Max() - 1);
    std::vector<double> perStep;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        for (int s = 0; s < steps; ++s) bar.SetValue(top + (s & 1));
        perStep.push_back(MsSince(start) * 1000.0 / steps);
    }
    std::printf("scroll: %d rows, %d visible, %.3f us per step (median of 5)\n", rows,
                window.grd.VisibleRows(), Median(perStep));
    std::printf("BENCH grid_scroll rows=%d us=%.3f\n", rows, Median(perStep));
}

void BenchMemory() {
    Window window;
    window.grd.Clear();
    malloc_trim(0);
    const auto before = mallinfo2().uordblks;
    window.grd.SetRedraw(false);
    for (int r = 0; r < kMaxRows; ++r) window.grd.AddItem(TipRow(r));
    const auto after = mallinfo2().uordblks;
    const double perRow = double(after - before) / kMaxRows;
    std::printf(
        "memory: %.0f bytes per row of %zu text bytes (initial texts kept only for changed "
        "cells)\n",
        perRow, TipRow(kMaxRows / 2).size());
    std::printf("BENCH grid_memory rows=%d bytes_per_row=%.0f\n", kMaxRows, perRow);
}

}  // namespace

// Without arguments every case runs; "fill", "scroll" or "memory" runs one.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "fill") BenchFill();
    if (only.empty() || only == "scroll") {
        BenchScroll(100);
        BenchScroll(kMaxRows);
    }
    if (only.empty() || only == "memory") BenchMemory();
    return 0;
}
