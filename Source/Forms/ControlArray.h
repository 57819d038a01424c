#pragma once
// A control array: controls of one kind and name told apart by their index. Element 0 exists
// from the start; further elements are added as design elements or loaded at run time, when they
// copy the properties of the lowest element and start invisible.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Control.h"

namespace forms {

class Container;

class ControlArrayBase {
  public:
    virtual ~ControlArrayBase() = default;
    ControlArrayBase(const ControlArrayBase&) = delete;
    ControlArrayBase& operator=(const ControlArrayBase&) = delete;

    const std::string& Name() const noexcept { return name_; }
    bool Exists(int index) const { return elements_.count(index) != 0; }
    // Raise 340 when the array has no element.
    int LBound() const;
    int UBound() const;
    int Count() const noexcept { return static_cast<int>(elements_.size()); }
    std::vector<int> Indexes() const;

    // Raises 360 when the element exists, 340 for a negative index.
    void Load(int index);
    // Raises 340 when the element does not exist, 362 for an element that exists from the start.
    void Unload(int index);

  protected:
    ControlArrayBase(Container& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    Control& Element(int index) const;  // raises 340
    Control& AddElement(int index, bool designElement);
    virtual std::shared_ptr<Control> Create(const std::string& name) = 0;
    virtual void WireElement(Control& element) = 0;

  private:
    Container& owner_;
    std::string name_;
    std::map<int, Control*> elements_;
    std::map<int, bool> designElements_;
};

template <class T>
class ControlArray : public ControlArrayBase {
  public:
    // Raises 340 when the element does not exist.
    T& operator()(int index) const { return static_cast<T&>(Element(index)); }
    T& operator[](int index) const { return static_cast<T&>(Element(index)); }

    // An element that exists from the start, with its own properties. Raises 360 when present.
    T& AddDesignElement(int index) { return static_cast<T&>(AddElement(index, true)); }
    // Loads an element at run time: a copy of the lowest element's properties, invisible.
    // Raises 360 when it is loaded already, 340 for a negative index.
    T& Load(int index) {
        ControlArrayBase::Load(index);
        return (*this)(index);
    }

    // Connects the events of every element, present and future, e.g.
    // `optStatus.Wire([this](OptionButton& o, int i) { o.Click = [this, i] { ... }; });`
    void Wire(std::function<void(T&, int)> wiring) {
        wiring_ = std::move(wiring);
        for (int index : Indexes()) WireElement((*this)(index));
    }

  private:
    friend class Container;
    ControlArray(Container& owner, std::string name) : ControlArrayBase(owner, std::move(name)) {}
    void CreateFirst() { AddElement(0, true); }
    std::shared_ptr<Control> Create(const std::string& name) override {
        return std::make_shared<T>(name);
    }
    void WireElement(Control& element) override {
        if (wiring_) wiring_(static_cast<T&>(element), element.Index());
    }

    std::function<void(T&, int)> wiring_;
};

}  // namespace forms
