#pragma once
// Finds an add-in by its programmatic identifier in the registry, loads its library through the
// standard exports and creates its class.
#include <memory>
#include <string>

#include "ComPtr.h"
#include "Component.h"
#include "Dispatch.h"
#include "Module.h"

namespace telmora {

// Error numbers of the loader (the classic ones where there is one).
namespace loader_err {
inline constexpr int CannotCreateObject = 429;  // unknown identifier, broken registration
inline constexpr int FileNotFound = 53;         // the registered library does not exist
inline constexpr int ErrorLoadingLibrary = 48;  // not a loadable library
inline constexpr int EntryPointMissing = 453;   // a standard export is missing
inline constexpr int RegistryUnreadable = 1009;
}  // namespace loader_err

// What the registry says about a class.
struct Registration {
    com::Guid clsid;
    std::string libraryPath;
};
// Raises 429 when the identifier or its class is not registered, 1009 when the registry cannot
// be read; the description names the key and the cause.
Registration LookUpProgId(const std::string& progId);

// A loaded component library.
class ComponentLibrary {
  public:
    // Raises 53, 48 or 453 (with the path and the cause in the description).
    explicit ComponentLibrary(const std::string& path);
    // Keeps the library mapped: see the definition.
    ~ComponentLibrary();

    com::HResult RegisterServer();
    com::HResult UnregisterServer();
    com::HResult CanUnloadNow();
    // A new object of class `clsid` as a late-bound object. Raises 429 with the failure code.
    rt::ObjectRef CreateObject(const com::Guid& clsid);
    // The library's resource, empty when absent.
    std::string Resource(const std::string& type, int id);

  private:
    std::unique_ptr<com::LoadedModule> module_;
    com::DllRegisterServerFn register_ = nullptr;
    com::DllUnregisterServerFn unregister_ = nullptr;
    com::DllGetClassObjectFn getClassObject_ = nullptr;
    com::DllCanUnloadNowFn canUnloadNow_ = nullptr;
    com::DllFindResourceFn findResource_ = nullptr;
};

// "0x80040111" for messages.
std::string HResultText(com::HResult hr);

}  // namespace telmora
