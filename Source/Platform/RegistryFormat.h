#pragma once
// The tree of one root key and its text form, as the registry store keeps it on disk:
//
//   # Perlowan registry: HKEY_CURRENT_USER
//   [] 2026-12-05T18:03:34.1234567Z
//   [Software\Perlowan] 2026-12-05T18:03:34.1234567Z
//   @=sz:"default value"
//   "Text"=sz:"Größe, \"quoted\", a back\\slash, a line\nbreak"
//   "Bytes"=hex:02,01,00
//   "Number"=dword:00000102
//   "Other"=hex(7):41,00,00
//
// Key lines carry the full path and the last-write time (UTC); "%", "]", "\" and control
// characters in key names are written as %XX, so every name reads back byte for byte. Text data
// is UTF-8 in quotes with \\ \" \n \r \t \xHH escapes (bytes that are not UTF-8 as \xHH).
// Subkeys follow in enumeration order, values in theirs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FileTime.h"

namespace platform::regfile {

// Levels of a key path at most; deeper keys are neither created nor read.
inline constexpr std::size_t kMaxKeyDepth = 512;

struct Value {
    std::string name;
    std::string folded;
    std::uint32_t type = 0;
    std::string data;
};

struct Key {
    std::string name;
    std::string folded;  // upper-cased name: identity and enumeration order
    FileTime lastWrite;
    std::vector<Value> values;  // in the order first set
    std::vector<Key> subKeys;   // sorted by `folded`
};

std::string Fold(std::string_view name);
Key* FindSubKey(Key& key, std::string_view name);
// Adds a subkey in its sorted place and returns it.
Key& AddSubKey(Key& key, std::string_view name, FileTime time);
Value* FindValue(Key& key, std::string_view name);

std::string FormatTime(const FileTime& time);
bool ParseTime(std::string_view text, FileTime& out);

std::string Serialize(const Key& root, std::string_view rootName);
// False with a description ("line 7: ...") when the text is not a valid store.
bool Parse(std::string_view text, Key& root, std::string& problem);

}  // namespace platform::regfile
