#include "GuiSession.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Bar.H>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "DesktopRoles.h"
#include "FormView.h"
#include "MenuLabel.h"
#include "Options.h"
#include "ScreenScale.h"
#include "TelmoraHost.h"
#include "TimerPump.h"

namespace telmora {

namespace {

// The diary's client area, in twips: the size the add-in window was made for.
constexpr float kPaneWidth = 12045;
constexpr float kPaneHeight = 6915;
constexpr float kMenuBarPixels = 25;  // at 96 dpi

class DiaryWindow final : public Fl_Double_Window {
  public:
    DiaryWindow(TelmoraHost& host, formsview::ScreenScale scale)
        : Fl_Double_Window(scale.TwipsToPixels(kPaneWidth),
                           scale.ToScreen(kMenuBarPixels) + scale.TwipsToPixels(kPaneHeight),
                           "Telmora"),
          host_(host),
          menu_(0, 0, w(), scale.ToScreen(kMenuBarPixels)),
          pane_(0, menu_.h(), w(), h() - menu_.h(), scale) {
        menu_.textsize(scale.FontPixels(9));
        end();
        resizable(&pane_);
        size_range(scale.ToScreen(200), scale.ToScreen(150));
        callback([](Fl_Widget*, void* self) { static_cast<DiaryWindow*>(self)->Close(); }, this);
        host_.App().SetPresenter([this](std::int32_t hWnd) {
            pane_.Attach(forms::App().FormOfWindow(hWnd));
            // Keys go to the add-in window from the start, as in the diary.
            pane_.take_focus();
        });
    }

    ~DiaryWindow() override { host_.App().SetPresenter({}); }

    // The menu as the host's state has it now (the add-in's entry appears after AppInit).
    void BuildMenu() {
        menu_.clear();
        actions_.clear();
        menu_.add("&Datei/&Beenden", FL_CTRL + 'q', Call, Keep(&DiaryWindow::Close));
        const std::string& caption = host_.App().MenuCaption();
        if (!host_.App().MenuEntry().empty()) {
            const std::string path = "&Add-ins/" + formsview::EscapeMenuPathElement(caption);
            menu_.add(path.c_str(), 0, Call, Keep(&DiaryWindow::OpenAddIn));
        } else {
            menu_.add("&Add-ins/(kein Menüeintrag)", 0, nullptr, nullptr, FL_MENU_INACTIVE);
        }
        menu_.add("&Add-ins/Add-in ausblenden", 0, Call, Keep(&DiaryWindow::HideAddIn));
        const bool german = host_.App().Settings().language == Language::German;
        menu_.add("&Sprache/Deutsch", 0, Call, Keep(&DiaryWindow::German),
                  FL_MENU_RADIO | (german ? FL_MENU_VALUE : 0));
        menu_.add("&Sprache/English", 0, Call, Keep(&DiaryWindow::English),
                  FL_MENU_RADIO | (german ? 0 : FL_MENU_VALUE));
    }

    formsview::FormView& Pane() { return pane_; }
    void Close() {
        // Nothing of the add-in may stay referenced once its library is unloaded.
        pane_.Attach(nullptr);
        host_.Unload();
        formsview::StopTimers();
        hide();
    }

  private:
    struct Action {
        DiaryWindow* window;
        void (DiaryWindow::*run)();
    };
    Action* Keep(void (DiaryWindow::*run)()) {
        actions_.push_back(std::make_unique<Action>(Action{this, run}));
        return actions_.back().get();
    }
    static void Call(Fl_Widget*, void* data) {
        auto* action = static_cast<Action*>(data);
        (action->window->*action->run)();
        formsview::ScheduleTimers();
        action->window->pane_.redraw();
    }

    void OpenAddIn() { host_.ClickMenu(); }
    void HideAddIn() {
        host_.Hide();
        pane_.Attach(nullptr);
    }
    void German() { host_.SetLanguage(Language::German); }
    void English() { host_.SetLanguage(Language::English); }

    TelmoraHost& host_;
    std::vector<std::unique_ptr<Action>> actions_;
    Fl_Menu_Bar menu_;
    formsview::FormView pane_;
};

}  // namespace

int RunGuiSession(TelmoraHost& host, const Options& options, std::ostream& out, std::ostream& err) {
    return RunDrivenGuiSession(host, options, out, err, {});
}

int RunDrivenGuiSession(TelmoraHost& host, const Options&, std::ostream& out, std::ostream& err,
                        const GuiDriver& drive) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        err << "telmora: --gui needs a display (DISPLAY is not set)\n";
        return 1;
    }
    formsview::DesktopRoles roles;
    host.AnswerMessageBoxesWith(roles.MessageBoxes());
    float dpiH = 96, dpiV = 96;
    Fl::screen_dpi(dpiH, dpiV);
    DiaryWindow window(host, formsview::ScreenScale(dpiH));
    roles.ShowPointerOn(&window);
    window.show();
    host.Start();
    window.BuildMenu();
    formsview::ScheduleTimers();
    struct Drive {
        const GuiDriver& drive;
        DiaryWindow& window;
    } driving{drive, window};
    if (drive)
        Fl::add_timeout(
            0,
            [](void* data) {
                auto* d = static_cast<Drive*>(data);
                d->drive(d->window.Pane(), [d] { d->window.Close(); });
            },
            &driving);
    Fl::run();
    formsview::StopTimers();
    host.AnswerMessageBoxesWith(nullptr);
    for (const auto& line : host.App().CallLog()) out << line << '\n';
    return 0;
}

}  // namespace telmora
