#pragma once
// The in-process component model shared by the add-in library and its host: identifiers, result
// codes, the unknown / class factory / dispatch interfaces and the signatures of the library's
// standard exports. Calls across the library boundary return result codes; a member's run-time
// error travels as an exception record, never as a C++ exception.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Dispatch.h"

namespace com {

using HResult = std::int32_t;

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
inline constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult E_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);
inline constexpr HResult CLASS_E_NOAGGREGATION = static_cast<HResult>(0x80040110u);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = static_cast<HResult>(0x80040111u);
inline constexpr HResult SELFREG_E_TYPELIB = static_cast<HResult>(0x80040200u);
inline constexpr HResult SELFREG_E_CLASS = static_cast<HResult>(0x80040201u);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = static_cast<HResult>(0x80020003u);
inline constexpr HResult DISP_E_UNKNOWNNAME = static_cast<HResult>(0x80020006u);
inline constexpr HResult DISP_E_EXCEPTION = static_cast<HResult>(0x80020009u);

inline bool Succeeded(HResult hr) {
    return hr >= 0;
}

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    friend bool operator==(const Guid&, const Guid&) = default;
};

// "{6F1B2C44-93A1-4E0B-9C61-2D7A5E0C1A01}" in upper case.
std::string GuidText(const Guid& guid);
// Accepts the text with or without braces, in any letter case; false for anything else.
bool ParseGuid(std::string_view text, Guid& out);
// The 16 bytes of the identifier as the system stores it (first three fields little-endian).
std::array<std::uint8_t, 16> GuidBytes(const Guid& guid);

inline constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// The automation marshaller that dual interfaces are registered with.
inline constexpr Guid CLSID_PSOAInterface{
    0x00020424, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
  public:
    virtual HResult QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
  public:
    // Aggregation is not supported: a non-null `outer` gives CLASS_E_NOAGGREGATION.
    virtual HResult CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    virtual HResult LockServer(bool lock) = 0;

  protected:
    ~IClassFactory() = default;
};

// The error record of a member that failed with DISP_E_EXCEPTION.
struct ExcepInfo {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

class IDispatch : public IUnknown {
  public:
    // DISP_E_UNKNOWNNAME when the object has no member of that name (letter case ignored).
    virtual HResult GetIDsOfNames(std::string_view name, rt::DispId* id) = 0;
    // Arguments in call order; by-reference arguments are written back into `args`.
    // DISP_E_MEMBERNOTFOUND for an unknown id; DISP_E_EXCEPTION with `excep` filled when the
    // member raised an error.
    virtual HResult Invoke(rt::DispId id, rt::CallType type, rt::Variant* args, std::size_t count,
                           rt::Variant* result, ExcepInfo* excep) = 0;

  protected:
    ~IDispatch() = default;
};

// The library's exports.
extern "C" {
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
using DllGetClassObjectFn = HResult (*)(const Guid* clsid, const Guid* iid, void** object);
using DllCanUnloadNowFn = HResult (*)();
// The library's resources by type name and id: 1 and the bytes when present, else 0.
using DllFindResourceFn = int (*)(const char* type, int id, const unsigned char** data,
                                  std::size_t* size);
// The runtime version the library was compiled against (RuntimeVersion.h).
using DllRuntimeVersionFn = std::uint32_t (*)();
}

}  // namespace com
