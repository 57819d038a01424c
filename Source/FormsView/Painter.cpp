#include "Painter.h"

#include <FL/Fl.H>
#include <FL/Fl_GIF_Image.H>
#include <unistd.h>
#include "FlDraw.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Application.h"
#include "CheckBox.h"
#include "CodePage.h"
#include "Colors.h"
#include "ComboBox.h"
#include "CommandButton.h"
#include "Debug.h"
#include "Form.h"
#include "Frame.h"
#include "Image.h"
#include "Label.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "ScrollBar.h"
#include "ScrollBarParts.h"
#include "TextBox.h"
#include "TextLayout.h"
#include "TextMetrics.h"
#include "UserControl.h"

namespace formsview {

namespace {

const ScreenScale* gScale = nullptr;

void SetColor(forms::Color color) {
    const Rgb rgb = ResolveColor(color);
    fl_color(fl_rgb_color(rgb.r, rgb.g, rgb.b));
}

void SetColor(Rgb rgb) {
    fl_color(fl_rgb_color(rgb.r, rgb.g, rgb.b));
}

constexpr Rgb kShadow{160, 160, 160};
constexpr Rgb kDarkShadow{105, 105, 105};
constexpr Rgb kLight{227, 227, 227};
constexpr Rgb kHighlight{255, 255, 255};
constexpr Rgb kGreyText{109, 109, 109};
constexpr Rgb kFace{240, 240, 240};
constexpr Rgb kSelection{0, 120, 215};

void UseFont(const forms::Control& control) {
    fl_font(FL_HELVETICA, std::max(1, gScale->FontPixels(control.FontSize())));
}

void TextColor(const forms::Control& control) {
    if (control.IsEnabledThrough())
        SetColor(control.ForeColor());
    else
        SetColor(kGreyText);
}

// A sunken field (text box, combo box): two-pixel 3D border.
void SunkenBorder(const ScreenRect& r) {
    SetColor(kShadow);
    fl_xyline(r.x, r.y, r.x + r.w - 1);
    fl_yxline(r.x, r.y, r.y + r.h - 1);
    SetColor(kDarkShadow);
    fl_xyline(r.x + 1, r.y + 1, r.x + r.w - 2);
    fl_yxline(r.x + 1, r.y + 1, r.y + r.h - 2);
    SetColor(kHighlight);
    fl_xyline(r.x, r.y + r.h - 1, r.x + r.w - 1);
    fl_yxline(r.x + r.w - 1, r.y, r.y + r.h - 1);
    SetColor(kLight);
    fl_xyline(r.x + 1, r.y + r.h - 2, r.x + r.w - 2);
    fl_yxline(r.x + r.w - 2, r.y + 1, r.y + r.h - 2);
}

// A raised button face with its 3D border.
void RaisedBox(const ScreenRect& r, forms::Color face, bool pressed) {
    SetColor(face);
    fl_rectf(r.x, r.y, r.w, r.h);
    if (pressed) {
        SetColor(kDarkShadow);
        fl_rect(r.x, r.y, r.w, r.h);
        return;
    }
    SetColor(kHighlight);
    fl_xyline(r.x, r.y, r.x + r.w - 2);
    fl_yxline(r.x, r.y, r.y + r.h - 2);
    SetColor(kDarkShadow);
    fl_xyline(r.x, r.y + r.h - 1, r.x + r.w - 1);
    fl_yxline(r.x + r.w - 1, r.y, r.y + r.h - 1);
    SetColor(kShadow);
    fl_xyline(r.x + 1, r.y + r.h - 2, r.x + r.w - 2);
    fl_yxline(r.x + r.w - 2, r.y + 1, r.y + r.h - 2);
}

void FocusRect(int x, int y, int w, int h) {
    fl_color(FL_BLACK);
    fl_line_style(FL_DOT);
    fl_rect(x, y, w, h);
    fl_line_style(0);
}

// A text in a box, clipped to it; FLTK's "&" underline and symbol codes stay off.
void Text(const std::string& text, const ScreenRect& r, Fl_Align align) {
    fl_draw(text.c_str(), r.x, r.y, r.w, r.h, align | FL_ALIGN_CLIP, nullptr, 0);
}

// Byte offset of the character at `index` in a UTF-8 text.
std::size_t ByteOffset(const std::string& text, int index) {
    std::size_t pos = 0;
    for (int i = 0; i < index && pos < text.size(); ++i) rt::DecodeUtf8(text, pos);
    return pos;
}

void Arrow(int cx, int cy, int size, bool up, bool horizontal) {
    if (horizontal) {
        const int d = up ? -1 : 1;
        fl_polygon(cx - d * size / 2, cy - size, cx - d * size / 2, cy + size, cx + d * size / 2,
                   cy);
    } else {
        const int d = up ? -1 : 1;
        fl_polygon(cx - size, cy - d * size / 2, cx + size, cy - d * size / 2, cx,
                   cy + d * size / 2);
    }
}

void PaintScrollBar(const forms::ScrollBar& bar, const ScreenRect& r) {
    const bool horizontal = bar.GetOrientation() == forms::ScrollBar::Orientation::Horizontal;
    const int length = horizontal ? r.w : r.h;
    const int thickness = horizontal ? r.h : r.w;
    const ScrollBarParts parts(length, thickness, bar.Min(), bar.Max(), bar.Value());
    SetColor(forms::Color{0xF0F0F0});
    fl_rectf(r.x, r.y, r.w, r.h);
    auto box = [&](int start, int size) {
        return horizontal ? ScreenRect{r.x + start, r.y, size, r.h}
                          : ScreenRect{r.x, r.y + start, r.w, size};
    };
    const ScreenRect first = box(0, parts.arrow), last = box(length - parts.arrow, parts.arrow);
    RaisedBox(first, forms::color::SystemButtonFace, false);
    RaisedBox(last, forms::color::SystemButtonFace, false);
    SetColor(bar.IsEnabledThrough() ? Rgb{} : kGreyText);
    const int a = std::max(2, parts.arrow / 4);
    Arrow(first.x + first.w / 2, first.y + first.h / 2, a, true, horizontal);
    Arrow(last.x + last.w / 2, last.y + last.h / 2, a, false, horizontal);
    if (parts.thumbLength > 0 && bar.IsEnabledThrough())
        RaisedBox(box(parts.thumbStart, parts.thumbLength), forms::color::SystemButtonFace, false);
}

// The text box's vertical scroll bar: its value is the first visible line.
void PaintTextScrollBar(forms::TextBox& box, const ScreenRect& r) {
    const ScreenRect bar = Painter::ToScreen(box.VerticalScrollBarArea(), *gScale, r.x, r.y);
    const int lines = static_cast<int>(box.Lines().size());
    const int last = std::max(0, lines - box.VisibleLineCount());
    const ScrollBarParts parts(bar.h, bar.w, 0, last, box.FirstVisibleLine());
    SetColor(forms::Color{0xF0F0F0});
    fl_rectf(bar.x, bar.y, bar.w, bar.h);
    const ScreenRect up{bar.x, bar.y, bar.w, parts.arrow};
    const ScreenRect down{bar.x, bar.y + bar.h - parts.arrow, bar.w, parts.arrow};
    RaisedBox(up, forms::color::SystemButtonFace, false);
    RaisedBox(down, forms::color::SystemButtonFace, false);
    const bool active = last > 0 && box.IsEnabledThrough();
    SetColor(active ? Rgb{} : kGreyText);
    const int a = std::max(2, parts.arrow / 4);
    Arrow(up.x + up.w / 2, up.y + up.h / 2, a, true, false);
    Arrow(down.x + down.w / 2, down.y + down.h / 2, a, false, false);
    if (active && parts.thumbLength > 0)
        RaisedBox({bar.x, bar.y + parts.thumbStart, bar.w, parts.thumbLength},
                  forms::color::SystemButtonFace, false);
}

void PaintTextBox(forms::TextBox& box, const ScreenRect& r) {
    SetColor(box.BackColor());
    fl_rectf(r.x, r.y, r.w, r.h);
    if (box.BorderPixels() > 0) SunkenBorder(r);
    if (box.VerticalScrollBarArea().width > 0) PaintTextScrollBar(box, r);
    const ScreenRect inner = Painter::ToScreen(box.TextArea(), *gScale, r.x, r.y);
    UseFont(box);
    const std::string& text = box.Text();
    const bool focused = box.HasFocus();
    const float fontSize = box.FontSize();
    const int selFrom = box.SelStart(), selTo = box.SelStart() + box.SelLength();
    // The lines and their places come from the model (the same layout places the caret under the
    // mouse); only the pixels are the screen's.
    const std::vector<forms::TextLine> lines = box.Lines();
    const int lineHeight = gScale->ToScreen(forms::Metrics().TextHeight(fontSize));
    const int first = box.FirstVisibleLine();
    const int shown = box.VisibleLineCount() + 1;  // a part of the next line shows at the bottom
    fl_push_clip(inner.x, inner.y, inner.w, inner.h);
    for (int i = first; i < std::min(static_cast<int>(lines.size()), first + shown); ++i) {
        const forms::TextLine& line = lines[static_cast<std::size_t>(i)];
        const std::size_t from = ByteOffset(text, line.start);
        const std::size_t to = ByteOffset(text, line.start + line.length);
        const std::string shownText = text.substr(from, to - from);
        const auto xOf = [&](int position) {
            return gScale->ToScreen(forms::OffsetInLine(text, line, fontSize, position));
        };
        int x = inner.x + 1;
        if (!box.MultiLine() && box.Alignment() != 0) {
            const int free = inner.w - 2 - xOf(line.start + line.length);
            x += box.Alignment() == 1 ? free : free / 2;
        }
        const int top =
            inner.y + (box.MultiLine() ? 1 + (i - first) * lineHeight : (inner.h - lineHeight) / 2);
        const int baseline = top + (lineHeight + fl_height()) / 2 - fl_descent();
        const int lineSelFrom = std::clamp(selFrom, line.start, line.start + line.length);
        const int lineSelTo = std::clamp(selTo, line.start, line.start + line.length);
        const bool selected = focused && lineSelTo > lineSelFrom;
        if (selected) {
            SetColor(kSelection);
            fl_rectf(x + xOf(lineSelFrom), top, xOf(lineSelTo) - xOf(lineSelFrom), lineHeight);
        }
        TextColor(box);
        fl_draw(shownText.c_str(), static_cast<int>(shownText.size()), x, baseline);
        if (selected) {
            const std::size_t a = ByteOffset(text, lineSelFrom), b = ByteOffset(text, lineSelTo);
            fl_color(FL_WHITE);
            fl_draw(text.c_str() + a, static_cast<int>(b - a), x + xOf(lineSelFrom), baseline);
        }
        if (focused && selTo == selFrom && forms::LineOfPosition(lines, selFrom) == i) {
            fl_color(FL_BLACK);
            fl_yxline(x + xOf(selFrom), top + 1, top + lineHeight - 2);
        }
    }
    fl_pop_clip();
}

void PaintComboBox(forms::ComboBox& combo, const ScreenRect& r) {
    const bool enabled = combo.IsEnabledThrough();
    SetColor(enabled ? combo.BackColor() : forms::color::SystemButtonFace);
    fl_rectf(r.x, r.y, r.w, r.h);
    SunkenBorder(r);
    const int bar = Painter::ScrollBarThickness(*gScale);
    const ScreenRect button{r.x + r.w - 2 - bar, r.y + 2, bar, r.h - 4};
    RaisedBox(button, forms::color::SystemButtonFace, false);
    SetColor(enabled ? Rgb{} : kGreyText);
    Arrow(button.x + button.w / 2, button.y + button.h / 2, std::max(2, bar / 4), false, false);
    const ScreenRect field{r.x + 3, r.y + 3, r.w - bar - 6, r.h - 6};
    UseFont(combo);
    const std::string text = combo.Text();
    if (combo.HasFocus()) {
        SetColor(kSelection);
        fl_rectf(field.x, field.y, field.w, field.h);
        fl_color(FL_WHITE);
        FocusRect(field.x, field.y, field.w, field.h);
        fl_color(FL_WHITE);
    } else {
        TextColor(combo);
    }
    Text(text, {field.x + 2, field.y, field.w - 2, field.h}, FL_ALIGN_LEFT);
}

void PaintCaptioned(forms::Control& control, const std::string& caption, const ScreenRect& r,
                    int mark, bool isOption, int value) {
    SetColor(control.BackColor());
    fl_rectf(r.x, r.y, r.w, r.h);
    const int size = gScale->ToScreen(13);
    const int my = r.y + (r.h - size) / 2;
    fl_color(FL_WHITE);
    if (isOption) {
        fl_pie(r.x, my, size, size, 0, 360);
        SetColor(kShadow);
        fl_arc(r.x, my, size, size, 0, 360);
        if (value) {
            fl_color(FL_BLACK);
            const int dot = std::max(3, size / 3);
            fl_pie(r.x + (size - dot) / 2, my + (size - dot) / 2, dot, dot, 0, 360);
        }
    } else {
        fl_rectf(r.x, my, size, size);
        SetColor(kShadow);
        fl_rect(r.x, my, size, size);
        if (value) {
            SetColor(value == 2 ? kGreyText : Rgb{});
            fl_line_style(FL_SOLID, std::max(2, size / 6));
            fl_line(r.x + size / 4, my + size / 2, r.x + size / 2 - 1, my + size * 3 / 4,
                    r.x + size * 3 / 4 + 1, my + size / 4);
            fl_line_style(0);
        }
    }
    (void)mark;
    UseFont(control);
    TextColor(control);
    const int textX = r.x + size + gScale->ToScreen(4);
    Text(caption, {textX, r.y, r.w - (textX - r.x), r.h}, FL_ALIGN_LEFT);
    if (control.HasFocus()) {
        const int tw = static_cast<int>(fl_width(caption.c_str()));
        FocusRect(textX - 1, r.y + (r.h - fl_height()) / 2, std::min(tw + 3, r.w - (textX - r.x)),
                  fl_height());
    }
}

void PaintFrame(forms::Frame& frame, const ScreenRect& r) {
    SetColor(frame.BackColor());
    fl_rectf(r.x, r.y, r.w, r.h);
    UseFont(frame);
    const int top = r.y + fl_height() / 2;
    SetColor(kShadow);
    fl_rect(r.x, top, r.w - 1, r.h - (top - r.y) - 1);
    SetColor(kHighlight);
    fl_rect(r.x + 1, top + 1, r.w - 1, r.h - (top - r.y) - 1);
    if (frame.Caption().empty()) return;
    const int gap = gScale->ToScreen(6);
    const int tw = static_cast<int>(fl_width(frame.Caption().c_str()));
    SetColor(frame.BackColor());
    fl_rectf(r.x + gap, r.y, std::min(tw + 4, r.w - 2 * gap), fl_height());
    TextColor(frame);
    Text(frame.Caption(), {r.x + gap + 2, r.y, std::max(0, r.w - 2 * gap - 4), fl_height()},
         FL_ALIGN_LEFT);
}

void PaintPictureBox(forms::PictureBox& box, const ScreenRect& r, int originX, int originY) {
    SetColor(box.BackColor());
    fl_rectf(r.x, r.y, r.w, r.h);
    if (box.BorderStyle() == 1) SunkenBorder(r);
    const forms::PixelRect client = box.ClientArea();
    const float unitsPerPixel = box.ChildUnitsPerPixel();
    auto sx = [&](float units) {
        return originX + gScale->ToScreen(client.left + units / unitsPerPixel);
    };
    auto sy = [&](float units) {
        return originY + gScale->ToScreen(client.top + units / unitsPerPixel);
    };
    for (const forms::Shape& shape : box.DisplayList()) {
        SetColor(shape.color);
        if (shape.kind == forms::Shape::Kind::Line) {
            fl_line(sx(shape.x1), sy(shape.y1), sx(shape.x2), sy(shape.y2));
        } else {
            const int x1 = sx(std::min(shape.x1, shape.x2)), x2 = sx(std::max(shape.x1, shape.x2));
            const int y1 = sy(std::min(shape.y1, shape.y2)), y2 = sy(std::max(shape.y1, shape.y2));
            fl_rectf(x1, y1, x2 - x1 + 1, y2 - y1 + 1);
        }
    }
}

}  // namespace

Painter::Painter() = default;
Painter::~Painter() = default;

int Painter::ScrollBarThickness(const ScreenScale& scale) {
    return scale.ToScreen(forms::ScrollBarThicknessPixels);
}

ScreenRect Painter::ToScreen(const forms::PixelRect& r, const ScreenScale& scale, int originX,
                             int originY) {
    const int x = originX + scale.ToScreen(r.left);
    const int y = originY + scale.ToScreen(r.top);
    return {x, y, originX + scale.ToScreen(r.left + r.width) - x,
            originY + scale.ToScreen(r.top + r.height) - y};
}

void Painter::Paint(forms::Form& form, const ScreenScale& scale, int originX, int originY) {
    scale_ = &scale;
    gScale = &scale;
    originX_ = originX;
    originY_ = originY;
    PaintControl(form);
    gScale = nullptr;
}

Fl_Image* Painter::Decoded(const std::string& gifBytes) {
    const std::size_t key = std::hash<std::string>{}(gifBytes);
    if (auto it = pictures_.find(key); it != pictures_.end()) return it->second.get();
    // FLTK 1.3 reads GIF pictures from files only.
    std::string path = (std::filesystem::temp_directory_path() / "perlowan-view-XXXXXX").string();
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    std::unique_ptr<Fl_Image> image;
    const int fd = mkstemp(name.data());
    if (fd >= 0) {
        const bool written =
            write(fd, gifBytes.data(), gifBytes.size()) == static_cast<ssize_t>(gifBytes.size());
        close(fd);
        if (written) image = std::make_unique<Fl_GIF_Image>(name.data());
        unlink(name.data());
    }
    if (!image || image->w() <= 0) {
        PERLOWAN_DEBUG("view", "a picture of " + std::to_string(gifBytes.size()) +
                                   " bytes could not be decoded; the image shows empty");
        image.reset();
    }
    return (pictures_[key] = std::move(image)).get();
}

void Painter::PaintImage(forms::Control& control, const ScreenRect& r) {
    const auto& image = static_cast<forms::Image&>(control);
    if (image.GetPicture().IsEmpty()) return;
    Fl_Image* picture = Decoded(image.GetPicture().bytes);
    if (!picture) return;
    if (picture->w() == r.w && picture->h() == r.h) {
        picture->draw(r.x, r.y);
        return;
    }
    std::unique_ptr<Fl_Image> sized(picture->copy(r.w, r.h));
    sized->draw(r.x, r.y);
}

void Painter::PaintControl(forms::Control& control) {
    if (!control.Visible() || !control.ShownAtRunTime() || !control.IsLoaded()) return;
    const ScreenRect r = ToScreen(control.PixelBounds(), *scale_, originX_, originY_);
    if (r.w <= 0 || r.h <= 0) return;
    fl_push_clip(r.x, r.y, r.w, r.h);
    const std::string_view kind = control.TypeName();
    if (auto* box = dynamic_cast<forms::PictureBox*>(&control)) {
        PaintPictureBox(*box, r, originX_, originY_);
    } else if (auto* frame = dynamic_cast<forms::Frame*>(&control)) {
        PaintFrame(*frame, r);
    } else if (auto* text = dynamic_cast<forms::TextBox*>(&control)) {
        PaintTextBox(*text, r);
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&control)) {
        PaintComboBox(*combo, r);
    } else if (auto* option = dynamic_cast<forms::OptionButton*>(&control)) {
        PaintCaptioned(control, option->Caption(), r, 0, true, option->Value() ? 1 : 0);
    } else if (auto* check = dynamic_cast<forms::CheckBox*>(&control)) {
        if (check->Caption().empty() && control.ParentUserControl()) {
            // A grid cell's check box: the box alone, centred.
            SetColor(control.BackColor());
            fl_rectf(r.x, r.y, r.w, r.h);
            const int size = scale_->ToScreen(13);
            PaintCaptioned(control, "", {r.x + (r.w - size) / 2, r.y, size, r.h}, 0, false,
                           check->Value());
        } else {
            PaintCaptioned(control, check->Caption(), r, 0, false, check->Value());
        }
    } else if (auto* button = dynamic_cast<forms::CommandButton*>(&control)) {
        const bool pressed = forms::App().Capture() == &control && forms::App().Hover() == &control;
        RaisedBox(r, control.BackColor(), pressed);
        UseFont(control);
        TextColor(control);
        Text(button->Caption(), {r.x + 2, r.y + 1, r.w - 4, r.h - 2}, FL_ALIGN_CENTER);
        if (control.HasFocus()) FocusRect(r.x + 3, r.y + 3, r.w - 6, r.h - 6);
    } else if (auto* label = dynamic_cast<forms::Label*>(&control)) {
        SetColor(control.BackColor());
        fl_rectf(r.x, r.y, r.w, r.h);
        UseFont(control);
        TextColor(control);
        const Fl_Align align = label->Alignment() == 1   ? FL_ALIGN_RIGHT
                               : label->Alignment() == 2 ? FL_ALIGN_CENTER
                                                         : FL_ALIGN_LEFT;
        Text(label->Caption(), r, align | FL_ALIGN_TOP | FL_ALIGN_WRAP);
    } else if (kind == "Image") {
        PaintImage(control, r);
    } else if (auto* bar = dynamic_cast<forms::ScrollBar*>(&control)) {
        PaintScrollBar(*bar, r);
    } else {
        // Forms and user control surfaces: their background.
        SetColor(control.BackColor());
        fl_rectf(r.x, r.y, r.w, r.h);
    }
    if (auto* container = dynamic_cast<forms::Container*>(&control)) {
        const ScreenRect client = ToScreen(container->ClientArea(), *scale_, originX_, originY_);
        fl_push_clip(client.x, client.y, client.w, client.h);
        // A copy: painting reads only, but a control list is never iterated while it could change.
        const auto children = container->Controls();
        for (const auto& child : children) PaintControl(*child);
        fl_pop_clip();
    }
    fl_pop_clip();
}

}  // namespace formsview
