#include "Debug.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace rt {

namespace {

class StandardErrorSink : public debug::Sink {
  public:
    void Write(std::string_view area, std::string_view message) override {
        std::string line = "perlowan[";
        line.append(area).append("]: ").append(message).push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

struct Areas {
    std::string list;
    std::vector<std::string> names;
    bool all = false;
};

Areas& Current() {
    static Areas areas;
    return areas;
}

void Apply(std::string_view list) {
    Areas next;
    next.list = std::string(list);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view name = list.substr(start, end - start);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (name == "all" || name == "*")
            next.all = true;
        else if (!name.empty())
            next.names.emplace_back(name);
        start = end + 1;
    }
    debug::detail::anyArea = next.all || !next.names.empty();
    Current() = std::move(next);
}

// Reads PERLOWAN_DEBUG once, before main runs, so the flag test stays a plain load.
const bool environmentRead = [] {
    const char* value = std::getenv("PERLOWAN_DEBUG");
    Apply(value ? value : "");
    return true;
}();

}  // namespace

template <>
std::shared_ptr<debug::Sink> MakeDefaultRole<debug::Sink>() {
    return std::make_shared<StandardErrorSink>();
}

namespace debug {

PERLOWAN_RUNTIME_API bool detail::anyArea = false;

bool detail::AreaOn(std::string_view area) noexcept {
    const Areas& areas = Current();
    if (areas.all) return true;
    for (const auto& name : areas.names) {
        if (name == area) return true;
    }
    return false;
}

void Configure(std::string_view areas) {
    Apply(areas);
}

void Write(std::string_view area, std::string_view message) {
    Role<Sink>::Get().Write(area, message);
}

ScopedAreas::ScopedAreas(std::string_view areas) : previous_(Current().list) {
    Apply(areas);
}

ScopedAreas::~ScopedAreas() {
    Apply(previous_);
}

}  // namespace debug
}  // namespace rt

PERLOWAN_DEFINE_ROLE(rt::debug::Sink);
