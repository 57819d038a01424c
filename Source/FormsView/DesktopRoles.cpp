#include "DesktopRoles.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include "FlDraw.h"

#include <algorithm>

#include "MenuLabel.h"
#include "ScreenScale.h"

namespace formsview {

// ---------------------------------------------------------------- text metrics

float FltkTextMetrics::TextWidth(std::string_view text, float fontSize) {
    fl_font(FL_HELVETICA, ScreenScale::ModelFontPixels(fontSize));
    return static_cast<float>(fl_width(text.data(), static_cast<int>(text.size())));
}

float FltkTextMetrics::TextHeight(float fontSize) {
    fl_font(FL_HELVETICA, ScreenScale::ModelFontPixels(fontSize));
    return static_cast<float>(fl_height());
}

// ---------------------------------------------------------------- pointer

Fl_Cursor CursorOf(int standardCursorId) {
    switch (standardCursorId) {
        case platform::IDC_WAIT:
            return FL_CURSOR_WAIT;
        case platform::IDC_SIZEWE:
            return FL_CURSOR_WE;
        case platform::IDC_HAND:
            return FL_CURSOR_HAND;
        case platform::IDC_IBEAM:
            return FL_CURSOR_INSERT;
        default:
            return FL_CURSOR_DEFAULT;
    }
}

// The installed cursor service, which also shows each cursor made current on the view's window.
// An hourglass is shown at once: the work it announces blocks the loop that would draw it.
class DesktopRoles::ViewCursors final : public platform::CursorService {
  public:
    ViewCursors(std::shared_ptr<platform::CursorService> inner, Fl_Window*& window)
        : inner_(std::move(inner)), window_(window) {}
    platform::CursorHandle LoadCursor(int id) override { return inner_->LoadCursor(id); }
    platform::CursorHandle GetCursor() override { return inner_->GetCursor(); }
    int StandardCursorId(platform::CursorHandle cursor) override {
        return inner_->StandardCursorId(cursor);
    }
    platform::CursorHandle SetCursor(platform::CursorHandle cursor) override {
        const platform::CursorHandle previous = inner_->SetCursor(cursor);
        if (window_ && window_->shown()) {
            const int id = inner_->StandardCursorId(cursor);
            window_->cursor(cursor == 0 ? FL_CURSOR_NONE : CursorOf(id));
            if (id == platform::IDC_WAIT) Fl::flush();
        }
        return previous;
    }

