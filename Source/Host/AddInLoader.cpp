#include "AddInLoader.h"

#include <cstdio>

#include "BuildSignature.h"
#include "DispatchAdapters.h"
#include "Registry.h"

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
        rt::Raise(loader_err::CannotCreateObject, "Telmora",
                  what + " is not registered (no key HKEY_CLASSES_ROOT\\" + path + ")");
    if (rc != reg::Success) {
        std::string detail = registry.LastErrorDetail();
        rt::Raise(
            rc == reg::BadDb ? loader_err::RegistryUnreadable : loader_err::CannotCreateObject,
            "Telmora",
            "The registry cannot be read (" + platform::RegistryErrorText(rc) +
                (detail.empty() ? "" : ": " + detail) + ")");
    }
    if (type != reg::Sz && type != reg::ExpandSz)
        rt::Raise(loader_err::CannotCreateObject, "Telmora",
                  "HKEY_CLASSES_ROOT\\" + path + " does not hold a text");
    return data;
}

template <class F>
F ExportOf(com::LoadedModule& module, const std::string& path, const char* name) {
    void* address = module.Export(name);
    if (!address)
        rt::Raise(loader_err::EntryPointMissing, "Telmora",
                  std::string("Can't find DLL entry point ") + name + " in " + path);
    return reinterpret_cast<F>(address);
}

}  // namespace

std::string HResultText(com::HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

Registration LookUpProgId(const std::string& progId) {
    if (progId.empty())
        rt::Raise(loader_err::CannotCreateObject, "Telmora", "No programmatic identifier given");
    Registration result;
    const std::string clsidText = ReadDefault(progId + "\\Clsid", progId);
    if (!com::ParseGuid(clsidText, result.clsid))
        rt::Raise(loader_err::CannotCreateObject, "Telmora",
                  progId + " names an invalid class id \"" + clsidText + "\"");
    result.libraryPath = ReadDefault("CLSID\\" + com::GuidText(result.clsid) + "\\InprocServer32",
                                     "The class " + com::GuidText(result.clsid) + " of " + progId);
    if (result.libraryPath.empty())
        rt::Raise(loader_err::CannotCreateObject, "Telmora",
                  "The class of " + progId + " names no library");
    return result;
}

ComponentLibrary::ComponentLibrary(const std::string& path) : module_(com::Modules().Load(path)) {
    register_ = ExportOf<com::DllRegisterServerFn>(*module_, path, "DllRegisterServer");
    unregister_ = ExportOf<com::DllUnregisterServerFn>(*module_, path, "DllUnregisterServer");
    getClassObject_ = ExportOf<com::DllGetClassObjectFn>(*module_, path, "DllGetClassObject");
    canUnloadNow_ = ExportOf<com::DllCanUnloadNowFn>(*module_, path, "DllCanUnloadNow");
    findResource_ = reinterpret_cast<com::DllFindResourceFn>(module_->Export("DllFindResource"));
    // A library of another build would run on a layout of the shared types it was not made for.
    const auto signature =
        reinterpret_cast<com::DllBuildSignatureFn>(module_->Export("DllBuildSignature"));
    if (signature && com::BuildSignature() != signature())
        rt::Raise(loader_err::ErrorLoadingLibrary, "Telmora",
                  "Error in loading DLL " + path + ": it was built with another runtime (" +
                      signature() + ") than this host (" + com::BuildSignature() + ")");
}

ComponentLibrary::~ComponentLibrary() {
    // The toolkit keeps references into the library's code (its forms and windows) beyond the
    // life of the library's objects: a loaded add-in stays mapped for the life of the process.
    module_->Pin();
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
            loader_err::CannotCreateObject, "Telmora",
            "The library has no class " + com::GuidText(clsid) + " (" + HResultText(hr) + ")");
    com::ComPtr<com::IDispatch> object;
    hr = factory->CreateInstance(nullptr, com::IID_IDispatch, object.Out());
    if (!com::Succeeded(hr) || !object)
        rt::Raise(
            loader_err::CannotCreateObject, "Telmora",
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
