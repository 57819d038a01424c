#pragma once
// The registry role: keys with typed values and last-write times below the predefined root keys.
//
// The role itself speaks the system's text (UTF-8) for key names, value names and the data of text
// values. The advapi32-shaped "A" functions below speak the 8-bit code page (Windows-1252) as the
// classic callers expect, and convert at this boundary.
//
// The Linux implementation keeps one human-readable file per root key in the registry folder:
// $PERLOWAN_REGISTRY_DIR when set, else $XDG_DATA_HOME/perlowan/registry, else
// ~/.local/share/perlowan/registry. Every change locks the folder, takes the file's current state
// and replaces it atomically, so several processes may write at once without losing an update.
// The parsed file is kept between calls and read again only when the file changed (reads look at
// its identity, size and times; changes also compare its content). A file that cannot be read or
// parsed makes every call on its root fail with BadDb; the file is never overwritten then.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FileTime.h"
#include "Role.h"

namespace platform {

// An open key, or one of the predefined roots.
using HKey = std::uintptr_t;

namespace reg {

inline constexpr HKey ClassesRoot = 0x80000000u;
inline constexpr HKey CurrentUser = 0x80000001u;
inline constexpr HKey LocalMachine = 0x80000002u;
inline constexpr HKey Users = 0x80000003u;
inline constexpr HKey PerformanceData = 0x80000004u;  // not kept by the store: InvalidHandle
inline constexpr HKey CurrentConfig = 0x80000005u;
inline constexpr HKey DynData = 0x80000006u;  // not kept by the store: InvalidHandle

// Result codes (the system error numbers).
inline constexpr long Success = 0;
inline constexpr long FileNotFound = 2;
inline constexpr long AccessDenied = 5;  // also: deleting a key that has subkeys, or a root
inline constexpr long InvalidHandle = 6;
inline constexpr long InvalidParameter = 87;
inline constexpr long BadPathname = 161;  // empty level in a path ("a\\b", leading "\")
inline constexpr long MoreData = 234;
inline constexpr long NoMoreItems = 259;
inline constexpr long BadDb = 1009;       // the store file is unreadable or corrupt
inline constexpr long IoFailed = 1016;    // the store file could not be written
inline constexpr long KeyDeleted = 1018;  // the key of an open handle is gone

// Value types.
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;

// Access rights of a handle.
inline constexpr std::uint32_t KeyQueryValue = 0x1;
inline constexpr std::uint32_t KeySetValue = 0x2;
inline constexpr std::uint32_t KeyCreateSubKey = 0x4;
inline constexpr std::uint32_t KeyEnumerateSubKeys = 0x8;
inline constexpr std::uint32_t KeyNotify = 0x10;
inline constexpr std::uint32_t KeyCreateLink = 0x20;
inline constexpr std::uint32_t KeyRead = 0x20019;
inline constexpr std::uint32_t KeyWrite = 0x20006;
inline constexpr std::uint32_t KeyAllAccess = 0xF003F;

// Disposition of a create.
inline constexpr std::uint32_t CreatedNewKey = 1;
inline constexpr std::uint32_t OpenedExistingKey = 2;

}  // namespace reg

struct RegKeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;  // longest subkey name, in characters
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;  // longest value name, in characters
    std::uint32_t maxValueLen = 0;      // largest value data, in bytes
    FileTime lastWriteTime;
};

// Paths are levels separated by "\"; a trailing "\" is ignored, an empty level gives BadPathname.
// Names compare ignoring letter case and keep the spelling they were created with. Subkeys are
// enumerated in the order of their upper-cased names, values in the order they were first set.
// An empty value name is the key's default value. Every call returns a result code.
class Registry {
  public:
    virtual ~Registry() = default;

