#include "cRegistry.h"

#include <string_view>

#include "CodePage.h"
#include "DateTime.h"
#include "Registry.h"

namespace {

using platform::HKey;
namespace reg = platform::reg;

constexpr std::uint32_t kAccessAll = 63;
constexpr std::uint32_t kAccessQueryAndEnumerate = reg::KeyQueryValue | reg::KeyEnumerateSubKeys;
constexpr std::uint32_t kOptionNonVolatile = 0;

HKey RootKey(std::int32_t MainKey) {
    return static_cast<HKey>(0x80000000u + static_cast<std::uint32_t>(MainKey));
}

// The registry's 8-bit text of a system text.
std::string Ansi(std::string_view text) {
    return rt::Utf8ToWin1252(text);
}

// Opens and closes a key for the length of a scope.
class OpenedKey {
  public:
    OpenedKey(HKey parent, std::string_view path, std::uint32_t access) {
        opened_ = platform::RegOpenKeyExA(parent, Ansi(path), 0, access, &key_) == reg::Success;
    }
    ~OpenedKey() {
        if (opened_) platform::RegCloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    explicit operator bool() const { return opened_; }
    HKey get() const { return key_; }

  private:
    HKey key_ = 0;
    bool opened_ = false;
};

// Creates one level below `parentPath` (the root itself when empty).
void CreateLevel(HKey root, const std::string& parentPath, const std::string& level) {
    HKey parent = root;
    if (!parentPath.empty()) {
        if (platform::RegOpenKeyExA(root, Ansi(parentPath), 0, reg::KeyCreateSubKey, &parent) !=
            reg::Success)
            return;
    }
    HKey created = 0;
    std::uint32_t disposition = 0;
    if (platform::RegCreateKeyExA(parent, Ansi(level), 0, "", kOptionNonVolatile, kAccessAll,
                                  nullptr, &created, &disposition) == reg::Success)
        platform::RegCloseKey(created);
    if (parent != root) platform::RegCloseKey(parent);
}

// Local calendar time of a last-write time, to the second; nothing when it does not convert.
bool ToDate(const platform::FileTime& written, rt::Date& out) {
    platform::FileTime local;
    platform::SystemTime parts;
    if (!platform::FileTimeToLocalFileTime(written, local) ||
        !platform::FileTimeToSystemTime(local, parts) || parts.wYear > 9999)
        return false;
    const double day = rt::DateSerial(parts.wYear, parts.wMonth, parts.wDay).serial;
    const double time = rt::TimeSerial(parts.wHour, parts.wMinute, parts.wSecond).serial;
    out = rt::Date{day < 0 ? day - time : day + time};
    return true;
}

bool LastWriteTime(HKey key, platform::FileTime& written) {
    return platform::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, &written) == reg::Success;
}

}  // namespace

void cRegistry::CreateKey(std::int32_t MainKey, std::string Key) {
    const HKey root = RootKey(MainKey);
    std::string done;
    std::size_t separator;
    while ((separator = Key.find('\\')) != std::string::npos) {
        const std::string level = Key.substr(0, separator);
        Key.erase(0, separator + 1);
        CreateLevel(root, done, level);
        done = done.empty() ? level : done + "\\" + level;
    }
    CreateLevel(root, done, Key);
}

std::string cRegistry::FindApplicationForFileType(std::string& ptExtension) {
    if (ptExtension.find('.') == std::string::npos) ptExtension = "." + ptExtension;
    std::string fileType = GetValue(5, ptExtension, "");
    if (fileType.empty()) fileType = GetValue(0, ptExtension, "");
    if (fileType.empty()) return "";
    return GetValue(0, fileType + "\\shell\\open\\command", "");
}

