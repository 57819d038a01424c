#pragma once
// The system's profile-string functions: single values of INI files read and written by section
// and key. Files hold Windows-1252 bytes; names and values here are the system's UTF-8 text.
//
// Reading: a line ends at any run of CR and LF; blank lines are skipped and leading blanks of a
// line are ignored. A header is a line starting with "[", its name running to the last "]" on the
// line, trimmed; a "[" line without "]" is no header. A key line splits at its first "=": the key
// is right-trimmed, the value trimmed, and a value of two or more characters that starts and ends
// with the same quote (" or ') loses both. Names compare ignoring case, the names asked for
// trimmed; only the first section of a name is searched, and in it the first key of a name wins.
//
// Writing replaces the value of that key in place, adds a new key after the last key line of its
// section (right after the header when it has none), or appends "[section]" CR LF "key=value"
// CR LF at the end of the file; a missing file is created readable by its owner only. Every other
// byte of the file stays as it was, and the file is replaced in one step.
#include <cstdint>
#include <string>
#include <string_view>

#include "Role.h"

namespace platform {

class ProfileStrings {
  public:
    virtual ~ProfileStrings() = default;
    // Puts the value into `returned`, cut to `size` - 1 characters, and returns how many
    // characters it holds. A missing file, section or key gives `defaultValue` without its
    // trailing blanks. Never raises.
    virtual std::int32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue,
                                                  std::string& returned, std::int32_t size,
                                                  const std::string& fileName) = 0;
    // False when the file cannot be read or written (it is then left as it was). Never raises.
    virtual bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                            std::string_view value,
                                            const std::string& fileName) = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::ProfileStrings);

namespace platform {

inline ProfileStrings& Profile() {
    return rt::Role<ProfileStrings>::Get();
}

}  // namespace platform
