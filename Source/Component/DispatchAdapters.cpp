#include "DispatchAdapters.h"

#include <cstdio>
#include <string>

#include "Debug.h"

namespace com {

DispatchServer* DispatchServer::Create(rt::ObjectRef target, const Guid& iid,
                                       std::atomic<long>& liveObjects) {
    return new DispatchServer(std::move(target), iid, liveObjects);
}

DispatchServer::DispatchServer(rt::ObjectRef target, const Guid& iid,
                               std::atomic<long>& liveObjects)
    : target_(std::move(target)), iid_(iid), liveObjects_(liveObjects) {
    ++liveObjects_;
}

DispatchServer::~DispatchServer() {
    --liveObjects_;
}

HResult DispatchServer::QueryInterface(const Guid& iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

std::uint32_t DispatchServer::AddRef() {
    return ++references_;
}

std::uint32_t DispatchServer::Release() {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

HResult DispatchServer::GetIDsOfNames(std::string_view name, rt::DispId* id) {
    if (!id) return E_POINTER;
    try {
        *id = target_->GetIdOfName(name);
        return S_OK;
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("component", "no member " + std::string(name) + ": error " +
                                        std::to_string(e.Number()) + " " + e.Description());
        return DISP_E_UNKNOWNNAME;
    }
}

HResult DispatchServer::Invoke(rt::DispId id, rt::CallType type, rt::Variant* args,
                               std::size_t count, rt::Variant* result, ExcepInfo* excep) {
    try {
        rt::Variant value = target_->Invoke(id, type, std::span<rt::Variant>(args, count));
        if (result) *result = std::move(value);
        return S_OK;
    } catch (const rt::RuntimeError& e) {
        if (excep) {
            excep->number = e.Number();
            excep->source = e.Source();
            excep->description = e.Description();
        } else {
            PERLOWAN_DEBUG("component", "error of member " + std::to_string(id) +
                                            " lost, the caller takes no details: error " +
                                            std::to_string(e.Number()) + " " + e.Description());
        }
        return DISP_E_EXCEPTION;
    }
}

rt::DispId DispatchClient::GetIdOfName(std::string_view name) {
    if (!object_) rt::Raise(rt::err::ObjectNotSet);
    rt::DispId id = 0;
    const HResult hr = object_->GetIDsOfNames(name, &id);
    if (hr == DISP_E_UNKNOWNNAME) rt::Raise(rt::err::MemberNotSupported);
    if (!Succeeded(hr)) rt::Raise(hr);
    return id;
}

rt::Variant DispatchClient::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    if (!object_) rt::Raise(rt::err::ObjectNotSet);
    rt::Variant result;
    ExcepInfo excep;
    const HResult hr = object_->Invoke(id, type, args.data(), args.size(), &result, &excep);
    if (hr == DISP_E_EXCEPTION) rt::Raise(excep.number, excep.source, excep.description);
    if (hr == DISP_E_MEMBERNOTFOUND) rt::Raise(rt::err::MemberNotSupported);
    if (!Succeeded(hr)) {
        char text[64];
        std::snprintf(text, sizeof text, "Automation error 0x%08X", static_cast<unsigned>(hr));
        rt::Raise(hr, {}, text);
    }
    return result;
}

}  // namespace com
