// The advapi32-shaped 8-bit functions: Windows-1252 names and text data on this side, the role's
// UTF-8 on the other.
#include <cstring>

#include "CodePage.h"
#include "Registry.h"

namespace platform {

namespace {

bool IsTextType(std::uint32_t type) {
    return type == reg::Sz || type == reg::ExpandSz || type == reg::MultiSz;
}

std::string ToSystem(std::string_view bytes) {
    return rt::Win1252ToUtf8(bytes);
}

// Copies a name with its terminating NUL into a buffer of `*chars` characters.
long CopyName(const std::string& name, char* buffer, std::uint32_t* chars) {
    if (!buffer || !chars) return reg::InvalidParameter;
    const auto length = static_cast<std::uint32_t>(name.size());
    if (*chars < length + 1) {
        *chars = length;
        return reg::MoreData;
    }
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    *chars = length;
    return reg::Success;
}

// Copies value data into a buffer of `*size` bytes; a null buffer asks for the size only.
long CopyData(const std::string& data, std::uint8_t* buffer, std::uint32_t* size) {
    if (!size) return buffer ? reg::InvalidParameter : reg::Success;
    const auto length = static_cast<std::uint32_t>(data.size());
    if (!buffer) {
        *size = length;
        return reg::Success;
    }
    if (*size < length) {
        *size = length;
        return reg::MoreData;
    }
    if (length > 0) std::memcpy(buffer, data.data(), length);
    *size = length;
    return reg::Success;
}

}  // namespace

long RegOpenKeyExA(HKey key, std::string_view subKey, std::uint32_t, std::uint32_t samDesired,
                   HKey* result) {
    if (!result) return reg::InvalidParameter;
    return SystemRegistry().OpenKey(key, ToSystem(subKey), samDesired, *result);
}

long RegCreateKeyExA(HKey key, std::string_view subKey, std::uint32_t, std::string_view,
                     std::uint32_t, std::uint32_t samDesired, const void*, HKey* result,
                     std::uint32_t* disposition) {
    if (!result) return reg::InvalidParameter;
    return SystemRegistry().CreateKey(key, ToSystem(subKey), samDesired, *result, disposition);
}

long RegCloseKey(HKey key) {
    return SystemRegistry().CloseKey(key);
}

long RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size) {
    if (!data && size > 0) return reg::InvalidParameter;
    const std::string_view bytes =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data), size) : std::string_view();
    return SystemRegistry().SetValue(key, ToSystem(valueName), type,
                                     IsTextType(type) ? ToSystem(bytes) : std::string(bytes));
}

long RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t*, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* size) {
    std::uint32_t valueType = 0;
    std::string bytes;
    const long rc = SystemRegistry().QueryValue(key, ToSystem(valueName), &valueType, &bytes);
    if (rc != reg::Success) return rc;
    if (type) *type = valueType;
    if (IsTextType(valueType)) bytes = rt::Utf8ToWin1252(bytes);
    return CopyData(bytes, data, size);
}

long RegDeleteValueA(HKey key, std::string_view valueName) {
    return SystemRegistry().DeleteValue(key, ToSystem(valueName));
}

long RegDeleteKeyA(HKey key, std::string_view subKey) {
    return SystemRegistry().DeleteKey(key, ToSystem(subKey));
}

long RegEnumKeyExA(HKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                   std::uint32_t*, char* className, std::uint32_t* classChars,
                   FileTime* lastWriteTime) {
    std::string found;
    FileTime time;
    const long rc = SystemRegistry().EnumKey(key, index, found, &time);
    if (rc != reg::Success) return rc;
    if (const long copied = CopyName(rt::Utf8ToWin1252(found), name, nameChars);
        copied != reg::Success)
        return copied;
    if (className && classChars) {
        if (*classChars < 1) return reg::MoreData;
        className[0] = '\0';
        *classChars = 0;
    }
    if (lastWriteTime) *lastWriteTime = time;
    return reg::Success;
}

long RegEnumValueA(HKey key, std::uint32_t index, char* valueName, std::uint32_t* valueNameChars,
                   std::uint32_t*, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    std::string found;
    std::uint32_t valueType = 0;
    std::string bytes;
    const long rc = SystemRegistry().EnumValue(key, index, found, &valueType, &bytes);
    if (rc != reg::Success) return rc;
    if (const long copied = CopyName(rt::Utf8ToWin1252(found), valueName, valueNameChars);
        copied != reg::Success)
        return copied;
    if (type) *type = valueType;
    if (IsTextType(valueType)) bytes = rt::Utf8ToWin1252(bytes);
    return CopyData(bytes, data, size);
}

long RegQueryInfoKeyA(HKey key, char* className, std::uint32_t* classChars, std::uint32_t*,
                      std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen,
                      std::uint32_t* maxClassLen, std::uint32_t* values,
                      std::uint32_t* maxValueNameLen, std::uint32_t* maxValueLen,
                      std::uint32_t* securityDescriptorSize, FileTime* lastWriteTime) {
    RegKeyInfo info;
    const long rc = SystemRegistry().QueryInfoKey(key, info);
    if (rc != reg::Success) return rc;
    if (className && classChars && *classChars > 0) className[0] = '\0';
    if (classChars) *classChars = 0;
    if (subKeys) *subKeys = info.subKeys;
    if (maxSubKeyLen) *maxSubKeyLen = info.maxSubKeyLen;
    if (maxClassLen) *maxClassLen = 0;
    if (values) *values = info.values;
    if (maxValueNameLen) *maxValueNameLen = info.maxValueNameLen;
    // The role counts UTF-8 bytes: never less than the 8-bit size, so enough for a buffer.
    if (maxValueLen) *maxValueLen = info.maxValueLen;
    if (securityDescriptorSize) *securityDescriptorSize = 0;
    if (lastWriteTime) *lastWriteTime = info.lastWriteTime;
    return reg::Success;
}

}  // namespace platform
