#pragma once
// A control that holds other controls: the form, the picture box, the frame, the user control.
// It owns its controls (in z-order, back to front) and its control arrays, and defines the scale
// in which its controls are placed.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Control.h"

namespace forms {

class ControlArrayBase;
template <class T>
class ControlArray;

class Container : public Control {
  public:
    ~Container() override;

    // Adds a control (created with the name and the further constructor arguments) in front of
    // the others. The reference stays valid as long as the container holds the control.
    template <class T, class... A>
    T& Add(std::string name, A&&... args) {
        auto control = std::make_shared<T>(std::move(name), std::forward<A>(args)...);
        T& added = *control;
        Adopt(std::move(control));
        return added;
    }
    // Adds a control array whose element 0 exists from the start (like a design-time element).
    template <class T>
    ControlArray<T>& AddArray(std::string name);

    // The controls directly inside, back to front.
    const std::vector<std::shared_ptr<Control>>& Controls() const noexcept { return children_; }
    // Every control inside, depth first, containers before their contents.
    void ForEachDescendant(const std::function<void(Control&)>& visit);
    // The control of that name (and index, for an element of a control array) anywhere inside.
    Control* FindControl(std::string_view name, int index = -1);

    // Inner size in the container's own scale units.
    float ScaleWidth() const;
    float ScaleHeight() const;
    // Scale units of the contained controls per pixel: 15 for twips, 1 for pixels.
    virtual float ChildUnitsPerPixel() const;
    // Top-left corner of the client area in pixels, relative to the form's client area.
    virtual PixelRect ClientArea() const;
    // Width of the border around the client area, in pixels.
    virtual float BorderPixels() const { return 0; }

    // The topmost shown control at a point (pixels relative to the form's client area), searched
    // into nested containers; the container itself when no control covers the point.
    Control* ControlAt(float x, float y);

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Container>& Members();

  protected:
    explicit Container(std::string name) : Control(std::move(name)) {}
    void CopyPropertiesFrom(const Control& source) override;

  private:
    friend class Control;
    friend class ControlArrayBase;
    friend class Form;

    void Adopt(std::shared_ptr<Control> control);
    void Release(Control& control);
    void BringToFront(Control& control);
    void SendToBack(Control& control);
    int NextTabIndex();

    std::vector<std::shared_ptr<Control>> children_;
    std::vector<std::unique_ptr<ControlArrayBase>> arrays_;
    // Unloaded elements stay allocated with their container, so a reference kept to one stays
    // safe to use: it only reports itself as not loaded.
    std::vector<std::shared_ptr<Control>> unloaded_;
};

}  // namespace forms

#include "ControlArray.h"

template <class T>
forms::ControlArray<T>& forms::Container::AddArray(std::string name) {
    auto array = std::unique_ptr<ControlArray<T>>(new ControlArray<T>(*this, std::move(name)));
    ControlArray<T>& added = *array;
    arrays_.push_back(std::move(array));
    added.CreateFirst();
    return added;
}
