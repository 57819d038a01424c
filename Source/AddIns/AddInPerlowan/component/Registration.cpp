#include "Registration.h"

#include <string_view>
#include <vector>

#include "PerlowanIds.h"
#include "Registry.h"

namespace perlowan {

namespace {

using platform::HKey;
namespace reg = platform::reg;

struct Value {
    std::string key;   // below the classes root
    std::string name;  // "" for the key's default value
    std::string data;
};

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<Value> RegistrationValues(const std::string& libraryPath) {
    const std::string clsid = "CLSID\\" + com::GuidText(CLSID_cITelmora);
    const std::string iface = "Interface\\" + com::GuidText(IID__cITelmora);
    const std::string typeLib =
        "TypeLib\\" + com::GuidText(LIBID_Perlowan) + "\\" + kTypeLibVersion;
    const std::string libid = com::GuidText(LIBID_Perlowan);
    const std::string marshaller = com::GuidText(com::CLSID_PSOAInterface);
    return {
        {kProgId, "", kProgId},
        {std::string(kProgId) + "\\Clsid", "", com::GuidText(CLSID_cITelmora)},
        {clsid, "", kProgId},
        {clsid + "\\InprocServer32", "", libraryPath},
        {clsid + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {clsid + "\\ProgID", "", kProgId},
        {clsid + "\\VERSION", "", kTypeLibVersion},
        {clsid + "\\TypeLib", "", libid},
        {clsid + "\\Programmable", "", ""},
        {iface, "", "_cITelmora"},
        {iface + "\\ProxyStubClsid", "", marshaller},
        {iface + "\\ProxyStubClsid32", "", marshaller},
        {iface + "\\TypeLib", "", libid},
        {iface + "\\TypeLib", "Version", kTypeLibVersion},
        {typeLib, "", kLibraryName},
        {typeLib + "\\0\\win32", "", libraryPath},
        {typeLib + "\\FLAGS", "", "0"},
        {typeLib + "\\HELPDIR", "", FolderOf(libraryPath)},
    };
}

long WriteValue(const Value& v) {
    auto& registry = platform::SystemRegistry();
    HKey key = 0;
    long rc = registry.CreateKey(reg::ClassesRoot, v.key, reg::KeyAllAccess, key, nullptr);
    if (rc != reg::Success) return rc;
    rc = registry.SetValue(key, v.name, reg::Sz, v.data);
    registry.CloseKey(key);
    return rc;
}

long DeleteTreeIfPresent(std::string_view path) {
    const long rc = platform::SystemRegistry().DeleteTree(reg::ClassesRoot, path);
    return rc == reg::FileNotFound ? reg::Success : rc;
}

// Removes a key that has neither subkeys nor values; anything else stays.
long DeleteIfEmpty(std::string_view path) {
    auto& registry = platform::SystemRegistry();
    HKey key = 0;
    long rc = registry.OpenKey(reg::ClassesRoot, path, reg::KeyRead, key);
    if (rc == reg::FileNotFound) return reg::Success;
    if (rc != reg::Success) return rc;
    platform::RegKeyInfo info;
    rc = registry.QueryInfoKey(key, info);
    registry.CloseKey(key);
    if (rc != reg::Success) return rc;
    if (info.subKeys != 0 || info.values != 0) return reg::Success;
    return registry.DeleteKey(reg::ClassesRoot, path);
}

}  // namespace

long RegisterServer(const std::string& libraryPath) {
    for (const Value& v : RegistrationValues(libraryPath))
        if (const long rc = WriteValue(v); rc != reg::Success) return rc;
    return reg::Success;
}

long UnregisterServer() {
    const std::string libidKey = "TypeLib\\" + com::GuidText(LIBID_Perlowan);
    const std::string steps[][2] = {
        {"tree", kProgId},
        {"tree", "CLSID\\" + com::GuidText(CLSID_cITelmora)},
        {"tree", "Interface\\" + com::GuidText(IID__cITelmora)},
        {"tree", libidKey + "\\" + kTypeLibVersion},
        {"empty", libidKey},
        {"empty", "CLSID"},
        {"empty", "Interface"},
        {"empty", "TypeLib"},
    };
    long first = reg::Success;
    for (const auto& [kind, path] : steps) {
        const long rc = kind == "tree" ? DeleteTreeIfPresent(path) : DeleteIfEmpty(path);
        if (first == reg::Success) first = rc;
    }
    return first;
}

}  // namespace perlowan
