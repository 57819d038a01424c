#pragma once
// The version of the runtime library (libPerlowanRuntime.so). A component library records the
// version it was compiled against; its host loads it only when the runtime in the process can
// run it: the same major version, and at least the minor version the library was compiled for.
// Raise the minor version when declarations are added, the major version (minor back to 0) on
// any change that a library compiled before cannot run on: a changed or removed declaration, a
// class's layout, a behaviour callers rely on.
#include <cstdint>
#include <string>

namespace rt {

inline constexpr std::uint16_t kRuntimeVersionMajor = 1;
inline constexpr std::uint16_t kRuntimeVersionMinor = 1;

// Major version in the upper, minor version in the lower 16 bits.
inline constexpr std::uint32_t MakeRuntimeVersion(std::uint16_t major, std::uint16_t minor) {
    return std::uint32_t{major} << 16 | minor;
}
// The version a unit was compiled against.
inline constexpr std::uint32_t kRuntimeVersion =
    MakeRuntimeVersion(kRuntimeVersionMajor, kRuntimeVersionMinor);

// The version of the runtime library loaded in the process.
std::uint32_t RuntimeVersion() noexcept;

// Whether a library compiled against `compiledFor` runs on the runtime `loaded`.
bool RuntimeCanRun(std::uint32_t loaded, std::uint32_t compiledFor) noexcept;

// "1.0".
std::string RuntimeVersionText(std::uint32_t version);

}  // namespace rt
