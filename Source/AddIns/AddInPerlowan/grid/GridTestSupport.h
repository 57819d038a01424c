#pragma once
// Set-up shared by the grid's tests: a form holding one grid, helpers that size it in rows, load
// it from a property bag the way the add-in window's design data does, fill it, and record every
// event the grid raises.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Form.h"
#include "PropertyBag.h"
#include "QorSimpleGrid.h"
#include "RuntimeError_test.h"
#include "ToolkitTestSupport.h"

namespace grid::testing {

using rt::testing::ErrorOf;

class GridTest : public forms::testing::ToolkitTest {
  protected:
    GridTest() { form.Move(0, 0, 12045, 6915); }

    // Sizes the control so that exactly `rows` rows of 15 pixels fit below the header; the width
    // in pixels.
    void SizeForRows(int rows, int widthPixels = 553) {
        grd.Extender().Move(120, 120, widthPixels * 15.0f, (15 + rows * 15) * 15.0f);
    }

    // Loads the grid as the add-in window's design data has it.
    void LoadLikeTheWindow(std::string header = "Datum|Tipp", std::string styles = "0|0",
                           std::string alignments = "1|0", std::string widths = "100|400") {
        forms::PropertyBag bag;
        bag.WriteProperty("Header", header);
        bag.WriteProperty("ColStyle", styles);
        bag.WriteProperty("ColAlignment", alignments);
        bag.WriteProperty("ColWidthAll", widths);
        bag.WriteProperty("Cols", static_cast<std::int16_t>(2));
        grd.LoadProperties(bag);
    }

    // The add-in window's grid, `visible` rows high, shown, then filled with `rows` rows.
    void WindowGrid(int rows, int visible = 10) {
        SizeForRows(visible);
        LoadLikeTheWindow();
        form.Show();
        Fill(rows);
    }
    // The same grid, filled without showing the form.
    void LoadedGrid(int rows, int visible = 10) {
        SizeForRows(visible);
        LoadLikeTheWindow();
        Fill(rows);
    }

    // Rows "r<row>c<col>" separated by TAB, with Redraw off, then Redraw on.
    void Fill(int rows) {
        grd.SetRedraw(false);
        for (int r = 0; r < rows; ++r) {
            std::string line;
            for (int c = 0; c < grd.Cols(); ++c) {
                if (c) line += '\t';
                line += "r" + std::to_string(r) + "c" + std::to_string(c);
            }
            grd.AddItem(line);
        }
        grd.SetRedraw(true);
    }

    void RecordEvents() {
        // "<event> <col>,<row>" for the cell events, whatever else they carry.
        auto cell = [this](const char* name) {
            return [this, name](auto col, auto row, auto&&...) {
                log.Add(std::string(name) + " " + std::to_string(col) + "," + std::to_string(row));
            };
        };
        grd.CellGotFocus = cell("CellGotFocus");
        grd.CellLostFocus = cell("CellLostFocus");
        grd.CellChange = cell("CellChange");
        grd.CellValidate = cell("CellValidate");
        grd.Scroll = log.Record("Scroll");
        grd.DblClick = log.Record("DblClick");
        grd.PropertyChangedNotify = [this](const std::string& name) {
            log.Add("PropertyChanged " + name);
        };
    }

    // RecordEvents plus the arrow-key moves and the surface's keys.
    void RecordAllEvents() {
        RecordEvents();
        grd.Navigation = [this](std::int16_t oldCol, std::int16_t oldRow, std::int16_t& newCol,
                                std::int16_t& newRow) {
            log.Add("Navigation " + std::to_string(oldCol) + "," + std::to_string(oldRow) + " to " +
                    std::to_string(newCol) + "," + std::to_string(newRow));
        };
        grd.KeyDown = [this](std::int16_t& keyCode, std::int16_t& shift) {
            log.Add("KeyDown " + std::to_string(keyCode) + "," + std::to_string(shift));
        };
    }

    // Lets the message loop run for `ms` milliseconds of the virtual clock.
    void Wait(std::uint32_t ms) { forms::App().Loop().Advance(*clock, ms); }

    // The text of a cell's own editor.
    forms::TextBox& Editor(int col, int row) {
        return grd.GetTextControl(grd.CellToIndex(col, row), col);
    }

    // The texts the visible editors of one editor row show (the cell's own editor).
    std::vector<std::string> EditorRow(int editorRow) {
        std::vector<std::string> texts;
        for (int c = 0; c < grd.Cols(); ++c)
            texts.push_back(grd.GetTextControl(editorRow * grd.Cols() + c, c).Text());
        return texts;
    }

    // The selectors whose caption shows the current-row glyph.
    std::vector<int> MarkedSelectors() {
        std::vector<int> marked;
        for (int i : grd.cmdSelectors.Indexes())
            if (!grd.cmdSelectors(i).Caption().empty()) marked.push_back(i);
        return marked;
    }

    forms::Form form;
    QorSimpleGrid& grd = form.Add<QorSimpleGrid>("grdTipps");
};

}  // namespace grid::testing
