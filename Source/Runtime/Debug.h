#pragma once
// The debug channel: routines that must ignore an error say here what they ignored. Areas are
// switched on by name in the environment variable PERLOWAN_DEBUG ("ini,http,registry", "all");
// with none switched on, PERLOWAN_DEBUG(...) costs one test of a flag and builds no text.
#include <string>
#include <string_view>

#include "Role.h"

namespace rt::debug {

// Where the lines go: standard error by default; tests install their own.
class Sink {
  public:
    virtual ~Sink() = default;
    virtual void Write(std::string_view area, std::string_view message) = 0;
};

namespace detail {
extern PERLOWAN_RUNTIME_API bool anyArea;  // true once at least one area is switched on
bool AreaOn(std::string_view area) noexcept;
}  // namespace detail

inline bool Enabled(std::string_view area) noexcept {
    return detail::anyArea && detail::AreaOn(area);
}

// Switches on the areas of a list as PERLOWAN_DEBUG has it, replacing the current ones; "" turns
// the channel off. The environment variable is read once, before the first use.
void Configure(std::string_view areas);

void Write(std::string_view area, std::string_view message);

// Switches the channel to `areas` for a scope and back afterwards.
class ScopedAreas {
  public:
    explicit ScopedAreas(std::string_view areas);
    ~ScopedAreas();
    ScopedAreas(const ScopedAreas&) = delete;
    ScopedAreas& operator=(const ScopedAreas&) = delete;

  private:
    std::string previous_;
};

}  // namespace rt::debug

PERLOWAN_DECLARE_ROLE(rt::debug::Sink);

// PERLOWAN_DEBUG("ini", "save of " + path + " failed: " + reason): the message expression is
// evaluated only when the area is on.
#define PERLOWAN_DEBUG(area, message)                                          \
    do {                                                                       \
        if (::rt::debug::Enabled(area)) ::rt::debug::Write((area), (message)); \
    } while (false)
