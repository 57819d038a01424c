#pragma once
// A picture box: a container with a scale of its own (twips or pixels) and an optional border,
// raising Resize on every change of its size, with what is drawn on it kept as a display list
// (filled boxes and lines in its scale units) that tests and the view read.
#include <vector>

#include "Container.h"

namespace forms {

struct Shape {
    enum class Kind { Line, FilledBox };
    Kind kind;
    float x1, y1, x2, y2;
    Color color;
    friend bool operator==(const Shape&, const Shape&) = default;
};

class PictureBox : public Container {
  public:
    explicit PictureBox(std::string name);
    std::string_view TypeName() const override { return "PictureBox"; }

    Event<> Resize;

    // 1 twips (the default), 3 pixels. Raises 380 for another value.
    int ScaleMode() const noexcept { return scaleMode_; }
    void SetScaleMode(int value);
    // 0 none (the default), 1 fixed single (two pixels each side).
    int BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(int value);  // raises 380 for another value

    // Drawing in scale units; each adds to the display list and asks for a repaint.
    void Cls();
    void Line(float x1, float y1, float x2, float y2);  // in the fore colour
    void Line(float x1, float y1, float x2, float y2, Color color);
    void FilledBox(float x1, float y1, float x2, float y2, Color color);
    const std::vector<Shape>& DisplayList() const noexcept { return shapes_; }

    float ChildUnitsPerPixel() const override { return scaleMode_ == 3 ? 1.0f : TwipsPerPixel; }
    float MouseUnitsPerPixel() const override { return ChildUnitsPerPixel(); }
    float BorderPixels() const override { return borderStyle_ == 1 ? 2.0f : 0.0f; }
    bool TakesFocus() const override { return true; }

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<PictureBox>& Members();

  protected:
    void SizeChanged() override { Resize(); }
    void CopyPropertiesFrom(const Control& source) override;

  private:
    void Draw(Shape shape);
    int scaleMode_ = 1;
    int borderStyle_ = 0;
    std::vector<Shape> shapes_;
};

}  // namespace forms
