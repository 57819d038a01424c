#pragma once
// The platform roles that the desktop view serves while it runs: text metrics from FLTK's fonts,
// the mouse pointer shown on the view's window, and message boxes as real dialogs. Installed for
// the lifetime of a DesktopRoles object; the previous implementations come back afterwards.
#include <FL/Enumerations.H>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Cursors.h"
#include "MessageBox.h"
#include "TextMetrics.h"

class Fl_Window;

namespace formsview {

// Widths and heights of texts in FLTK's sans-serif font at the toolkit's 96-dpi pixel size.
class FltkTextMetrics final : public forms::TextMetrics {
  public:
    float TextWidth(std::string_view text, float fontSize) override;
    float TextHeight(float fontSize) override;
};

// FLTK's pointer for a standard cursor id (IDC_...); the default arrow for others.
Fl_Cursor CursorOf(int standardCursorId);

// The buttons of a message box as shown, left to right, with the answer each gives.
struct DialogButton {
    std::string label;
    int answer = 0;
    friend bool operator==(const DialogButton&, const DialogButton&) = default;
};
// `buttons` may carry the default-button bits (256 second, 512 third) besides the set (0..5);
// a set outside 0..5 shows OK.
std::vector<DialogButton> DialogButtons(int buttons);
// Index in DialogButtons of the button that Enter presses.
int DefaultButtonIndex(int buttons);
// The answer when the user closes the dialog (Escape or the window's close box): Cancel where the
// set has one, No for Yes/No, Abort for Abort/Retry/Ignore, OK for OK alone.
int CloseAnswer(int buttons);

// Modal FLTK dialogs: the title, an icon for the icon code, the prompt and the buttons.
class FltkMessageBoxes final : public platform::MessageBoxService {
  public:
    int ShowMessageBox(const std::string& prompt, int buttons, int icon,
                       const std::string& title) override;
};

class DesktopRoles {
  public:
    // `window` is where the pointer shows (it may be set later with ShowPointerOn).
    DesktopRoles();
    ~DesktopRoles();
    DesktopRoles(const DesktopRoles&) = delete;
    DesktopRoles& operator=(const DesktopRoles&) = delete;

    void ShowPointerOn(Fl_Window* window) { window_ = window; }
    std::shared_ptr<platform::MessageBoxService> MessageBoxes() const { return boxes_; }

  private:
    class ViewCursors;
    Fl_Window* window_ = nullptr;
    std::shared_ptr<platform::MessageBoxService> boxes_;
    std::shared_ptr<forms::TextMetrics> previousMetrics_;
    std::shared_ptr<platform::CursorService> previousCursors_;
};

}  // namespace formsview
