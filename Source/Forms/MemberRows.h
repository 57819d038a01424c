#pragma once
// Builders for the rows of a control's name-to-member table: a property from its getter and
// setter, a read-only property, a method. Values cross the late-bound boundary with the classic
// conversions (which raise 13 or 6 on a value that does not fit).
#include <functional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "Dispatch.h"
#include "Units.h"

namespace forms::rows {

template <class V>
V FromVariant(const rt::Variant& v) {
    if constexpr (std::is_same_v<V, bool>)
        return v.ToBool();
    else if constexpr (std::is_same_v<V, float>)
        return v.ToSingle();
    else if constexpr (std::is_same_v<V, double>)
        return v.ToDouble();
    else if constexpr (std::is_same_v<V, std::int16_t>)
        return v.ToInteger();
    else if constexpr (std::is_same_v<V, std::int32_t>)
        return v.ToLong();
    else if constexpr (std::is_same_v<V, std::string>)
        return v.ToString();
    else
        static_assert(sizeof(V) == 0, "no conversion for this property type");
}

// The value written by a property assignment: the last argument (index arguments come first).
inline const rt::Variant& AssignedValue(std::span<rt::Variant> args) {
    return rt::Arg(args, args.empty() ? 0 : args.size() - 1);
}

inline bool IsAssignment(rt::CallType type) {
    return type == rt::CallType::PropertyLet || type == rt::CallType::PropertySet;
}

template <class T, class Get, class Set>
typename rt::DispatchTable<T>::Member Property(std::string name, rt::DispId id, Get get, Set set) {
    using V = std::remove_cvref_t<std::invoke_result_t<Get, T&>>;
    return {std::move(name), id,
            [get, set](T& self, rt::CallType type, std::span<rt::Variant> args) -> rt::Variant {
                if (IsAssignment(type)) {
                    std::invoke(set, self, FromVariant<V>(AssignedValue(args)));
                    return {};
                }
                return rt::Variant(std::invoke(get, self));
            }};
}

// Raises 383 on an assignment.
template <class T, class Get>
typename rt::DispatchTable<T>::Member ReadOnly(std::string name, rt::DispId id, Get get) {
    return {std::move(name), id,
            [get](T& self, rt::CallType type, std::span<rt::Variant>) -> rt::Variant {
                if (IsAssignment(type))
                    rt::Raise(err::PropertyReadOnly, {}, "Property is read-only");
                return rt::Variant(std::invoke(get, self));
            }};
}

template <class T, class F>
typename rt::DispatchTable<T>::Member Method(std::string name, rt::DispId id, F call) {
    return {std::move(name), id,
            [call](T& self, rt::CallType, std::span<rt::Variant> args) -> rt::Variant {
                if constexpr (std::is_void_v<std::invoke_result_t<F, T&, std::span<rt::Variant>>>) {
                    call(self, args);
                    return {};
                } else {
                    return rt::Variant(call(self, args));
                }
            }};
}

}  // namespace forms::rows
