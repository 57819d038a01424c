#pragma once
// The resources the library carries: its type library (type "TYPELIB", id 1) and the interface id
// record "_IID_CITELMORA" (id 1: a 32-bit little-endian length 16, then the IID's 16 bytes).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace perlowan {

// The resource's bytes; empty when the library has no such resource. Type names compare without
// regard to letter case.
std::span<const std::uint8_t> FindResource(std::string_view type, int id);

}  // namespace perlowan
