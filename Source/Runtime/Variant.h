#pragma once
// The variant of late-bound calls: empty, null, boolean, 16- and 32-bit integer, single, double,
// date, string, object, array, and the "missing" marker of an omitted optional argument.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rt {

class IDispatch;
using ObjectRef = std::shared_ptr<IDispatch>;

// An automation date: days since 30 December 1899, the fraction being the time of day.
struct Date {
    double serial = 0;
    friend bool operator==(Date, Date) = default;
};

// The automation boolean: true has all bits set.
inline constexpr std::int16_t VariantTrue = -1;
inline constexpr std::int16_t VariantFalse = 0;

enum class VarType : std::int16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,  // only as the "missing" marker
    Boolean = 11,
    Array = 0x200C,  // array of variants
};

class Variant {
  public:
    struct EmptyTag {
        bool operator==(const EmptyTag&) const = default;
    };
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct MissingTag {
        bool operator==(const MissingTag&) const = default;
    };
    using Array = std::vector<Variant>;

    Variant() = default;
    Variant(bool v) : value_(v) {}
    Variant(std::int16_t v) : value_(v) {}
    Variant(std::int32_t v) : value_(v) {}
    Variant(float v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(Date v) : value_(v) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(std::string_view v) : value_(std::string(v)) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(ObjectRef v) : value_(std::move(v)) {}
    Variant(Array v) : value_(std::make_shared<Array>(std::move(v))) {}
    template <class T>
    requires std::is_base_of_v<IDispatch, T> Variant(std::shared_ptr<T> v)
        : value_(ObjectRef(std::move(v))) {}

    static Variant Null() { return Variant(NullTag{}); }
    static Variant Missing() { return Variant(MissingTag{}); }
    // An object variant holding no object ("Nothing").
    static Variant Nothing() { return Variant(ObjectRef()); }

    VarType Type() const noexcept;
    bool IsEmpty() const noexcept { return std::holds_alternative<EmptyTag>(value_); }
    bool IsNull() const noexcept { return std::holds_alternative<NullTag>(value_); }
    bool IsMissing() const noexcept { return std::holds_alternative<MissingTag>(value_); }
    bool IsObject() const noexcept { return std::holds_alternative<ObjectRef>(value_); }
    bool IsArray() const noexcept { return std::holds_alternative<std::shared_ptr<Array>>(value_); }
    bool IsString() const noexcept { return std::holds_alternative<std::string>(value_); }
    bool IsNumeric() const noexcept;

    // The classic conversions. Each raises 13 when the value cannot be converted (94 for a null
    // where a value is required) and 6 when it does not fit the target type.
    std::string ToString() const;    // CStr; numbers with the regional decimal sign
    bool ToBool() const;             // CBool
    std::int16_t ToInteger() const;  // CInt, rounding half to even
    std::int32_t ToLong() const;     // CLng, rounding half to even
    float ToSingle() const;          // CSng
    double ToDouble() const;         // CDbl; texts with the regional decimal sign
    Date ToDate() const;             // CDate
    ObjectRef ToObject() const;      // the object, which may be Nothing
    const Array& ToArray() const;    // raises 13 unless an array
    Array& MutableArray();           // raises 13 unless an array; unshares it first

    // The automation boolean of the value: VariantTrue or VariantFalse.
    std::int16_t ToAutomationBool() const { return ToBool() ? VariantTrue : VariantFalse; }

    template <class T>
    const T* Get() const noexcept {
        return std::get_if<T>(&value_);
    }

    friend bool operator==(const Variant& a, const Variant& b);

  private:
    explicit Variant(NullTag t) : value_(t) {}
    explicit Variant(MissingTag t) : value_(t) {}

    std::variant<EmptyTag, NullTag, MissingTag, bool, std::int16_t, std::int32_t, float, double,
                 Date, std::string, ObjectRef, std::shared_ptr<Array>>
        value_;
};

// Parses a text as the classic numeric conversion does (blanks around, sign, digits, one
// decimal sign, exponent, "&H"/"&O"); false when the whole text is not a number. The first reads
// "." whatever the settings (texts of programs and protocols); the second reads the decimal sign
// of the user's regional settings, as CDbl, CDate and IsNumeric do. Thousands separators are not
// read: a text with them is no number. Neither depends on the C library's locale.
bool ParseNumericText(std::string_view text, double& out) noexcept;
bool ParseRegionalNumericText(std::string_view text, double& out) noexcept;

}  // namespace rt
