#pragma once
// A global reference to a form, as the add-in holds its window: using it while it is empty creates
// a new instance and loads it (Load event); once that instance is unloaded the reference counts
// as empty again, so the next use starts a fresh form.
#include <memory>

#include "Form.h"

namespace forms {

template <class T>
class FormRef {
  public:
    // The loaded instance; created and loaded when the reference is empty.
    T& Get() {
        if (IsNothing()) instance_ = std::make_shared<T>();
        if (!instance_->Loaded()) Load(*instance_);
        return *instance_;
    }
    T& operator*() { return Get(); }
    T* operator->() { return &Get(); }

    bool IsNothing() const { return !instance_ || instance_->WasUnloaded(); }
    // Empties the reference (the instance goes when nothing else holds it).
    void Reset() { instance_.reset(); }
    // The instance as it is, without creating or loading one.
    std::shared_ptr<T> Instance() const { return IsNothing() ? nullptr : instance_; }

  private:
    std::shared_ptr<T> instance_;
};

}  // namespace forms
