#include "PictureBox.h"

#include "MemberRows.h"

namespace forms {

PictureBox::PictureBox(std::string name) : Container(std::move(name)) {}

void PictureBox::SetScaleMode(int value) {
    if (value != 1 && value != 3) rt::Raise(err::InvalidPropertyValue, Name());
    scaleMode_ = value;
    Changed("ScaleMode");
}

void PictureBox::SetBorderStyle(int value) {
    if (value != 0 && value != 1) rt::Raise(err::InvalidPropertyValue, Name());
    borderStyle_ = value;
    Changed("BorderStyle");
}

void PictureBox::Cls() {
    shapes_.clear();
    Changed("DisplayList");
}

void PictureBox::Line(float x1, float y1, float x2, float y2) {
    Line(x1, y1, x2, y2, ForeColor());
}

void PictureBox::Line(float x1, float y1, float x2, float y2, Color color) {
    Draw({Shape::Kind::Line, x1, y1, x2, y2, color});
}

void PictureBox::FilledBox(float x1, float y1, float x2, float y2, Color color) {
    Draw({Shape::Kind::FilledBox, x1, y1, x2, y2, color});
}

void PictureBox::Draw(Shape shape) {
    shapes_.push_back(shape);
    Changed("DisplayList");
}

void PictureBox::CopyPropertiesFrom(const Control& source) {
    Container::CopyPropertiesFrom(source);
    const auto& other = static_cast<const PictureBox&>(source);
    scaleMode_ = other.scaleMode_;
    borderStyle_ = other.borderStyle_;
}

rt::DispId PictureBox::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<PictureBox, Container>(name);
}

rt::Variant PictureBox::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<PictureBox, Container>(id, type, args);
}

const rt::DispatchTable<PictureBox>& PictureBox::Members() {
    using P = PictureBox;
    static const rt::DispatchTable<PictureBox> table{
        rows::Property<P>(
            "ScaleMode", 100, [](P& p) { return static_cast<std::int16_t>(p.ScaleMode()); },
            [](P& p, std::int16_t v) { p.SetScaleMode(v); }),
        rows::Property<P>(
            "BorderStyle", 101, [](P& p) { return static_cast<std::int16_t>(p.BorderStyle()); },
            [](P& p, std::int16_t v) { p.SetBorderStyle(v); }),
        rows::Method<P>("Cls", 102, [](P& p, std::span<rt::Variant>) { p.Cls(); }),
    };
    return table;
}

}  // namespace forms