    // Opens an existing key (an empty path opens the key itself again). FileNotFound when absent.
    virtual long OpenKey(HKey parent, std::string_view subKey, std::uint32_t access,
                         HKey& result) = 0;
    // Opens the key, creating it and every missing level first (the parent handle needs
    // KeyCreateSubKey then). `disposition` (may be null) tells CreatedNewKey/OpenedExistingKey.
    virtual long CreateKey(HKey parent, std::string_view subKey, std::uint32_t access, HKey& result,
                           std::uint32_t* disposition) = 0;
    // Closing a root key succeeds and does nothing.
    virtual long CloseKey(HKey key) = 0;
    // Needs KeySetValue. `data` is stored as given (text values: UTF-8, no terminator needed).
    virtual long SetValue(HKey key, std::string_view name, std::uint32_t type,
                          std::string_view data) = 0;
    // Needs KeyQueryValue. `type` and `data` may be null. FileNotFound when the value is absent.
    virtual long QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                            std::string* data) = 0;
    // Needs KeySetValue. FileNotFound when the value is absent.
    virtual long DeleteValue(HKey key, std::string_view name) = 0;
    // Deletes a key without subkeys (AccessDenied when it has some, or for a root).
    virtual long DeleteKey(HKey parent, std::string_view subKey) = 0;
    // Deletes a key with all its subkeys and values (an empty path: the contents of the key).
    virtual long DeleteTree(HKey parent, std::string_view subKey) = 0;
    // Needs KeyEnumerateSubKeys. NoMoreItems past the last subkey. `lastWrite` may be null.
    virtual long EnumKey(HKey key, std::uint32_t index, std::string& name, FileTime* lastWrite) = 0;
    // Needs KeyQueryValue. NoMoreItems past the last value. `type` and `data` may be null.
    virtual long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                           std::string* data) = 0;
    // Needs KeyQueryValue.
    virtual long QueryInfoKey(HKey key, RegKeyInfo& info) = 0;
    // What went wrong in this thread's latest call, for messages (the store file, the line and
    // the cause of a BadDb, the reason of an IoFailed); empty when it succeeded or has no detail.
    virtual std::string LastErrorDetail() = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::Registry);

namespace platform {

inline Registry& SystemRegistry() {
    return rt::Role<Registry>::Get();
}

// The file-backed store in `folder` (created on the first write). Last-write times come from
// `now` (the system clock when empty). The default role is this store in the folder named above,
// looked up again on every call so that a changed environment takes effect.
std::shared_ptr<Registry> MakeFileRegistry(std::string folder, FileTime (*now)() = nullptr);
// The folder the default role uses now.
std::string DefaultRegistryFolder();

// A short English text for a result code: "The registry store is corrupt" and the like.
std::string RegistryErrorText(long code);

// ---- The advapi32-shaped functions over SystemRegistry(), in the 8-bit code page ----
// Names and text data (types Sz, ExpandSz, MultiSz) are Windows-1252 here and UTF-8 in the role.
// Output buffers follow the classic rules: sizes are in and out; a buffer too small gives MoreData
// with the needed size (names: characters without the terminator; data: bytes); a null data
// pointer asks for the size only. Names are written with a terminating NUL.

long RegOpenKeyExA(HKey key, std::string_view subKey, std::uint32_t options,
                   std::uint32_t samDesired, HKey* result);
long RegCreateKeyExA(HKey key, std::string_view subKey, std::uint32_t reserved,
                     std::string_view className, std::uint32_t options, std::uint32_t samDesired,
                     const void* securityAttributes, HKey* result, std::uint32_t* disposition);
long RegCloseKey(HKey key);
long RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t reserved,
                    std::uint32_t type, const std::uint8_t* data, std::uint32_t size);
long RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* reserved,
                      std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);
long RegDeleteValueA(HKey key, std::string_view valueName);
long RegDeleteKeyA(HKey key, std::string_view subKey);
long RegEnumKeyExA(HKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                   std::uint32_t* reserved, char* className, std::uint32_t* classChars,
                   FileTime* lastWriteTime);
long RegEnumValueA(HKey key, std::uint32_t index, char* valueName, std::uint32_t* valueNameChars,
                   std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data,
                   std::uint32_t* size);
long RegQueryInfoKeyA(HKey key, char* className, std::uint32_t* classChars, std::uint32_t* reserved,
                      std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen,
                      std::uint32_t* maxClassLen, std::uint32_t* values,
                      std::uint32_t* maxValueNameLen, std::uint32_t* maxValueLen,
                      std::uint32_t* securityDescriptorSize, FileTime* lastWriteTime);

}  // namespace platform
