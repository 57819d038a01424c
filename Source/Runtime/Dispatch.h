#pragma once
// Late binding: objects called by member name (letter case ignored) or by dispatch id, with the
// arguments in call order. By-reference arguments are written back into the argument span;
// an omitted optional argument is Variant::Missing().
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "RuntimeError.h"
#include "Variant.h"

namespace rt {

using DispId = std::int32_t;

enum class CallType : std::uint16_t {
    Method = 1,
    PropertyGet = 2,
    PropertyLet = 4,
    PropertySet = 8
};

class IDispatch {
  public:
    virtual ~IDispatch() = default;
    // Raises 438 for a name the object does not have.
    virtual DispId GetIdOfName(std::string_view name) = 0;
    // Raises 438 for an id the object does not have; other errors are the member's own.
    virtual Variant Invoke(DispId id, CallType type, std::span<Variant> args) = 0;
};

// Calls `name` on `object`. Raises 91 for Nothing, 438 for an unknown member.
Variant CallByName(const ObjectRef& object, std::string_view name, CallType type,
                   std::span<Variant> args = {});
// A method call whose arguments are all passed by value.
template <class... A>
Variant CallMethod(const ObjectRef& object, std::string_view name, A&&... args) {
    std::vector<Variant> list{Variant(std::forward<A>(args))...};
    return CallByName(object, name, CallType::Method, list);
}
Variant GetProperty(const ObjectRef& object, std::string_view name);
void LetProperty(const ObjectRef& object, std::string_view name, Variant value);

// Argument access for member implementations. Arg raises 449 when the argument is absent or
// missing; OptionalArg gives Missing for an absent one.
Variant& Arg(std::span<Variant> args, std::size_t index);
Variant OptionalArg(std::span<Variant> args, std::size_t index);

// The name-to-member table of a class: one row per member with its dispatch id. It feeds the
// late-bound calls (and, for controls, the property bag).
template <class T>
class DispatchTable {
  public:
    using Handler = std::function<Variant(T&, CallType, std::span<Variant>)>;
    struct Member {
        std::string name;
        DispId id;
        Handler call;
    };

    DispatchTable(std::initializer_list<Member> members) : members_(members) {}

    const std::vector<Member>& Members() const { return members_; }

    const Member* Find(std::string_view name) const {
        for (const auto& m : members_)
            if (NamesEqual(m.name, name)) return &m;
        return nullptr;
    }
    const Member* Find(DispId id) const {
        for (const auto& m : members_)
            if (m.id == id) return &m;
        return nullptr;
    }
    DispId IdOf(std::string_view name) const {
        const Member* m = Find(name);
        if (!m) Raise(err::MemberNotSupported);
        return m->id;
    }
    Variant Invoke(T& self, DispId id, CallType type, std::span<Variant> args) const {
        const Member* m = Find(id);
        if (!m) Raise(err::MemberNotSupported);
        return m->call(self, type, args);
    }

  private:
    static bool NamesEqual(std::string_view a, std::string_view b);
    std::vector<Member> members_;
};

bool AsciiNamesEqual(std::string_view a, std::string_view b) noexcept;

template <class T>
bool DispatchTable<T>::NamesEqual(std::string_view a, std::string_view b) {
    return AsciiNamesEqual(a, b);
}

// Base for classes that dispatch through a static table returned by T::Members().
template <class T>
class Dispatchable : public IDispatch {
  public:
    DispId GetIdOfName(std::string_view name) override { return T::Members().IdOf(name); }
    Variant Invoke(DispId id, CallType type, std::span<Variant> args) override {
        return T::Members().Invoke(static_cast<T&>(*this), id, type, args);
    }
};

// An object whose members are defined at run time: test doubles, script objects, small hosts.
class DynamicObject : public IDispatch {
  public:
    using Handler = std::function<Variant(std::span<Variant>)>;
    // Defines (or redefines) a member; ids are given in order of definition, from 1.
    DispId Define(std::string name, Handler handler);
    DispId GetIdOfName(std::string_view name) override;
    Variant Invoke(DispId id, CallType type, std::span<Variant> args) override;

  private:
    struct Member {
        std::string name;
        Handler handler;
    };
    std::vector<Member> members_;
};

}  // namespace rt
