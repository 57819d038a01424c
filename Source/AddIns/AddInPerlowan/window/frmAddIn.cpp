#include "frmAddIn.h"

#include <array>

#include "DateTime.h"
#include "Debug.h"
#include "Dispatch.h"
#include "MessageBox.h"
#include "PerlowanLogo.h"
#include "RuntimeError.h"
#include "Text.h"
#include "cIniFile.h"
#include "mGlobSub.h"
#include "mGlobVar.h"
#include "mPerlowan.h"
#include "mPerlowanStore.h"

#ifndef PERLOWAN_PLATFORM_HOST
#define PERLOWAN_PLATFORM_HOST "perlowan.example.com"
#endif

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
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("window", "window layout statement skipped: error " +
                                     std::to_string(e.Number()) + " " + e.Description());
    }
}

// The language keys of the period list, in list order. The eighth entry repeats key 64: it sets
// only the end date, like the ninth.
constexpr std::array<std::int16_t, 9> kPeriodKeys{177, 178, 60, 61, 62, 63, 64, 64, 194};

constexpr std::int16_t kInvalidDateText = 224;
constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

// Runs one statement of a routine that goes on after a failing statement, and says on the debug
// channel what it skipped.
template <class F>
void TryStatement(std::string_view routine, F&& statement) {
    try {
        statement();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("window", std::string(routine) + " skipped a statement: error " +
                                     std::to_string(e.Number()) + " " + e.Description());
    }
}

}  // namespace

std::string LoginPageAddress() {
    return std::string("https://") + PERLOWAN_PLATFORM_HOST + "/#login";
}

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
      grdTipps(picWorkingArea.Add<grid::QorSimpleGrid>("grdTipps")),
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
    imgPerlowan.SetPicture(forms::LoadPictureBytes(PerlowanLogoGif()));

    Place(grdTipps, 120, 2280, 8295, 1575, 3);
    // The list's settings as the window's design data holds them.
    forms::PropertyBag design;
    design.WriteProperty("Cols", std::int16_t{2});
    design.WriteProperty("Header", std::string("Datum|Tipp"));
    design.WriteProperty("ColWidthAll", std::string("100|400"));
    design.WriteProperty("ColAlignment", std::string("1|0"));
    design.WriteProperty("ColStyle", std::string("0|0"));
    design.WriteProperty("Fontsize", 8.25f);
    grdTipps.LoadProperties(design);

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
    txtFrom.LostFocus = [this] { txtFrom_LostFocus(); };
    txtTo.LostFocus = [this] { txtTo_LostFocus(); };
    txtFrom.GotFocus = [this] { DateBox_GotFocus(txtFrom); };
    txtTo.GotFocus = [this] { DateBox_GotFocus(txtTo); };
    cmdStartExport.Click = [this] { cmdStartExport_Click(); };
    optStatus.Wire([this](forms::OptionButton& option, int index) {
        option.Click = [this, index] {
            std::int16_t i = static_cast<std::int16_t>(index);
            optStatus_Click(i);
        };
    });
    grdTipps.CellGotFocus = [this](std::int16_t col, std::int16_t row) {
        grdTipps_CellGotFocus(col, row);
    };
    imgPerlowan.Click = [this] { imgPerlowan_Click(); };
    imgPerlowan.MouseMove = [this](std::int16_t button, std::int16_t shift, float x, float y) {
        imgPerlowan_MouseMove(button, shift, x, y);
    };
}

