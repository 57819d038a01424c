#pragma once
// The add-in's one window: the period frame with its two lists and date boxes, the logo, the tip
// details, the status options and the start button, on one working area. It is held through the
// global reference `frmAddIn`: using the reference when it is empty creates and loads a new
// window, and an unloaded window counts as empty.
#include <cstdint>

#include "ComboBox.h"
#include "CommandButton.h"
#include "Form.h"
#include "FormRef.h"
#include "Frame.h"
#include "Image.h"
#include "Label.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "TextBox.h"

class FrmAddIn : public forms::Form {
  public:
    FrmAddIn();

    // Fills the period and filter lists (the period list from the host's texts) and fetches the
    // frame caption from the host. Errors of the host calls reach the caller.
    void InitLanguage();

    forms::PictureBox& picWorkingArea;
    forms::Frame& fraZeitraum;
    forms::ComboBox& cboZeitraum;
    forms::TextBox& txtFrom;
    forms::Label& lblTo;
    forms::TextBox& txtTo;
    forms::ComboBox& cboTippFilter;
    forms::Image& imgPerlowan;
    forms::TextBox& txtDetails;
    forms::ControlArray<forms::OptionButton>& optStatus;
    forms::CommandButton& cmdStartExport;

  private:
    void InitComboBoxes();
    void cboZeitraum_Click();
    void Form_Load();
    void Form_Resize();
    void picWorkingArea_Resize();
    void Form_Unload(std::int16_t& cancel);
};

// The window of the add-in. Its last instance goes with the library (unloaded or at exit).
extern forms::FormRef<FrmAddIn> frmAddIn;

// Unloads the window when one is loaded; nothing otherwise.
void UnloadAddInWindow();
