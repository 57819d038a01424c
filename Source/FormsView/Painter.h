#pragma once
// Draws a form of the toolkit with FLTK, control by control, straight from the model: every
// property is read from the control at the time of drawing, nothing is kept between two draws
// except decoded pictures.
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

#include "ScreenScale.h"

class Fl_Image;

namespace forms {
class Control;
class Form;
struct PixelRect;
}  // namespace forms

namespace formsview {

// A rectangle in screen pixels.
struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;
};

class Painter {
  public:
    Painter();
    ~Painter();
    // Draws `form` with its client area's top-left corner at (originX, originY).
    void Paint(forms::Form& form, const ScreenScale& scale, int originX, int originY);
    // The screen rectangle of a toolkit rectangle (pixels of the form's client area).
    static ScreenRect ToScreen(const forms::PixelRect& r, const ScreenScale& scale, int originX,
                               int originY);
    // Width of the drop-down button of a combo box and of a vertical scroll bar, screen pixels.
    static int ScrollBarThickness(const ScreenScale& scale);

  private:
    void PaintControl(forms::Control& control);
    void PaintImage(forms::Control& control, const ScreenRect& r);
    Fl_Image* Decoded(const std::string& gifBytes);

    const ScreenScale* scale_ = nullptr;
    int originX_ = 0, originY_ = 0;
    std::unordered_map<std::size_t, std::unique_ptr<Fl_Image>> pictures_;
};

}  // namespace formsview