void cRegistry::SetValue(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                         std::int32_t Typ, const std::string& Wert) {
    if (Wert.empty()) {
        DeleteValue(MainKey, Key, Name);
        return;
    }
    OpenedKey key(RootKey(MainKey), Key, reg::KeySetValue);
    if (!key) return;
    const std::string data = Ansi(Wert);
    platform::RegSetValueExA(key.get(), Ansi(Name), 0, static_cast<std::uint32_t>(Typ),
                             reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size()));
}

void cRegistry::DeleteValue(std::int32_t MainKey, const std::string& Key, const std::string& Name) {
    OpenedKey key(RootKey(MainKey), Key, reg::KeySetValue);
    if (key) platform::RegDeleteValueA(key.get(), Ansi(Name));
}

void cRegistry::DeleteKey(std::int32_t MainKey, const std::string& Key) {
    platform::RegDeleteKeyA(RootKey(MainKey), Ansi(Key));
}

std::string cRegistry::GetValue(std::int32_t MainKey, const std::string& Key,
                                const std::string& Name) {
    OpenedKey key(RootKey(MainKey), Key, reg::KeyQueryValue);
    if (!key) return "";
    const std::string name = Ansi(Name);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (platform::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != reg::Success)
        return "";
    switch (type) {
        case reg::Sz:
        case reg::Binary: {
            std::string buffer(size + 1, '\0');
            if (platform::RegQueryValueExA(key.get(), name, nullptr, nullptr,
                                           reinterpret_cast<std::uint8_t*>(buffer.data()),
                                           &size) != reg::Success)
                return "";
            buffer.resize(type == reg::Sz ? buffer.find('\0') : size);
            return rt::Win1252ToUtf8(buffer);
        }
        case reg::Dword: {
            std::uint8_t bytes[4] = {};
            size = sizeof bytes;
            if (platform::RegQueryValueExA(key.get(), name, nullptr, nullptr, bytes, &size) !=
                reg::Success)
                return "";
            const std::uint32_t number = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                         (static_cast<std::uint32_t>(bytes[3]) << 24);
            return std::to_string(static_cast<std::int32_t>(number));
        }
        default:
            return "";
    }
}

bool cRegistry::KeyExists(std::int32_t MainKey, const std::string& Key) {
    return static_cast<bool>(OpenedKey(RootKey(MainKey), Key, kAccessAll));
}

bool cRegistry::KeyEnumSubKeys(std::int32_t MainKey, const std::string& Key,
                               std::vector<std::string>& ptSubKeys, rt::Date& ldtLastChange) {
    OpenedKey key(RootKey(MainKey), Key, kAccessQueryAndEnumerate);
    if (!key) return false;
    std::uint32_t count = 0;
    std::uint32_t longest = 0;
    platform::FileTime written;
    if (platform::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, &written) != reg::Success ||
        count == 0)
        return true;
    ptSubKeys.assign(count, std::string());
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string buffer(longest + 1, '\0');
        std::uint32_t chars = longest + 1;
        if (platform::RegEnumKeyExA(key.get(), i, buffer.data(), &chars, nullptr, nullptr, nullptr,
                                    nullptr) == reg::Success)
            ptSubKeys[i] = rt::Win1252ToUtf8(std::string_view(buffer.data(), chars));
    }
    rt::Date converted;
    ldtLastChange = ToDate(written, converted) ? converted : rt::Date{};
    return true;
}

rt::Date cRegistry::GetTimestampLastChange(std::int32_t MainKey, const std::string& Key) {
    OpenedKey key(RootKey(MainKey), Key, kAccessQueryAndEnumerate);
    platform::FileTime written;
    rt::Date result;
    if (!key || !LastWriteTime(key.get(), written) || !ToDate(written, result)) return rt::Date{};
    return result;
}

void cRegistry::SetBinary(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                          const std::string& value) {
    CreateKey(MainKey, Key);
    SetValue(MainKey, Key, Name, reg::Binary, value);
}

