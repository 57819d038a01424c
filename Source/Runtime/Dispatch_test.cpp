#include "Dispatch.h"

#include <gtest/gtest.h>

#include "RuntimeError_test.h"

#include <functional>

namespace {

using rt::CallType;
using rt::Variant;

using rt::testing::ErrorOf;

// A class with a static name-to-member table, as the add-in's classes have.
class Counter : public rt::Dispatchable<Counter> {
  public:
    static const rt::DispatchTable<Counter>& Members() {
        static const rt::DispatchTable<Counter> table{
            {"Value", 1,
             [](Counter& self, CallType type, std::span<Variant> args) -> Variant {
                 if (type == CallType::PropertyLet) {
                     self.value = rt::Arg(args, 0).ToLong();
                     return {};
                 }
                 return self.value;
             }},
            {"AddTo", 2,
             // AddTo(byref total, optional step = 1): adds the step to total and returns it.
             [](Counter&, CallType, std::span<Variant> args) -> Variant {
                 const Variant step = rt::OptionalArg(args, 1);
                 const std::int32_t by = step.IsMissing() ? 1 : step.ToLong();
                 rt::Arg(args, 0) = rt::Arg(args, 0).ToLong() + by;
                 return rt::Arg(args, 0);
             }},
            {"Concat", 7,
             [](Counter&, CallType, std::span<Variant> args) -> Variant {
                 std::string joined;
                 for (const Variant& a : args) joined += a.IsMissing() ? "_" : a.ToString();
                 return joined;
             }},
        };
        return table;
    }
    std::int32_t value = 0;
};

TEST(Dispatch, NamesIgnoreLetterCaseAndIdsReachTheSameMember) {
    auto counter = std::make_shared<Counter>();
    const rt::ObjectRef object = counter;
    struct Row {
        const char* name;
        rt::DispId id;
    };
    const Row rows[] = {{"Value", 1}, {"VALUE", 1}, {"value", 1}, {"addto", 2}, {"CONCAT", 7}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(object->GetIdOfName(rows[i].name), rows[i].id);
    }
    rt::LetProperty(object, "vAlUe", std::int32_t{41});
    EXPECT_EQ(counter->value, 41);
    Variant none[1];
    EXPECT_EQ(object->Invoke(1, CallType::PropertyGet, std::span<Variant>(none, 0)), Variant(41));
    EXPECT_EQ(rt::GetProperty(object, "value"), Variant(41));
}

TEST(Dispatch, ArgumentsArriveInOrderAndByReferenceOnesAreWrittenBack) {
    const rt::ObjectRef object = std::make_shared<Counter>();
    using Args = std::vector<Variant>;
    const Variant missing = Variant::Missing();
    struct Row {
        const char* method;
        Args args;
        Variant result;
        Args argsAfter;
    };
    const Row rows[] = {
        /* 0 */ {"Concat", {"a", std::int16_t{2}, true}, "a2True", {"a", std::int16_t{2}, true}},
        /* 1 */ {"Concat", {"x", missing, "z"}, "x_z", {"x", missing, "z"}},
        /* 2 */ {"AddTo", {10, 5}, 15, {15, 5}},  // the by-value step stays
        /* 3 */ {"AddTo", {10, missing}, 11, {11, missing}},
        /* 4 */ {"AddTo", {10}, 11, {11}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Args args = rows[i].args;
        EXPECT_EQ(rt::CallByName(object, rows[i].method, CallType::Method, args), rows[i].result);
        EXPECT_EQ(args, rows[i].argsAfter);
    }
    EXPECT_EQ(rt::CallMethod(object, "Concat", "a", std::int16_t{2}, true), Variant("a2True"));
}

TEST(Dispatch, UnknownMembersRaise438NothingRaises91AndAMissingArgument449) {
    const rt::ObjectRef object = std::make_shared<Counter>();
    auto dynamic = std::make_shared<rt::DynamicObject>();
    dynamic->Define("Known", [](std::span<Variant>) { return Variant(1); });
    struct Row {
        std::function<void()> call;
        int expected;
    };
    const Row rows[] = {
        /* 0 */ {[&] { rt::CallMethod(object, "Missing"); }, 438},
        /* 1 */ {[&] { rt::CallMethod(object, "Valu"); }, 438},
        /* 2 */ {[&] { object->Invoke(99, CallType::Method, {}); }, 438},
        /* 3 */ {[&] { rt::CallMethod(dynamic, "Unknown"); }, 438},
        /* 4 */ {[&] { dynamic->Invoke(0, CallType::Method, {}); }, 438},
        /* 5 */ {[&] { dynamic->Invoke(2, CallType::Method, {}); }, 438},
        /* 6 */ {[&] { rt::CallMethod(nullptr, "Known"); }, 91},
        /* 7 */ {[&] { rt::GetProperty(nullptr, "Value"); }, 91},
        /* 8 */ {[&] { rt::LetProperty(nullptr, "Value", 1); }, 91},
        /* 9 */ {[&] { rt::CallMethod(object, "AddTo", Variant::Missing()); }, 449},
        /* 10 */ {[&] { rt::CallMethod(object, "AddTo"); }, 449},  // a required argument
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ErrorOf(rows[i].call), rows[i].expected);
    }
}

TEST(Dispatch, DynamicObjectsDefineMembersAtRunTime) {
    auto host = std::make_shared<rt::DynamicObject>();
    std::vector<std::string> calls;
    const rt::DispId first = host->Define("LanguageString", [&](std::span<Variant> args) {
        calls.push_back("LanguageString " + args[0].ToString());
        return Variant("Text " + args[0].ToString());
    });
    const rt::DispId second = host->Define("ShowStatus", [&](std::span<Variant> args) {
        calls.push_back("ShowStatus " + args[0].ToString());
        args[0] = Variant("written back");
        return Variant();
    });
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(host->GetIdOfName("languagestring"), first);
    EXPECT_EQ(rt::CallMethod(host, "LANGUAGESTRING", std::int16_t{7}), Variant("Text 7"));
    std::vector<Variant> args{Variant("busy")};
    rt::CallByName(host, "showstatus", CallType::Method, args);
    EXPECT_EQ(args[0], Variant("written back"));
    // Redefining keeps the id and replaces the behaviour.
    EXPECT_EQ(host->Define("SHOWSTATUS", [](std::span<Variant>) { return Variant(2); }), second);
    EXPECT_EQ(rt::CallMethod(host, "ShowStatus", "x"), Variant(2));
    EXPECT_EQ(calls, (std::vector<std::string>{"LanguageString 7", "ShowStatus busy"}));
}

TEST(Dispatch, MemberErrorsReachTheCaller) {
    auto object = std::make_shared<rt::DynamicObject>();
    object->Define("Fail", [](std::span<Variant>) -> Variant {
        rt::Raise(rt::err::ObjectErrorBase + 513, "Host", "host failed");
    });
    try {
        rt::CallMethod(object, "fail");
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), rt::err::ObjectErrorBase + 513);
        EXPECT_EQ(e.Description(), "host failed");
        EXPECT_EQ(e.Source(), "Host");
    }
}

}  // namespace
