#pragma once
// The identifiers of the add-in's type library, interface and class, as Perlowan.idl declares
// them.
#include "Component.h"

namespace perlowan {

inline constexpr com::Guid LIBID_Perlowan{
    0x626DBE93, 0x6ACA, 0x428C, {0xBC, 0xF7, 0x26, 0xDC, 0x3F, 0xEF, 0xC3, 0x19}};
inline constexpr com::Guid IID__cITelmora{
    0x6DFA0C1C, 0xA50B, 0x4FDA, {0x9D, 0x7E, 0xA9, 0xCB, 0x5D, 0xB0, 0x59, 0x5A}};
inline constexpr com::Guid CLSID_cITelmora{
    0xF6D9C8BE, 0x06BD, 0x47AA, {0xB2, 0x41, 0x71, 0xC7, 0xBD, 0xB8, 0x99, 0x39}};

inline constexpr const char* kProgId = "Perlowan.cITelmora";
inline constexpr const char* kLibraryName = "Perlowan";
inline constexpr const char* kTypeLibVersion = "1.0";

}  // namespace perlowan