void cRegistry::SetDWord(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                         std::int32_t value) {
    auto number = static_cast<std::uint32_t>(value);
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>(number % 256);
        number /= 256;
    }
    CreateKey(MainKey, Key);
    SetValue(MainKey, Key, Name, reg::Dword, rt::Win1252ToUtf8(bytes));
}

void cRegistry::SetString(std::int32_t MainKey, const std::string& Key, const std::string& Name,
                          const std::string& value) {
    CreateKey(MainKey, Key);
    SetValue(MainKey, Key, Name, reg::Sz, value);
}

namespace {

std::int32_t LongArg(std::span<rt::Variant> args, std::size_t i) {
    return rt::Arg(args, i).ToLong();
}
std::string TextArg(std::span<rt::Variant> args, std::size_t i) {
    return rt::Arg(args, i).ToString();
}

}  // namespace

const rt::DispatchTable<cRegistry>& cRegistry::Members() {
    using Args = std::span<rt::Variant>;
    using rt::CallType;
    using rt::Variant;
    static const rt::DispatchTable<cRegistry> table{
        {"CreateKey", 1,
         [](cRegistry& self, CallType, Args args) {
             self.CreateKey(LongArg(args, 0), TextArg(args, 1));
             return Variant();
         }},
        {"FindApplicationForFileType", 2,
         [](cRegistry& self, CallType, Args args) {
             std::string extension = TextArg(args, 0);
             std::string result = self.FindApplicationForFileType(extension);
             rt::Arg(args, 0) = extension;
             return Variant(std::move(result));
         }},
        {"SetValue", 3,
         [](cRegistry& self, CallType, Args args) {
             self.SetValue(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2), LongArg(args, 3),
                           TextArg(args, 4));
             return Variant();
         }},
        {"DeleteValue", 4,
         [](cRegistry& self, CallType, Args args) {
             self.DeleteValue(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2));
             return Variant();
         }},
        {"DeleteKey", 5,
         [](cRegistry& self, CallType, Args args) {
             self.DeleteKey(LongArg(args, 0), TextArg(args, 1));
             return Variant();
         }},
        {"GetValue", 6,
         [](cRegistry& self, CallType, Args args) {
             return Variant(self.GetValue(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2)));
         }},
        {"KeyExists", 7,
         [](cRegistry& self, CallType, Args args) {
             return Variant(self.KeyExists(LongArg(args, 0), TextArg(args, 1)));
         }},
        {"KeyEnumSubKeys", 8,
         [](cRegistry& self, CallType, Args args) {
             rt::Arg(args, 2);  // both out-parameters are required
             rt::Arg(args, 3);
             std::vector<std::string> names;
             rt::Date changed;
             const bool result =
                 self.KeyEnumSubKeys(LongArg(args, 0), TextArg(args, 1), names, changed);
             // Filled only when the key has subkeys; otherwise the caller's values stay.
             if (!names.empty()) {
                 Variant::Array array;
                 for (std::string& name : names) array.emplace_back(std::move(name));
                 rt::Arg(args, 2) = Variant(std::move(array));
                 rt::Arg(args, 3) = Variant(changed);
             }
             return Variant(result);
         }},
        {"GetTimestampLastChange", 9,
         [](cRegistry& self, CallType, Args args) {
             return Variant(self.GetTimestampLastChange(LongArg(args, 0), TextArg(args, 1)));
         }},
        {"SetBinary", 10,
         [](cRegistry& self, CallType, Args args) {
             self.SetBinary(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2), TextArg(args, 3));
             return Variant();
         }},
        {"SetDWord", 11,
         [](cRegistry& self, CallType, Args args) {
             self.SetDWord(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2), LongArg(args, 3));
             return Variant();
         }},
        {"SetString", 12,
         [](cRegistry& self, CallType, Args args) {
             self.SetString(LongArg(args, 0), TextArg(args, 1), TextArg(args, 2), TextArg(args, 3));
             return Variant();
         }},
    };
    return table;
}
