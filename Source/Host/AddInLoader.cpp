#include "AddInLoader.h"

#include <cstdio>
#include <vector>

#include "DispatchAdapters.h"
#include "Registry.h"
#include "RuntimeVersion.h"

namespace telmora {

namespace {

namespace reg = platform::reg;

// The default value of a key below the classes root.
std::string ReadDefault(const std::string& path, const std::string& what) {
    auto& registry = platform::SystemRegistry();
    platform::HKey key = 0;
    long rc = registry.OpenKey(reg::ClassesRoot, path, reg::KeyRead, key);
    std::string data;
    std::uint32_t type = 0;
    if (rc == reg::Success) {
        rc = registry.QueryValue(key, "", &type, &data);
        registry.CloseKey(key);
    }
    if (rc == reg::FileNotFound)
        rt::Raise(rt::err::CannotCreateObject, "Telmora",
                  what + " is not registered (no key HKEY_CLASSES_ROOT\\" + path + ")");
    if (rc != reg::Success) {
        std::string detail = registry.LastErrorDetail();
        rt::Raise(rc == reg::BadDb ? static_cast<int>(reg::BadDb) : rt::err::CannotCreateObject,
                  "Telmora",
                  "The registry cannot be read (" + platform::RegistryErrorText(rc) +
                      (detail.empty() ? "" : ": " + detail) + ")");
    }
    if (type != reg::Sz && type != reg::ExpandSz)
        rt::Raise(rt::err::CannotCreateObject, "Telmora",
                  "HKEY_CLASSES_ROOT\\" + path + " does not hold a text");
    return data;
}

template <class F>
F ExportOf(com::LoadedModule& module, const std::string& path, const char* name) {
    void* address = module.Export(name);
    if (!address)
        rt::Raise(rt::err::EntryPointMissing, "Telmora",
                  std::string("Can't find DLL entry point ") + name + " in " + path);
    return reinterpret_cast<F>(address);
}

// A library that could not be unloaded when its ComponentLibrary went, while objects of it live.
struct ParkedLibrary {
    com::DllCanUnloadNowFn canUnloadNow;
    std::unique_ptr<com::LoadedModule> module;
};

std::vector<ParkedLibrary>& Parked() {
    // Never destroyed: a library in use at exit stays loaded for the destructors that run then.
    static auto* parked = new std::vector<ParkedLibrary>;
    return *parked;
}

}  // namespace

std::size_t FreeUnusedLibraries() {
    auto& parked = Parked();
    std::erase_if(parked,
                  [](const ParkedLibrary& library) { return library.canUnloadNow() == com::S_OK; });
    return parked.size();
}

std::string HResultText(com::HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

Registration LookUpProgId(const std::string& progId) {
    if (progId.empty())
        rt::Raise(rt::err::CannotCreateObject, "Telmora", "No programmatic identifier given");
    Registration result;
    const std::string clsidText = ReadDefault(progId + "\\Clsid", progId);
    if (!com::ParseGuid(clsidText, result.clsid))
        rt::Raise(rt::err::CannotCreateObject, "Telmora",
                  progId + " names an invalid class id \"" + clsidText + "\"");
    result.libraryPath = ReadDefault("CLSID\\" + com::GuidText(result.clsid) + "\\InprocServer32",
                                     "The class " + com::GuidText(result.clsid) + " of " + progId);
    if (result.libraryPath.empty())
        rt::Raise(rt::err::CannotCreateObject, "Telmora",
                  "The class of " + progId + " names no library");
    return result;
}

ComponentLibrary::ComponentLibrary(const std::string& path) : module_(com::Modules().Load(path)) {
    register_ = ExportOf<com::DllRegisterServerFn>(*module_, path, "DllRegisterServer");
    unregister_ = ExportOf<com::DllUnregisterServerFn>(*module_, path, "DllUnregisterServer");
    getClassObject_ = ExportOf<com::DllGetClassObjectFn>(*module_, path, "DllGetClassObject");
    canUnloadNow_ = ExportOf<com::DllCanUnloadNowFn>(*module_, path, "DllCanUnloadNow");
    findResource_ = reinterpret_cast<com::DllFindResourceFn>(module_->Export("DllFindResource"));
    // The library and this host share the runtime in the process: it must be one that the
    // library was compiled for.
    const auto compiledFor =
        ExportOf<com::DllRuntimeVersionFn>(*module_, path, "DllRuntimeVersion")();
    if (!rt::RuntimeCanRun(rt::RuntimeVersion(), compiledFor))
        rt::Raise(rt::err::ErrorLoadingLibrary, "Telmora",
                  "Error in loading DLL " + path + ": it was compiled for runtime version " +
                      rt::RuntimeVersionText(compiledFor) + ", the runtime in this process is " +
                      "version " + rt::RuntimeVersionText(rt::RuntimeVersion()));
}

ComponentLibrary::~ComponentLibrary() {
    if (canUnloadNow_() != com::S_OK) {
        // Objects of the library are still alive somewhere: it stays loaded until they are gone.
        Parked().push_back({canUnloadNow_, std::move(module_)});
        return;
    }
    module_.reset();
}

com::HResult ComponentLibrary::RegisterServer() {
    return register_();
}

com::HResult ComponentLibrary::UnregisterServer() {
    return unregister_();
}

com::HResult ComponentLibrary::CanUnloadNow() {
    return canUnloadNow_();
}

rt::ObjectRef ComponentLibrary::CreateObject(const com::Guid& clsid) {
    com::ComPtr<com::IClassFactory> factory;
    com::HResult hr = getClassObject_(&clsid, &com::IID_IClassFactory, factory.Out());
    if (!com::Succeeded(hr) || !factory)
        rt::Raise(
            rt::err::CannotCreateObject, "Telmora",
            "The library has no class " + com::GuidText(clsid) + " (" + HResultText(hr) + ")");
    com::ComPtr<com::IDispatch> object;
    hr = factory->CreateInstance(nullptr, com::IID_IDispatch, object.Out());
    if (!com::Succeeded(hr) || !object)
        rt::Raise(
            rt::err::CannotCreateObject, "Telmora",
            "The class " + com::GuidText(clsid) + " cannot be created (" + HResultText(hr) + ")");
    return std::make_shared<com::DispatchClient>(std::move(object));
}

std::string ComponentLibrary::Resource(const std::string& type, int id) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!findResource_ || !findResource_(type.c_str(), id, &data, &size)) return {};
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace telmora