  private:
    std::shared_ptr<platform::CursorService> inner_;
    Fl_Window*& window_;
};

// ---------------------------------------------------------------- message boxes

std::vector<DialogButton> DialogButtons(int buttons) {
    using namespace platform;
    switch (buttons & 0xF) {
        case vbOKCancel:
            return {{"OK", vbOK}, {"Abbrechen", vbCancel}};
        case vbAbortRetryIgnore:
            return {{"Abbrechen", vbAbort}, {"Wiederholen", vbRetry}, {"Ignorieren", vbIgnore}};
        case vbYesNoCancel:
            return {{"Ja", vbYes}, {"Nein", vbNo}, {"Abbrechen", vbCancel}};
        case vbYesNo:
            return {{"Ja", vbYes}, {"Nein", vbNo}};
        case vbRetryCancel:
            return {{"Wiederholen", vbRetry}, {"Abbrechen", vbCancel}};
        default:
            return {{"OK", vbOK}};
    }
}

int DefaultButtonIndex(int buttons) {
    const int wanted = (buttons >> 8) & 3;
    return std::min(wanted, static_cast<int>(DialogButtons(buttons).size()) - 1);
}

int CloseAnswer(int buttons) {
    const auto set = DialogButtons(buttons);
    for (const auto& b : set)
        if (b.answer == platform::vbCancel) return b.answer;
    if ((buttons & 0xF) == platform::vbYesNo) return platform::vbNo;
    return set.front().answer;
}

namespace {

struct IconLook {
    const char* glyph;
    Fl_Color color;
};

IconLook IconOf(int icon) {
    switch (icon) {
        case platform::vbCritical:
            return {"X", fl_rgb_color(200, 40, 40)};
        case platform::vbQuestion:
            return {"?", fl_rgb_color(30, 100, 200)};
        case platform::vbExclamation:
            return {"!", fl_rgb_color(240, 190, 0)};
        case platform::vbInformation:
            return {"i", fl_rgb_color(30, 100, 200)};
        default:
            return {nullptr, FL_BLACK};
    }
}

struct DialogState {
    int answer = 0;
    Fl_Window* window = nullptr;
};

struct ButtonData {
    DialogState* state;
    int answer;
};

}  // namespace

int FltkMessageBoxes::ShowMessageBox(const std::string& prompt, int buttons, int icon,
                                     const std::string& title) {
    const auto set = DialogButtons(buttons);
    const int defaultIndex = DefaultButtonIndex(buttons);
    const IconLook look = IconOf(icon);
    const std::string text = EscapeLabel(prompt);

    constexpr int kMargin = 16, kIcon = 36, kButtonH = 26, kTextSize = 13;
    fl_font(FL_HELVETICA, kTextSize);
    int textW = 360, textH = 0;
    fl_measure(text.c_str(), textW, textH, 0);
    textW = std::max(textW, 120);
    textH = std::max(textH, kIcon);
    int buttonW = 80;
    for (const auto& b : set)
        buttonW = std::max(buttonW, static_cast<int>(fl_width(b.label.c_str())) + 24);
    const int iconSpace = look.glyph ? kIcon + kMargin : 0;
    const int rowW = static_cast<int>(set.size()) * (buttonW + 8) - 8;
    const int width = std::max(kMargin * 2 + iconSpace + textW, kMargin * 2 + rowW);
    const int height = kMargin * 3 + textH + kButtonH;

    DialogState state{CloseAnswer(buttons), nullptr};
    Fl_Window window(width, height);
    window.copy_label(title.c_str());
    window.color(fl_rgb_color(240, 240, 240));
    state.window = &window;
    if (look.glyph) {
        auto* glyph = new Fl_Box(FL_OVAL_BOX, kMargin, kMargin, kIcon, kIcon, look.glyph);
        glyph->color(look.color);
        glyph->labelcolor(icon == platform::vbExclamation ? FL_BLACK : FL_WHITE);
        glyph->labelfont(FL_HELVETICA_BOLD);
        glyph->labelsize(22);
    }
    auto* message = new Fl_Box(kMargin + iconSpace, kMargin, textW, textH);
    message->copy_label(text.c_str());
    message->labelsize(kTextSize);
    message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    std::vector<ButtonData> data(set.size());
    int bx = (width - rowW) / 2;
    const int by = height - kMargin - kButtonH;
    for (std::size_t i = 0; i < set.size(); ++i) {
        Fl_Button* button = static_cast<int>(i) == defaultIndex
                                ? new Fl_Return_Button(bx, by, buttonW, kButtonH)
                                : new Fl_Button(bx, by, buttonW, kButtonH);
        button->copy_label(EscapeButtonLabel(set[i].label).c_str());
        button->labelsize(kTextSize);
        data[i] = {&state, set[i].answer};
        button->callback(
            [](Fl_Widget*, void* p) {
                auto* d = static_cast<ButtonData*>(p);
                d->state->answer = d->answer;
                d->state->window->hide();
            },
            &data[i]);
        if (static_cast<int>(i) == defaultIndex) button->take_focus();
        bx += buttonW + 8;
    }
    window.end();
    // Escape and the close box give the close answer (set above).
    window.callback([](Fl_Widget* w, void*) { w->hide(); });
    window.set_modal();
    window.show();
    while (window.shown()) Fl::wait();
    return state.answer;
}

// ---------------------------------------------------------------- installation

DesktopRoles::DesktopRoles() : boxes_(std::make_shared<FltkMessageBoxes>()) {
    fl_open_display();
    // A face with the metrics of the classic dialog fonts (fontconfig substitutes the desktop's
    // sans-serif face where it is missing); measuring and drawing both use it.
    Fl::set_font(FL_HELVETICA, " Nimbus Sans");
    previousMetrics_ = rt::Role<forms::TextMetrics>::Install(std::make_shared<FltkTextMetrics>());
    // The cursor service in place now keeps its handles; this one wraps it.
    platform::Cursors();
    std::shared_ptr<platform::CursorService> inner =
        rt::Role<platform::CursorService>::Install(nullptr);
    previousCursors_ = inner;
    rt::Role<platform::CursorService>::Install(std::make_shared<ViewCursors>(inner, window_));
}

DesktopRoles::~DesktopRoles() {
    rt::Role<platform::CursorService>::Install(std::move(previousCursors_));
    rt::Role<forms::TextMetrics>::Install(std::move(previousMetrics_));
}

}  // namespace formsview
