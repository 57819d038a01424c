#pragma once
// One installed implementation per platform role. Each role's .cpp defines MakeDefaultRole<R>()
// (the Linux implementation); tests install fakes with ScopedRole for the length of a test.
//
// A role's slot exists once in the process, in the runtime library: the role's header declares
// it with PERLOWAN_DECLARE_ROLE(R), its .cpp defines it with PERLOWAN_DEFINE_ROLE(R). A slot
// defined in this header would be instantiated by every library that uses the role, and an
// add-in library would see roles of its own instead of its host's.
#include <memory>
#include <utility>

#include "Export.h"

namespace rt {

template <class R>
std::shared_ptr<R> MakeDefaultRole();

template <class R>
class Role {
  public:
    // The installed implementation; the default one on first use.
    static R& Get() {
        auto& slot = Slot();
        if (!slot) slot = MakeDefaultRole<R>();
        return *slot;
    }
    // Installs `impl` (nullptr: the default again) and returns the previous implementation.
    static std::shared_ptr<R> Install(std::shared_ptr<R> impl) {
        return std::exchange(Slot(), std::move(impl));
    }

  private:
    static std::shared_ptr<R>& Slot();
};

// Installs an implementation for the scope and restores the previous one afterwards.
template <class R>
class ScopedRole {
  public:
    explicit ScopedRole(std::shared_ptr<R> impl) : previous_(Role<R>::Install(std::move(impl))) {}
    ~ScopedRole() { Role<R>::Install(std::move(previous_)); }
    ScopedRole(const ScopedRole&) = delete;
    ScopedRole& operator=(const ScopedRole&) = delete;

  private:
    std::shared_ptr<R> previous_;
};

}  // namespace rt

// At namespace scope, after the role's interface.
#define PERLOWAN_DECLARE_ROLE(R) \
    template <>                  \
    PERLOWAN_RUNTIME_API std::shared_ptr<R>& rt::Role<R>::Slot()

// At namespace scope in the role's .cpp. The slot is never destroyed: objects of an add-in
// library that is still loaded when the process exits (a window left open) reach the roles from
// their destructors, which may run after the runtime's own static objects are gone.
#define PERLOWAN_DEFINE_ROLE(R)                                    \
    template <>                                                    \
    PERLOWAN_RUNTIME_API std::shared_ptr<R>& rt::Role<R>::Slot() { \
        static auto* const slot = new std::shared_ptr<R>();        \
        return *slot;                                              \
    }                                                              \
    static_assert(true, "")
