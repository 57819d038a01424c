#pragma once
// Records what the debug channel is given while it lives, with the named areas switched on.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Debug.h"
#include "Role.h"

namespace testsupport {

class DebugRecorder {
  public:
    explicit DebugRecorder(std::string_view areas)
        : sink_(std::make_shared<Sink>()), installed_(sink_), areas_(areas) {}

    // "area: message", in the order written.
    const std::vector<std::string>& Lines() const { return sink_->lines; }

  private:
    struct Sink : rt::debug::Sink {
        std::vector<std::string> lines;
        void Write(std::string_view area, std::string_view message) override {
            lines.push_back(std::string(area) + ": " + std::string(message));
        }
    };
    std::shared_ptr<Sink> sink_;
    rt::ScopedRole<rt::debug::Sink> installed_;
    rt::debug::ScopedAreas areas_;
};

}  // namespace testsupport
