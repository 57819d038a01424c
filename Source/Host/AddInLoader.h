#pragma once
// Finds an add-in by its programmatic identifier in the registry, loads its library through the
// standard exports (refusing one compiled for another runtime version) and creates its class;
// unloads the library when it says it may go.
#include <cstddef>
#include <memory>
#include <string>

#include "ComPtr.h"
#include "Component.h"
#include "Dispatch.h"
#include "Module.h"

namespace telmora {

// What the registry says about a class.
struct Registration {
    com::Guid clsid;
    std::string libraryPath;
};
// Raises 429 (rt::err::CannotCreateObject) when the identifier or its class is not registered,
// the registry's code 1009 (platform::reg::BadDb) when the registry cannot be read; the
// description names the key and the cause.
Registration LookUpProgId(const std::string& progId);

// A loaded component library.
class ComponentLibrary {
  public:
    // Raises 53, 48 or 453 (rt::err::FileNotFound, ErrorLoadingLibrary, EntryPointMissing) with
    // the path and the cause in the description; 48 also for a library compiled for a runtime
    // version that the runtime in the process cannot run.
    explicit ComponentLibrary(const std::string& path);
    // Unloads the library when DllCanUnloadNow allows it; otherwise it stays loaded until
    // FreeUnusedLibraries finds it unused.
    ~ComponentLibrary();
    ComponentLibrary(const ComponentLibrary&) = delete;
    ComponentLibrary& operator=(const ComponentLibrary&) = delete;

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

// Unloads the libraries that ComponentLibrary left loaded and that now say they may go. Returns
// how many are still loaded for objects of theirs.
std::size_t FreeUnusedLibraries();

// "0x80040111" for messages.
std::string HResultText(com::HResult hr);

}  // namespace telmora
