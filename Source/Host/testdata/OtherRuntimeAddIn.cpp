// A component library with the standard exports that was compiled for the next major version of
// the runtime: the host's loader must refuse it before it creates anything.
#include "Component.h"
#include "RuntimeVersion.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT com::HResult DllRegisterServer() {
    return com::E_UNEXPECTED;
}

EXPORT com::HResult DllUnregisterServer() {
    return com::E_UNEXPECTED;
}

EXPORT com::HResult DllGetClassObject(const com::Guid*, const com::Guid*, void** object) {
    if (object) *object = nullptr;
    return com::CLASS_E_CLASSNOTAVAILABLE;
}

EXPORT com::HResult DllCanUnloadNow() {
    return com::S_OK;
}

EXPORT std::uint32_t DllRuntimeVersion() {
    return rt::MakeRuntimeVersion(rt::kRuntimeVersionMajor + 1, 0);
}
