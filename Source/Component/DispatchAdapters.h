#pragma once
// Bridges between the language runtime's late binding and the component model's dispatch
// interface: a library publishes an rt::IDispatch object as a component object, and a host
// calls a component object as an rt::IDispatch.
#include <atomic>
#include <cstdint>
#include <memory>

#include "ComPtr.h"
#include "Component.h"

namespace com {

// A reference-counted component object that forwards to an rt::IDispatch. `liveObjects` counts
// the objects alive (the library's unload check reads it). Its interface id besides IUnknown and
// IDispatch is `iid`.
class DispatchServer final : public IDispatch {
  public:
    // Returns the new object with one reference owned by the caller.
    static DispatchServer* Create(rt::ObjectRef target, const Guid& iid,
                                  std::atomic<long>& liveObjects);

    HResult QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    HResult GetIDsOfNames(std::string_view name, rt::DispId* id) override;
    HResult Invoke(rt::DispId id, rt::CallType type, rt::Variant* args, std::size_t count,
                   rt::Variant* result, ExcepInfo* excep) override;

    const rt::ObjectRef& Target() const { return target_; }

  private:
    DispatchServer(rt::ObjectRef target, const Guid& iid, std::atomic<long>& liveObjects);
    ~DispatchServer();

    rt::ObjectRef target_;
    Guid iid_;
    std::atomic<long>& liveObjects_;
    std::atomic<std::uint32_t> references_{1};
};

// Calls a component object late-bound. Errors arrive as rt::RuntimeError: the member's own
// error, 438 for an unknown member, otherwise the failure code as the number.
class DispatchClient final : public rt::IDispatch {
  public:
    explicit DispatchClient(ComPtr<com::IDispatch> object) : object_(std::move(object)) {}
    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    com::IDispatch* Get() const { return object_.Get(); }
    // Drops the reference; later calls raise 91.
    void Release() { object_.Reset(); }

  private:
    ComPtr<com::IDispatch> object_;
};

}  // namespace com
