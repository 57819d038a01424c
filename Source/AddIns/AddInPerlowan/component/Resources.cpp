#include "Resources.h"

#include <array>

#include "Dispatch.h"
#include "PerlowanIds.h"

// The type library compiled from Perlowan.idl, embedded at build time.
extern const std::uint8_t kPerlowanTypeLib[];
extern const std::size_t kPerlowanTypeLibSize;

namespace perlowan {

namespace {

std::array<std::uint8_t, 20> InterfaceIdRecord() {
    std::array<std::uint8_t, 20> record{16, 0, 0, 0};
    const auto iid = com::GuidBytes(IID__cITelmora);
    for (std::size_t i = 0; i < iid.size(); ++i) record[4 + i] = iid[i];
    return record;
}

}  // namespace

std::span<const std::uint8_t> FindResource(std::string_view type, int id) {
    static const std::array<std::uint8_t, 20> iidRecord = InterfaceIdRecord();
    if (id != 1) return {};
    if (rt::AsciiNamesEqual(type, "TYPELIB")) return {kPerlowanTypeLib, kPerlowanTypeLibSize};
    if (rt::AsciiNamesEqual(type, "_IID_CITELMORA")) return iidRecord;
    return {};
}

}  // namespace perlowan
