// The desktop view: the time from the start of `telmora --gui` to the add-in window drawn with 60
// listed tips, and the time of one scroll step of the tips list (a wheel notch through the
// window role and the grid's subclassed window, then the redraw on the screen) with 100 and with
// 32,767 rows: a step redraws only the visible rows, so both should cost the same.
//
// Needs a display: `perlowan.sh bench` runs it under xvfb-run when none is set.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "DateTime.h"
#include "Dispatch.h"
#include "Form.h"
#include "FormView.h"
#include "GuiSession.h"
#include "InputSimulator.h"
#include "Module.h"
#include "SampleTips.h"
#include "Telmora.h"
#include "TelmoraHost.h"

// Last: the X11 header defines macros (None, KeyPress) that would replace names of the toolkit.
#include <FL/Fl.H>
#include <FL/x.H>

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Draws the pane and waits until the X server has done it. The loop runs until the pane has no
// damage left: a window just shown draws only after the server has exposed it.
bool DrawNow(formsview::FormView& pane) {
    pane.redraw();
    for (int turn = 0; turn < 100000 && pane.damage(); ++turn) Fl::check();
    XSync(fl_display, False);
    return pane.damage() == 0;
}

rt::Variant Call(forms::Control& control, const char* member, std::vector<rt::Variant> args,
                 rt::CallType type = rt::CallType::Method) {
    return rt::CallByName(control.Object(), member, type, args);
}

struct Result {
    bool ok = false;
    double startToDrawnMs = 0;
    std::vector<std::pair<int, double>> scrollUs;  // rows, microseconds per step
    double redrawUs = 0;                           // a redraw of the window alone
};

void Measure(telmora::TelmoraHost& host, formsview::FormView& pane, Clock::time_point start,
             Result& result) {
    host.ClickMenu();
    forms::Form* form = host.AddInForm();
    forms::Control* button = form ? form->FindControl("cmdStartExport") : nullptr;
    forms::Control* grid = form ? form->FindControl("grdTipps") : nullptr;
    if (!button || !grid) return;
    forms::input::Click(*button);
    if (!DrawNow(pane)) {
        std::printf("gui: the window is not drawn\n");
        return;
    }
    result.startToDrawnMs = MsSince(start);
    if (Call(*grid, "Rows", {}, rt::CallType::PropertyGet).ToLong() != 60) {
        std::printf("gui: the list does not hold 60 tips\n");
        return;
    }
    const forms::PixelRect bounds = grid->PixelBounds();
    const float x = bounds.left + bounds.width / 2, y = bounds.top + bounds.height / 2;
    for (int rows : {100, 32767}) {
        Call(*grid, "Clear", {});
        Call(*grid, "Redraw", {rt::Variant(false)}, rt::CallType::PropertyLet);
        for (int r = 0; r < rows; ++r)
            Call(*grid, "AddItem",
                 {rt::Variant("01.01.2026\tTipp Nummer " + std::to_string(r) +
                              ": Ihr Blutzucker lag am Abend häufig über dem Zielbereich.")});
        Call(*grid, "Redraw", {rt::Variant(true)}, rt::CallType::PropertyLet);
        Call(*grid, "TopRow", {rt::Variant(std::int16_t{40})}, rt::CallType::PropertyLet);
        DrawNow(pane);
        const auto top = [&] {
            return Call(*grid, "TopRow", {}, rt::CallType::PropertyGet).ToLong();
        };
        const long before = top();
        forms::input::Wheel(*form, x, y, -120);
        if (top() == before) {
            std::printf("gui: the wheel does not scroll the list (TopRow %ld)\n", before);
            return;
        }
        forms::input::Wheel(*form, x, y, 120);
        std::vector<double> perStep;
        for (int run = 0; run < 5; ++run) {
            const int steps = 100;
            const auto begin = Clock::now();
            for (int s = 0; s < steps; ++s) {
                forms::input::Wheel(*form, x, y, (s & 1) ? 120 : -120);
                DrawNow(pane);
            }
            perStep.push_back(MsSince(begin) * 1000.0 / steps);
        }
        result.scrollUs.emplace_back(rows, Median(perStep));
        if (rows == 100) {
            // The screen's share of a step: the same redraw without a scroll.
            const int steps = 100;
            std::vector<double> drawOnly;
            for (int run = 0; run < 5; ++run) {
                const auto begin = Clock::now();
                for (int s = 0; s < steps; ++s) {
                    DrawNow(pane);
                }
                drawOnly.push_back(MsSince(begin) * 1000.0 / steps);
            }
            result.redrawUs = Median(drawOnly);
        }
    }
    result.ok = true;
}

}  // namespace

int main() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr, "bench_gui: needs a display (run it under xvfb-run)\n");
        return 1;
    }
    const fs::path self = com::Modules().PathOfAddress(reinterpret_cast<const void*>(&main));
    const fs::path library = self.parent_path().parent_path() / "lib" / "libPerlowan.so";
    std::random_device random;
    const fs::path work =
        fs::temp_directory_path() / ("perlowan-bench-gui-" + std::to_string(random()));
    fs::create_directories(work);
    const rt::Date today = rt::Today();
    {
        std::ofstream tips(work / "tips.json");
        tips << telmora::SampleTipsJson(rt::Date{today.serial - 59}, today);
    }

    Result result;
    const auto start = Clock::now();
    std::ostringstream out, err;
    std::istringstream none;
    const int status = telmora::RunTelmora(
        {"--registry", (work / "registry").string(), "--register", library.string(), "--settings",
         (work / "settings").string(), "--tips", "file:" + (work / "tips.json").string(),
         "--quiet-trace", "--gui"},
        none, out, err,
        [&](telmora::TelmoraHost& host, const telmora::Options& options, std::ostream& o,
            std::ostream& e) {
            return telmora::RunDrivenGuiSession(
                host, options, o, e,
                [&](formsview::FormView& pane, const std::function<void()>& close) {
                    Measure(host, pane, start, result);
                    close();
                });
        });
    std::error_code ec;
    fs::remove_all(work, ec);
    if (status != 0 || !result.ok) {
        std::fprintf(stderr, "bench_gui: the session failed (%d)\n%s", status, err.str().c_str());
        return 1;
    }
    std::printf("gui: start to the add-in window drawn with 60 tips %.1f ms\n",
                result.startToDrawnMs);
    std::printf("BENCH gui_start tips=60 ms=%.1f\n", result.startToDrawnMs);
    std::printf("gui: a redraw of the window alone %.1f us\n", result.redrawUs);
    std::printf("BENCH gui_redraw us=%.1f\n", result.redrawUs);
    for (auto [rows, us] : result.scrollUs) {
        std::printf(
            "gui: one scroll step with %d rows %.1f us (wheel, grid, redraw; median of 5)\n", rows,
            us);
        std::printf("BENCH gui_scroll rows=%d us=%.1f\n", rows, us);
    }
    return 0;
}
