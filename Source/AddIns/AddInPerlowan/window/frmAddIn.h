#pragma once
// The add-in's one window: the period frame with its two lists and date boxes, the logo, the tips
// list, the tip details, the status options and the start button, on one working area. It is held
// through the global reference `frmAddIn`: using the reference when it is empty creates and loads
// a new window, and an unloaded window counts as empty.
#include <cstdint>
#include <string>

#include "ComboBox.h"
#include "CommandButton.h"
#include "Form.h"
#include "FormRef.h"
#include "Frame.h"
#include "Image.h"
#include "Label.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "QorSimpleGrid.h"
#include "TextBox.h"
#include "Variant.h"

class FrmAddIn : public forms::Form {
  public:
    FrmAddIn();

    // Fills the period and filter lists (the period list from the host's texts) and fetches the
    // frame caption from the host. Errors of the host calls reach the caller.
    void InitLanguage();

    // The tips list `grdTipps` as the window calls it: late-bound, by member name.
    rt::ObjectRef TippsGrid() const;
    // Puts `grid` in the place of the tips list (nullptr gives the place back to grdTipps).
    void OverrideTippsGrid(rt::ObjectRef grid) { gridOverride_ = std::move(grid); }

    // The list's CellGotFocus: shows the tip of row `Row` (its text and its reading status) and
    // makes it the tip whose status the options save. Errors (9 for a row without a tip, the
    // host's) reach the caller.
    void grdTipps_CellGotFocus(std::int16_t& Col, std::int16_t& Row);

    forms::PictureBox& picWorkingArea;
    forms::Frame& fraZeitraum;
    forms::ComboBox& cboZeitraum;
    forms::TextBox& txtFrom;
    forms::Label& lblTo;
    forms::TextBox& txtTo;
    forms::ComboBox& cboTippFilter;
    forms::Image& imgPerlowan;
    grid::QorSimpleGrid& grdTipps;
    forms::TextBox& txtDetails;
    forms::ControlArray<forms::OptionButton>& optStatus;
    forms::CommandButton& cmdStartExport;

  private:
    void InitComboBoxes();
    void cboZeitraum_Click();
    void txtFrom_LostFocus();
    void txtTo_LostFocus();
    void CheckDateInput(forms::TextBox& txtBox);
    void DateBox_GotFocus(forms::TextBox& txtBox);
    void cmdStartExport_Click();
    void optStatus_Click(std::int16_t& Index);
    void imgPerlowan_Click();
    void imgPerlowan_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Form_Load();
    void Form_Resize();
    void picWorkingArea_Resize();
    void Form_Unload(std::int16_t& cancel);

    rt::ObjectRef gridOverride_;
    forms::TextBox* dateFocusReturn_ = nullptr;  // the date box the focus is sent back to
};

// The platform's login page that the logo opens: "https://" + the platform's host + "/#login".
// The host is set when the build is configured (CMake cache variable PERLOWAN_PLATFORM_HOST).
std::string LoginPageAddress();

// The window of the add-in. Its last instance goes with the library (unloaded or at exit).
extern forms::FormRef<FrmAddIn> frmAddIn;

// Unloads the window when one is loaded; nothing otherwise.
void UnloadAddInWindow();