rt::ObjectRef FrmAddIn::TippsGrid() const {
    return gridOverride_ ? gridOverride_ : grdTipps.Object();
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

void FrmAddIn::txtFrom_LostFocus() {
    CheckDateInput(txtFrom);
}

void FrmAddIn::txtTo_LostFocus() {
    CheckDateInput(txtTo);
}

void FrmAddIn::CheckDateInput(forms::TextBox& txtBox) {
    // While the focus goes back to a box with a wrong date, the box it leaves is not checked: two
    // boxes with wrong dates would otherwise send the focus to and fro for good.
    if (dateFocusReturn_ && dateFocusReturn_ != &txtBox) return;
    dateFocusReturn_ = nullptr;
    // The text only has to be a date; it stays as the user typed it.
    if (rt::IsDateText(txtBox.Text())) return;
    TryStatement("CheckDateInput", [&] {
        platform::MessageBoxes().ShowMessageBox(LanguageText(kInvalidDateText), platform::vbOKOnly,
                                                platform::vbExclamation, "Perlowan");
    });
    dateFocusReturn_ = &txtBox;
    TryStatement("CheckDateInput", [&] {
        try {
            txtBox.SetFocus();
        } catch (const rt::RuntimeError&) {
            dateFocusReturn_ = nullptr;
            throw;
        }
    });
}

void FrmAddIn::DateBox_GotFocus(forms::TextBox& txtBox) {
    if (dateFocusReturn_ == &txtBox) dateFocusReturn_ = nullptr;
}

void FrmAddIn::cmdStartExport_Click() {
    cmdStartExport.SetEnabled(false);
    picWorkingArea.SetMousePointer(kHourglass);
    UploadPeriod(*this);
    picWorkingArea.SetMousePointer(kDefaultPointer);
    cmdStartExport.SetEnabled(true);
}

void FrmAddIn::grdTipps_CellGotFocus(std::int16_t&, std::int16_t& Row) {
    if (Row < 0 || static_cast<std::size_t>(Row) >= gtTippIds.size())
        rt::Raise(rt::err::SubscriptOutOfRange, "frmAddIn.grdTipps_CellGotFocus");
    const std::string id = gtTippIds[static_cast<std::size_t>(Row)];
    cIniFile store;
    store.IniFile(StoreFilePath());
    const std::string stored = store.Load(kSectionTipp, StoreKey(id), "");

    optStatus[0].SetTag("");  // the options below are set by the window, not chosen
    // The status is the first character read as a number: a digit, or 0 for anything else.
    const std::string first = rt::Left(stored, 1);
    const int status = first.size() == 1 && first[0] >= '0' && first[0] <= '9' ? first[0] - '0' : 0;
    if (status > 2) {
        for (int i = 0; i < 3; ++i) optStatus[i].SetValue(false);
    } else {
        optStatus[status].SetValue(true);
    }
    std::vector<rt::Variant> cell{rt::Variant(std::int16_t{1}), rt::Variant(Row)};
    const std::string text =
        rt::CallByName(TippsGrid(), "CellValue", rt::CallType::PropertyGet, cell).ToString();
    txtDetails.SetText(Replace(text, "  ", "\r\n"));
    optStatus[0].SetTag(id);
}

void FrmAddIn::optStatus_Click(std::int16_t&) {
    const std::string id = optStatus[0].Tag();
    if (id.empty()) return;
    cIniFile store;
    store.IniFile(StoreFilePath());
    const std::string key = StoreKey(id);
    const std::string rest = rt::Mid(store.Load(kSectionTipp, key, ""), 2);
    std::string value = rest;
    for (int i = 0; i < 3; ++i)
        if (optStatus[i].Value()) {
            value = std::to_string(i) + rest;
            break;
        }
    store.Save(kSectionTipp, key, rt::Variant(value));
}

void FrmAddIn::imgPerlowan_Click() {
    OpenDocument(static_cast<std::int32_t>(hWnd()), LoginPageAddress(), "");
}

void FrmAddIn::imgPerlowan_MouseMove(std::int16_t, std::int16_t, float, float) {
    SetHandCursor();
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
    // The list is placed through its container's properties: Left, Top and Move.
    Try([&] {
        const rt::ObjectRef grid = TippsGrid();
        const rt::Variant left = rt::GetProperty(grid, "Left");
        const rt::Variant top = rt::GetProperty(grid, "Top");
        rt::CallMethod(grid, "Move", left, top, rt::Variant(w - left.ToSingle()),
                       rt::Variant(txtDetails.Top() - top.ToSingle() - 120));
    });
}

void FrmAddIn::Form_Unload(std::int16_t&) {
    // The reference counts an unloaded window as empty: the next use creates a new one.
}
