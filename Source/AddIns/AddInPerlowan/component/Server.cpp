// The library's standard exports, its class factory and the count of its live objects.
#include <atomic>
#include <memory>

#include "DispatchAdapters.h"
#include "Module.h"
#include "PerlowanIds.h"
#include "Registration.h"
#include "Resources.h"
#include "RuntimeVersion.h"
#include "cITelmora.h"
#include "frmAddIn.h"

// The library's exports; Perlowan.map lists the same names and hides everything else.
#define PERLOWAN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<long> gLiveObjects{0};
std::atomic<long> gServerLocks{0};

class ClassFactory final : public com::IClassFactory {
  public:
    ClassFactory() { ++gLiveObjects; }

    com::HResult QueryInterface(const com::Guid& iid, void** object) override {
        if (!object) return com::E_POINTER;
        if (iid == com::IID_IUnknown || iid == com::IID_IClassFactory) {
            *object = static_cast<com::IClassFactory*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    com::HResult CreateInstance(com::IUnknown* outer, const com::Guid& iid,
                                void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (outer) return com::CLASS_E_NOAGGREGATION;
        auto* server = com::DispatchServer::Create(std::make_shared<cITelmora>(),
                                                   perlowan::IID__cITelmora, gLiveObjects);
        const com::HResult hr = server->QueryInterface(iid, object);
        server->Release();
        return hr;
    }
    com::HResult LockServer(bool lock) override {
        lock ? ++gServerLocks : --gServerLocks;
        return com::S_OK;
    }

  private:
    ~ClassFactory() { --gLiveObjects; }
    std::atomic<std::uint32_t> references_{1};
};

}  // namespace

PERLOWAN_EXPORT com::HResult DllRegisterServer() {
    const std::string path =
        com::Modules().PathOfAddress(reinterpret_cast<const void*>(&DllRegisterServer));
    if (path.empty()) return com::SELFREG_E_CLASS;
    return perlowan::RegisterServer(path) == 0 ? com::S_OK : com::SELFREG_E_CLASS;
}

PERLOWAN_EXPORT com::HResult DllUnregisterServer() {
    return perlowan::UnregisterServer() == 0 ? com::S_OK : com::SELFREG_E_CLASS;
}

PERLOWAN_EXPORT com::HResult DllGetClassObject(const com::Guid* clsid, const com::Guid* iid,
                                               void** object) {
    if (!clsid || !iid || !object) return com::E_POINTER;
    *object = nullptr;
    if (!(*clsid == perlowan::CLSID_cITelmora)) return com::CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new ClassFactory;
    const com::HResult hr = factory->QueryInterface(*iid, object);
    factory->Release();
    return hr;
}

// The library may go when nothing of it is in use: no object handed out, no lock, no add-in
// object (a running add-in holds itself through gobjAddIn) and no loaded window, whose controls
// the toolkit knows.
PERLOWAN_EXPORT com::HResult DllCanUnloadNow() {
    const bool idle = gLiveObjects == 0 && gServerLocks == 0 && cITelmora::LiveInstances() == 0 &&
                      frmAddIn.IsNothing();
    return idle ? com::S_OK : com::S_FALSE;
}

PERLOWAN_EXPORT int DllFindResource(const char* type, int id, const unsigned char** data,
                                    std::size_t* size) {
    if (!type || !data || !size) return 0;
    const auto bytes = perlowan::FindResource(type, id);
    if (bytes.empty()) return 0;
    *data = bytes.data();
    *size = bytes.size();
    return 1;
}

PERLOWAN_EXPORT std::uint32_t DllRuntimeVersion() {
    return rt::kRuntimeVersion;
}
