#pragma once
// Owns one reference of a component interface.
#include <utility>

namespace com {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters of QueryInterface-like calls; releases what was held.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }

  private:
    T* p_ = nullptr;
};

}  // namespace com
