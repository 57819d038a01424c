#include "frmAddIn.h"

#include <array>

#include "DateTime.h"
#include "RuntimeError.h"
#include "mGlobSub.h"

namespace {

using forms::color::SystemWindow;
using forms::color::SystemWindowText;
using forms::color::White;

template <class C>
C& Place(C& control, float left, float top, float width, float height, int tabIndex) {
    control.Move(left, top, width, height);
    if (tabIndex >= 0) control.SetTabIndex(tabIndex);
    return control;
}

// Runs one layout statement; a failing statement is skipped and the next one runs.
template <class F>
void Try(F&& statement) {
    try {
        statement();
    } catch (const rt::RuntimeError&) {
    }
}

// The language keys of the period list, in list order. The eighth entry repeats key 64: it sets
// only the end date, like the ninth.
constexpr std::array<std::int16_t, 9> kPeriodKeys{177, 178, 60, 61, 62, 63, 64, 64, 194};

}  // namespace

forms::FormRef<FrmAddIn> frmAddIn;

void UnloadAddInWindow() {
    if (auto window = frmAddIn.Instance()) forms::Unload(*window);
}

FrmAddIn::FrmAddIn()
    : forms::Form("frmAddIn"),
      picWorkingArea(Add<forms::PictureBox>("picWorkingArea")),
      fraZeitraum(picWorkingArea.Add<forms::Frame>("fraZeitraum")),
      cboZeitraum(fraZeitraum.Add<forms::ComboBox>("cboZeitraum")),
      txtFrom(fraZeitraum.Add<forms::TextBox>("txtFrom")),
      lblTo(fraZeitraum.Add<forms::Label>("lblTo")),
      txtTo(fraZeitraum.Add<forms::TextBox>("txtTo")),
      cboTippFilter(fraZeitraum.Add<forms::ComboBox>("cboTippFilter")),
      imgPerlowan(picWorkingArea.Add<forms::Image>("imgPerlowan")),
      txtDetails(picWorkingArea.Add<forms::TextBox>("txtDetails")),
      optStatus(picWorkingArea.AddArray<forms::OptionButton>("optStatus")),
      cmdStartExport(picWorkingArea.Add<forms::CommandButton>("cmdStartExport")) {
    // Design values: twips, relative to the container.
    SetCaption("Form1");
    Move(0, 0, 12045, 6915);
    SetBackColor(SystemWindow);

    Place(picWorkingArea, 360, 120, 8775, 6615, 9);
    picWorkingArea.SetBackColor(SystemWindow);
    picWorkingArea.SetForeColor(SystemWindowText);

    Place(fraZeitraum, 120, 120, 6495, 1710, 10);
    fraZeitraum.SetCaption("Zeitraum");
    fraZeitraum.SetBackColor(White);
    fraZeitraum.SetForeColor(SystemWindowText);
    Place(cboZeitraum, 360, 480, 2535, 315, 0);
    Place(txtFrom, 360, 1080, 1095, 285, 1).SetBackColor(White);
    Place(lblTo, 1530, 1110, 255, 255, 11).SetCaption("-");
    Place(txtTo, 1680, 1080, 1215, 285, 2).SetBackColor(White);
    Place(cboTippFilter, 3600, 480, 2775, 315, 12);

    Place(imgPerlowan, 6720, 240, 1935, 1620, -1);

    Place(txtDetails, 120, 3960, 8295, 975, 4);
    txtDetails.SetMultiLine(true);
    txtDetails.SetScrollBars(2);  // vertical
    txtDetails.SetLocked(true);
    txtDetails.SetBackColor(White);

    struct Option {
        float left, width;
        int tabIndex;
        const char* caption;
    };
    constexpr Option options[] = {{120, 2295, 5, "Tipp noch nicht gelesen"},
                                  {3240, 1575, 6, "Tipp gelesen"},
                                  {5400, 2655, 7, "Tipp nicht mehr anzeigen"}};
    for (int i = 0; i < 3; ++i) {
        forms::OptionButton& option = i == 0 ? optStatus[0] : optStatus.AddDesignElement(i);
        Place(option, options[i].left, 5160, options[i].width, 255, options[i].tabIndex);
        option.SetCaption(options[i].caption);
        option.SetBackColor(White);
    }
    optStatus[2].SetVisible(false);

    Place(cmdStartExport, 5880, 6120, 2655, 480, 8).SetCaption("Tipps von Perlowan abfragen");

    Load = [this] { Form_Load(); };
    Resize = [this] { Form_Resize(); };
    Unload = [this](std::int16_t& cancel) { Form_Unload(cancel); };
    picWorkingArea.Resize = [this] { picWorkingArea_Resize(); };
    cboZeitraum.Click = [this] { cboZeitraum_Click(); };
}

void FrmAddIn::InitLanguage() {
    InitComboBoxes();
    fraZeitraum.SetCaption(LanguageText(229));
}

void FrmAddIn::InitComboBoxes() {
    cboZeitraum.Clear();
    for (std::int16_t key : kPeriodKeys) cboZeitraum.AddItem(LanguageText(key));
    cboZeitraum.SetListIndex(0);
    cboZeitraum_Click();

    cboTippFilter.Clear();
    cboTippFilter.AddItem("Nur ungelesene Tipps anzeigen");
    cboTippFilter.AddItem("Alle Tipps anzeigen");
    cboTippFilter.SetListIndex(0);
}

void FrmAddIn::cboZeitraum_Click() {
    const rt::Date today = rt::Today();
    txtTo.SetText(rt::ShortDateText(today));
    const int i = cboZeitraum.ListIndex();
    if (i < 0 || i > 6) return;
    constexpr int days[] = {1, 7, 14, 28, 42};
    const rt::Date from =
        i <= 4 ? rt::AddDays(today, -days[i]) : rt::AddMonths(today, i == 5 ? -2 : -3);
    txtFrom.SetText(rt::ShortDateText(from));
    txtTo.SetText(rt::ShortDateText(today));
}

void FrmAddIn::Form_Load() {
    SetWidth(0);
    SetHeight(0);
    InitLanguage();
}

void FrmAddIn::Form_Resize() {
    Try([&] { picWorkingArea.Move(0, 0, Width(), Height()); });
}

void FrmAddIn::picWorkingArea_Resize() {
    const float w = picWorkingArea.ScaleWidth();
    const float h = picWorkingArea.ScaleHeight();
    Try([&] { imgPerlowan.SetLeft(w - imgPerlowan.Width()); });
    Try([&] { fraZeitraum.SetWidth(imgPerlowan.Left() - fraZeitraum.Left() - 120); });
    Try([&] { cmdStartExport.Move(w - cmdStartExport.Width(), h - cmdStartExport.Height()); });
    Try([&] { optStatus[0].SetTop(cmdStartExport.Top() - optStatus[0].Height() - 240); });
    Try([&] { optStatus[1].SetTop(optStatus[0].Top()); });
    Try([&] { optStatus[2].SetTop(optStatus[0].Top()); });
    Try([&] {
        txtDetails.Move(txtDetails.Left(), optStatus[0].Top() - txtDetails.Height() - 120,
                        w - txtDetails.Left());
    });
}

void FrmAddIn::Form_Unload(std::int16_t&) {
    // The reference counts an unloaded window as empty: the next use creates a new one.
}
