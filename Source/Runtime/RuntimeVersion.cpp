#include "RuntimeVersion.h"

namespace rt {

std::uint32_t RuntimeVersion() noexcept {
    // Compiled into the runtime library: the value of the runtime in the process, whatever
    // header its caller was compiled with.
    return kRuntimeVersion;
}

bool RuntimeCanRun(std::uint32_t loaded, std::uint32_t compiledFor) noexcept {
    return loaded >> 16 == compiledFor >> 16 && (loaded & 0xFFFFu) >= (compiledFor & 0xFFFFu);
}

std::string RuntimeVersionText(std::uint32_t version) {
    return std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFFu);
}

}  // namespace rt
