#include "Variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "DateTime.h"
#include "Dispatch.h"
#include "Regional.h"
#include "RuntimeError.h"
#include "Text.h"

namespace rt {

namespace {

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

[[noreturn]] void TypeMismatch() {
    Raise(err::TypeMismatch);
}

double RoundHalfEven(double v) {
    return std::nearbyint(v);
}  // default rounding mode is to-even

}  // namespace

namespace {

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) noexcept {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The numeric conversion with `decimalSign` as the decimal sign.
bool ParseNumber(std::string_view text, char decimalSign, double& out) noexcept {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    if (t[0] == '&') {
        if (t.size() < 3) return false;
        const char kind = static_cast<char>(t[1] | 0x20);
        if (kind != 'h' && kind != 'o') return false;
        for (std::size_t i = 2; i < t.size(); ++i) {
            const bool ok = kind == 'h' ? IsHexDigit(t[i]) : (t[i] >= '0' && t[i] <= '7');
            if (!ok) return false;
        }
        out = Val(t);
        return true;
    }
    std::string number;
    number.reserve(t.size());
    std::size_t i = 0;
    if (t[i] == '+' || t[i] == '-') number += t[i++];
    bool digits = false;
    while (i < t.size() && IsDigit(t[i])) number += t[i++], digits = true;
    if (i < t.size() && t[i] == decimalSign) {
        number += '.';
        ++i;
        while (i < t.size() && IsDigit(t[i])) number += t[i++], digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        number += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) number += t[i++];
        bool expDigits = false;
        while (i < t.size() && IsDigit(t[i])) number += t[i++], expDigits = true;
        if (!expDigits) return false;
    }
    if (i != t.size()) return false;
    return ParseDecimalText(number, out);
}

}  // namespace

bool ParseNumericText(std::string_view text, double& out) noexcept {
    return ParseNumber(text, '.', out);
}

bool ParseRegionalNumericText(std::string_view text, double& out) noexcept {
    return ParseNumber(text, CurrentRegion().decimalSign, out);
}

VarType Variant::Type() const noexcept {
    return std::visit(Overload{
                          [](EmptyTag) { return VarType::Empty; },
                          [](NullTag) { return VarType::Null; },
                          [](MissingTag) { return VarType::Error; },
                          [](bool) { return VarType::Boolean; },
                          [](std::int16_t) { return VarType::Integer; },
                          [](std::int32_t) { return VarType::Long; },
                          [](float) { return VarType::Single; },
                          [](double) { return VarType::Double; },
                          [](Date) { return VarType::Date; },
                          [](const std::string&) { return VarType::String; },
                          [](const ObjectRef&) { return VarType::Object; },
                          [](const std::shared_ptr<Array>&) { return VarType::Array; },
                      },
                      value_);
}

bool Variant::IsNumeric() const noexcept {
    switch (Type()) {
        case VarType::Empty:
        case VarType::Boolean:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
            return true;
        case VarType::String: {
            double ignored;
            return ParseRegionalNumericText(std::get<std::string>(value_), ignored);
        }
        default:
            return false;
    }
}

double Variant::ToDouble() const {
    return std::visit(Overload{
                          [](EmptyTag) { return 0.0; },
                          [](NullTag) -> double { Raise(94); },
                          [](MissingTag) -> double { TypeMismatch(); },
                          [](bool b) { return b ? -1.0 : 0.0; },
                          [](std::int16_t v) { return double(v); },
                          [](std::int32_t v) { return double(v); },
                          [](float v) { return double(v); },
                          [](double v) { return v; },
                          [](Date d) { return d.serial; },
                          [](const std::string& s) {
                              double v;
                              if (!ParseRegionalNumericText(s, v)) TypeMismatch();
                              return v;
                          },
                          [](const ObjectRef&) -> double { TypeMismatch(); },
                          [](const std::shared_ptr<Array>&) -> double { TypeMismatch(); },
                      },
                      value_);
}

std::int16_t Variant::ToInteger() const {
    const double v = RoundHalfEven(ToDouble());
    if (!(v >= -32768.0 && v <= 32767.0)) Raise(err::Overflow);
    return static_cast<std::int16_t>(v);
}

std::int32_t Variant::ToLong() const {
    const double v = RoundHalfEven(ToDouble());
    if (!(v >= -2147483648.0 && v <= 2147483647.0)) Raise(err::Overflow);
    return static_cast<std::int32_t>(v);
}

float Variant::ToSingle() const {
    const double v = ToDouble();
    if (std::fabs(v) > std::numeric_limits<float>::max()) Raise(err::Overflow);
    return static_cast<float>(v);
}

bool Variant::ToBool() const {
    if (const auto* s = std::get_if<std::string>(&value_)) {
        if (TextEquals(Trim(*s), "True")) return true;
        if (TextEquals(Trim(*s), "False")) return false;
    }
    if (const auto* b = std::get_if<bool>(&value_)) return *b;
    return ToDouble() != 0;
}

std::string Variant::ToString() const {
    return std::visit(Overload{
                          [](EmptyTag) { return std::string(); },
                          [](NullTag) -> std::string { Raise(94); },
                          [](MissingTag) -> std::string { TypeMismatch(); },
                          [](bool b) { return std::string(b ? "True" : "False"); },
                          [](std::int16_t v) { return std::to_string(v); },
                          [](std::int32_t v) { return std::to_string(v); },
                          [](float v) {
                              // A single carries 7 significant digits.
                              char buf[32];
                              const auto end = std::to_chars(buf, buf + sizeof buf, double(v),
                                                             std::chars_format::general, 7);
                              double rounded = 0;
                              std::from_chars(buf, end.ptr, rounded);
                              return RegionalNumberText(rounded);
                          },
                          [](double v) { return RegionalNumberText(v); },
                          [](Date d) { return DateTimeText(d); },
                          [](const std::string& s) { return s; },
                          [](const ObjectRef&) -> std::string { TypeMismatch(); },
                          [](const std::shared_ptr<Array>&) -> std::string { TypeMismatch(); },
                      },
                      value_);
}

Date Variant::ToDate() const {
    if (const auto* d = std::get_if<Date>(&value_)) return *d;
    if (const auto* s = std::get_if<std::string>(&value_)) {
        double v;
        if (ParseRegionalNumericText(*s, v)) return Date{v};
        return DateFromText(*s);
    }
    return Date{ToDouble()};
}

ObjectRef Variant::ToObject() const {
    if (const auto* o = std::get_if<ObjectRef>(&value_)) return *o;
    TypeMismatch();
}

const Variant::Array& Variant::ToArray() const {
    if (const auto* a = std::get_if<std::shared_ptr<Array>>(&value_)) return **a;
    TypeMismatch();
}

Variant::Array& Variant::MutableArray() {
    auto* a = std::get_if<std::shared_ptr<Array>>(&value_);
    if (!a) TypeMismatch();
    if (a->use_count() > 1) *a = std::make_shared<Array>(**a);
    return **a;
}

bool operator==(const Variant& a, const Variant& b) {
    const auto* x = std::get_if<std::shared_ptr<Variant::Array>>(&a.value_);
    const auto* y = std::get_if<std::shared_ptr<Variant::Array>>(&b.value_);
    if (x && y) return **x == **y;
    return a.value_ == b.value_;
}

}  // namespace rt
