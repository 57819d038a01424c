#pragma once
// cRegistry: a small stateless class around the system registry. Every member names its root key
// by `MainKey` (0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE, 3 HKEY_USERS,
// 4 HKEY_PERFORMANCE_DATA, 5 HKEY_CURRENT_CONFIG, 6 HKEY_DYN_DATA) and its key by a path with "\"
// between the levels; an empty `Name` is the key's default value. Value types (`Typ`) are the
// registry's: 1 text, 3 binary, 4 32-bit number.
//
// Texts go to the registry in the 8-bit code page; a "string holding bytes" (binary data, the
// bytes of a number) has one character per byte, the character of that byte in the code page.
//
// No member raises an error of its own: a failed registry call ends the operation silently, reads
// give "" (the time stamp 0), and KeyEnumSubKeys gives False only for a key that does not open.
#include <cstdint>
#include <string>
#include <vector>

#include "Dispatch.h"
#include "Variant.h"

class cRegistry : public rt::Dispatchable<cRegistry> {
  public:
    // Creates the key and every missing level above it; an existing level is just opened.
    void CreateKey(std::int32_t MainKey, std::string Key);
    // Puts "." before an extension that has none (the caller's text changes), then gives the
    // command that opens files of that type ("" when none is registered).
    std::string FindApplicationForFileType(std::string& ptExtension);
    // Writes `Wert` with the type `Typ` into an existing key; an empty `Wert` deletes the value.
    void SetValue(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                  std::int32_t Typ, const std::string& Wert);
    void DeleteValue(std::int32_t MainKey, const std::string& Key, const std::string& Name);
    // Removes a key that has no subkeys.
    void DeleteKey(std::int32_t MainKey, const std::string& Key);
    // The value as text: a text up to its first NUL, binary data one character per byte, a
    // number in decimal; "" for other types and a missing key or value.
    std::string GetValue(std::int32_t MainKey, const std::string& Key, const std::string& Name);
    bool KeyExists(std::int32_t MainKey, const std::string& Key);
    // The names of the subkeys in index order and the key's last-write time; both are left as
    // they were when the key has no subkeys.
    bool KeyEnumSubKeys(std::int32_t MainKey, const std::string& Key,
                        std::vector<std::string>& ptSubKeys, rt::Date& ldtLastChange);
    // The key's last-write time in local time, to the second; 0 when the key does not open.
    rt::Date GetTimestampLastChange(std::int32_t MainKey, const std::string& Key);
    // These three create the key first.
    void SetBinary(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                   const std::string& value);
    // Stores the number's four bytes, least significant first (two's complement when negative).
    void SetDWord(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                  std::int32_t value);
    void SetString(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                   const std::string& value);

    static const rt::DispatchTable<cRegistry>& Members();
};
