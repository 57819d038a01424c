#include "Dispatch.h"

namespace rt {

bool AsciiNamesEqual(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

Variant CallByName(const ObjectRef& object, std::string_view name, CallType type,
                   std::span<Variant> args) {
    if (!object) Raise(err::ObjectNotSet);
    return object->Invoke(object->GetIdOfName(name), type, args);
}

Variant GetProperty(const ObjectRef& object, std::string_view name) {
    return CallByName(object, name, CallType::PropertyGet);
}

void LetProperty(const ObjectRef& object, std::string_view name, Variant value) {
    Variant args[] = {std::move(value)};
    CallByName(object, name, CallType::PropertyLet, args);
}

Variant& Arg(std::span<Variant> args, std::size_t index) {
    if (index >= args.size() || args[index].IsMissing()) Raise(err::ArgumentNotOptional);
    return args[index];
}

Variant OptionalArg(std::span<Variant> args, std::size_t index) {
    return index < args.size() ? args[index] : Variant::Missing();
}

DispId DynamicObject::Define(std::string name, Handler handler) {
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (AsciiNamesEqual(members_[i].name, name)) {
            members_[i].handler = std::move(handler);
            return static_cast<DispId>(i + 1);
        }
    }
    members_.push_back({std::move(name), std::move(handler)});
    return static_cast<DispId>(members_.size());
}

DispId DynamicObject::GetIdOfName(std::string_view name) {
    for (std::size_t i = 0; i < members_.size(); ++i)
        if (AsciiNamesEqual(members_[i].name, name)) return static_cast<DispId>(i + 1);
    Raise(err::MemberNotSupported);
}

Variant DynamicObject::Invoke(DispId id, CallType, std::span<Variant> args) {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) Raise(err::MemberNotSupported);
    // Copy the handler: it may redefine members while it runs.
    const Handler handler = members_[id - 1].handler;
    return handler(args);
}

}  // namespace rt
