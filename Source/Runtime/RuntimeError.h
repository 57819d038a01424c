#pragma once
// The one run-time error of the system: a number, a description and the source that raised it.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace rt {

namespace err {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int ErrorLoadingLibrary = 48;
inline constexpr int FileNotFound = 53;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectNotSet = 91;
inline constexpr int ControlArrayElementMissing = 340;
inline constexpr int CannotCreateObject = 429;
inline constexpr int MemberNotSupported = 438;
inline constexpr int ArgumentNotOptional = 449;
inline constexpr int EntryPointMissing = 453;
inline constexpr int KeyAlreadyExists = 457;
// Component errors are numbered from this base, as the automation convention has it.
inline constexpr std::int32_t ObjectErrorBase = static_cast<std::int32_t>(0x80040000u);
}  // namespace err

// The classic description of a standard error number; "Application-defined or object-defined
// error" for numbers without one.
std::string StandardDescription(int number);

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(std::int32_t number, std::string description, std::string source = {});
    // Defined in the runtime library, which so holds the one type record of the error that
    // every library throws and catches.
    ~RuntimeError() override;

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const std::string& Source() const noexcept { return source_; }

  private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
};

// Raises error `number`; an empty description takes the standard one ("Control array element
// 'n' doesn't exist" gets its index through RaiseControlArrayElementMissing).
[[noreturn]] void Raise(std::int32_t number, std::string source = {}, std::string description = {});
[[noreturn]] void RaiseControlArrayElementMissing(int index, std::string source = {});

}  // namespace rt
