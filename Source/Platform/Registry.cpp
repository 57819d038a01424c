#include "Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "CodePage.h"
#include "Debug.h"
#include "Files.h"
#include "RegistryFormat.h"
#include "RuntimeError.h"

namespace platform {

namespace {

using regfile::Key;
using regfile::Value;

thread_local std::string tLastErrorDetail;

const char* RootName(HKey root) {
    switch (root) {
        case reg::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case reg::CurrentUser:
            return "HKEY_CURRENT_USER";
        case reg::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case reg::Users:
            return "HKEY_USERS";
        case reg::CurrentConfig:
            return "HKEY_CURRENT_CONFIG";
        default:
            return nullptr;
    }
}

// Splits "a\b\c" into its levels; a trailing "\" is ignored.
long SplitPath(std::string_view path, std::vector<std::string>& levels) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.empty()) return reg::Success;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        const std::string_view level = path.substr(start, end - start);
        if (level.empty()) return reg::BadPathname;
        if (rt::CharCount(level) > 255) return reg::InvalidParameter;
        levels.emplace_back(level);
        if (end == std::string_view::npos) return reg::Success;
        start = end + 1;
    }
}

bool MakeFolders(const std::string& folder) {
    std::string done;
    std::size_t pos = 0;
    while (pos <= folder.size()) {
        std::size_t next = folder.find('/', pos);
        if (next == std::string::npos) next = folder.size();
        done = folder.substr(0, next);
        pos = next + 1;
        if (done.empty()) continue;
        if (::mkdir(done.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder-wide lock that serialises read-modify-write cycles of all processes.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_;
};

struct OpenHandle {
    HKey root = 0;
    std::vector<std::string> path;
    std::uint32_t access = 0;
};

class FileRegistry final : public Registry {
  public:
    FileRegistry(std::string folder, FileTime (*now)()) : folder_(std::move(folder)), now_(now) {}

    long OpenKey(HKey parent, std::string_view subKey, std::uint32_t access,
                 HKey& result) override {
        tLastErrorDetail.clear();
        OpenHandle handle;
        if (long rc = Resolve(parent, 0, handle); rc != reg::Success) return rc;
        if (long rc = SplitPath(subKey, handle.path); rc != reg::Success) return rc;
        {
            std::lock_guard lock(storesMutex_);
            Key* root = nullptr;
            if (long rc = Load(handle.root, root, false); rc != reg::Success) return rc;
            if (!Find(*root, handle.path)) return reg::FileNotFound;
        }
        handle.access = access;
        result = AddHandle(std::move(handle));
        return reg::Success;
    }

    long CreateKey(HKey parent, std::string_view subKey, std::uint32_t access, HKey& result,
                   std::uint32_t* disposition) override {
        tLastErrorDetail.clear();
        OpenHandle handle;
        if (long rc = Resolve(parent, 0, handle); rc != reg::Success) return rc;
        const std::size_t parentDepth = handle.path.size();
        const std::uint32_t parentAccess = handle.access;
        if (long rc = SplitPath(subKey, handle.path); rc != reg::Success) return rc;
        if (handle.path.size() > regfile::kMaxKeyDepth) return reg::InvalidParameter;
        bool created = false;
        const long rc = Modify(handle.root, [&](Key& root, bool& changed) {
            Key* key = &root;
            for (std::size_t i = 0; i < handle.path.size(); ++i) {
                Key* sub = regfile::FindSubKey(*key, handle.path[i]);
                if (!sub) {
                    if (i < parentDepth) return reg::KeyDeleted;
                    if (!created && (parentAccess & reg::KeyCreateSubKey) == 0)
                        return reg::AccessDenied;
                    const FileTime now = Now();
                    key->lastWrite = now;
                    sub = &regfile::AddSubKey(*key, handle.path[i], now);
                    created = changed = true;
                }
                key = sub;
            }
            return reg::Success;
        });
        if (rc != reg::Success) return rc;
        if (disposition) *disposition = created ? reg::CreatedNewKey : reg::OpenedExistingKey;
        handle.access = access;
        result = AddHandle(std::move(handle));
        return reg::Success;
    }

    long CloseKey(HKey key) override {
        tLastErrorDetail.clear();
        if (RootName(key)) return reg::Success;
        std::lock_guard lock(mutex_);
        return handles_.erase(key) ? reg::Success : reg::InvalidHandle;
    }

    long SetValue(HKey key, std::string_view name, std::uint32_t type,
                  std::string_view data) override {
        tLastErrorDetail.clear();
        OpenHandle handle;
        if (long rc = Resolve(key, reg::KeySetValue, handle); rc != reg::Success) return rc;
        return Modify(handle.root, [&](Key& root, bool& changed) {
            Key* target = Find(root, handle.path);
            if (!target) return reg::KeyDeleted;
            Value* value = regfile::FindValue(*target, name);
            if (!value) {
                value = &target->values.emplace_back();
                value->name = std::string(name);
                value->folded = regfile::Fold(name);
            }
            value->type = type;
            value->data = std::string(data);
            target->lastWrite = Now();
            changed = true;
            return reg::Success;
        });
    }

    long QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                    std::string* data) override {
        tLastErrorDetail.clear();
        return Read(key, reg::KeyQueryValue, [&](Key& target) {
            const Value* value = regfile::FindValue(target, name);
            if (!value) return reg::FileNotFound;
            if (type) *type = value->type;
            if (data) *data = value->data;
            return reg::Success;
        });
    }

    long DeleteValue(HKey key, std::string_view name) override {
        tLastErrorDetail.clear();
        OpenHandle handle;
        if (long rc = Resolve(key, reg::KeySetValue, handle); rc != reg::Success) return rc;
        return Modify(handle.root, [&](Key& root, bool& changed) {
            Key* target = Find(root, handle.path);
            if (!target) return reg::KeyDeleted;
            const Value* value = regfile::FindValue(*target, name);
            if (!value) return reg::FileNotFound;
            target->values.erase(target->values.begin() + (value - target->values.data()));
            target->lastWrite = Now();
            changed = true;
            return reg::Success;
        });
    }

    long DeleteKey(HKey parent, std::string_view subKey) override {
        tLastErrorDetail.clear();
        return Delete(parent, subKey, false);
    }

    long DeleteTree(HKey parent, std::string_view subKey) override {
        tLastErrorDetail.clear();
        return Delete(parent, subKey, true);
    }

    long EnumKey(HKey key, std::uint32_t index, std::string& name, FileTime* lastWrite) override {
        tLastErrorDetail.clear();
        return Read(key, reg::KeyEnumerateSubKeys, [&](Key& target) {
            if (index >= target.subKeys.size()) return reg::NoMoreItems;
            name = target.subKeys[index].name;
            if (lastWrite) *lastWrite = target.subKeys[index].lastWrite;
            return reg::Success;
        });
    }

    long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                   std::string* data) override {
        tLastErrorDetail.clear();
        return Read(key, reg::KeyQueryValue, [&](Key& target) {
            if (index >= target.values.size()) return reg::NoMoreItems;
            const Value& value = target.values[index];
            name = value.name;
            if (type) *type = value.type;
            if (data) *data = value.data;
            return reg::Success;
        });
    }

    long QueryInfoKey(HKey key, RegKeyInfo& info) override {
        tLastErrorDetail.clear();
        return Read(key, reg::KeyQueryValue, [&](Key& target) {
            info = RegKeyInfo{};
            info.subKeys = static_cast<std::uint32_t>(target.subKeys.size());
            info.values = static_cast<std::uint32_t>(target.values.size());
            for (const Key& sub : target.subKeys)
                info.maxSubKeyLen = std::max(info.maxSubKeyLen,
                                             static_cast<std::uint32_t>(rt::CharCount(sub.name)));
            for (const Value& value : target.values) {
                info.maxValueNameLen = std::max(
                    info.maxValueNameLen, static_cast<std::uint32_t>(rt::CharCount(value.name)));
                info.maxValueLen =
                    std::max(info.maxValueLen, static_cast<std::uint32_t>(value.data.size()));
            }
            info.lastWriteTime = target.lastWrite;
            return reg::Success;
        });
    }

    std::string LastErrorDetail() override { return tLastErrorDetail; }

  private:
    std::string Folder() const { return folder_.empty() ? DefaultRegistryFolder() : folder_; }
    FileTime Now() const { return now_ ? now_() : FileTimeNow(); }

    std::string StorePath(HKey root) const { return Folder() + "/" + RootName(root) + ".txt"; }

    // The root, path and access of a handle; `needed` access rights must all be granted.
    long Resolve(HKey key, std::uint32_t needed, OpenHandle& out) {
        if (RootName(key)) {
            out = OpenHandle{key, {}, reg::KeyAllAccess};
            return reg::Success;
        }
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(key);
        if (it == handles_.end()) return reg::InvalidHandle;
        if ((it->second.access & needed) != needed) return reg::AccessDenied;
        out = it->second;
        return reg::Success;
    }

    HKey AddHandle(OpenHandle handle) {
        std::lock_guard lock(mutex_);
        nextHandle_ += 4;
        handles_.emplace(nextHandle_, std::move(handle));
        return nextHandle_;
    }

    static Key* Find(Key& root, const std::vector<std::string>& path) {
        Key* key = &root;
        for (const std::string& level : path) {
            key = regfile::FindSubKey(*key, level);
            if (!key) return nullptr;
        }
        return key;
    }

    // The parsed store of a root, from the cache when the file is still the one it was parsed
    // from. Reads trust the file's identity (device, inode, size, change and modification
    // times); a change (`verifyContent`, under the folder lock) also compares the content's hash,
    // so that an update of another process is never lost to a look-alike file. The caller holds
    // storesMutex_.
    long Load(HKey root, Key*& tree, bool verifyContent) {
        const std::string path = StorePath(root);
        CachedStore& store = stores_[path];
        const std::optional<StoreStamp> before = StampOf(path);
        const bool sameFile = store.valid && before && *before == store.stamp;
        if (sameFile && (!verifyContent || !before->exists)) {
            tree = &store.tree;
            return reg::Success;
        }
        std::string text;
        try {
            text = Files().ReadAll(path);
        } catch (const rt::RuntimeError& e) {
            store.valid = false;
            if (e.Number() == rt::err::FileNotFound) {
                store.tree = Key{};
                store.stamp = StoreStamp{};
                store.hash = 0;
                store.valid = before && !before->exists;
                tree = &store.tree;
                return reg::Success;
            }
            tLastErrorDetail = "The registry file " + path + " cannot be read: " + e.Description();
            return reg::BadDb;
        }
        const std::size_t hash = std::hash<std::string_view>{}(text);
        if (sameFile && hash == store.hash) {
            tree = &store.tree;
            return reg::Success;
        }
        store.valid = false;
        std::string problem;
        if (!regfile::Parse(text, store.tree, problem)) {
            store.tree = Key{};
            tLastErrorDetail = "The registry file " + path + " is corrupt (" + problem +
                               "); it was left as it is.";
            return reg::BadDb;
        }
        const std::optional<StoreStamp> after = StampOf(path);
        // A file replaced while it was read is parsed again next time.
        store.valid = before && after && *before == *after;
        if (after) store.stamp = *after;
        store.hash = hash;
        tree = &store.tree;
        return reg::Success;
    }

    template <class Action>
    long Read(HKey key, std::uint32_t needed, Action action) {
        OpenHandle handle;
        if (long rc = Resolve(key, needed, handle); rc != reg::Success) return rc;
        std::lock_guard lock(storesMutex_);
        Key* root = nullptr;
        if (long rc = Load(handle.root, root, false); rc != reg::Success) return rc;
        Key* target = Find(*root, handle.path);
        if (!target) return reg::KeyDeleted;
        return action(*target);
    }

    // Runs `action(root, changed)` on the current tree under the folder lock and writes the tree
    // back when the action succeeded and changed it.
    template <class Action>
    long Modify(HKey rootKey, Action action) {
        const std::string folder = Folder();
        if (!MakeFolders(folder)) {
            tLastErrorDetail =
                "The registry folder " + folder + " cannot be created: " + std::strerror(errno);
            return reg::IoFailed;
        }
        FolderLock lock(folder);
        if (!lock.Held()) {
            tLastErrorDetail =
                "The registry folder " + folder + " cannot be locked: " + std::strerror(errno);
            return reg::IoFailed;
        }
        std::lock_guard storesLock(storesMutex_);
        Key* root = nullptr;
        if (long rc = Load(rootKey, root, true); rc != reg::Success) return rc;
        const std::string path = StorePath(rootKey);
        CachedStore& store = stores_[path];
        bool changed = false;
        const long rc = action(*root, changed);
        if (!changed) return rc;
        // From here on the tree in memory differs from the file until the file is written.
        store.valid = false;
        if (rc != reg::Success) return rc;
        const std::string text = regfile::Serialize(*root, RootName(rootKey));
        try {
            Files().WriteAtomic(path, text, true);
        } catch (const rt::RuntimeError& e) {
            tLastErrorDetail =
                "The registry file " + path + " cannot be written: " + e.Description();
            return reg::IoFailed;
        }
        if (const std::optional<StoreStamp> stamp = StampOf(path)) {
            store.stamp = *stamp;
            store.hash = std::hash<std::string_view>{}(text);
            store.valid = stamp->exists;
        }
        return reg::Success;
    }

    long Delete(HKey parent, std::string_view subKey, bool tree) {
        OpenHandle handle;
        if (long rc = Resolve(parent, 0, handle); rc != reg::Success) return rc;
        const std::size_t parentDepth = handle.path.size();
        if (long rc = SplitPath(subKey, handle.path); rc != reg::Success) return rc;
        return Modify(handle.root, [&](Key& root, bool& changed) {
            Key* target = Find(root, handle.path);
            if (!target) {
                const std::vector<std::string> parentPath(
                    handle.path.begin(),
                    handle.path.begin() + static_cast<std::ptrdiff_t>(parentDepth));
                return Find(root, parentPath) ? reg::FileNotFound : reg::KeyDeleted;
            }
            if (tree && handle.path.size() == parentDepth) {
                target->subKeys.clear();
                target->values.clear();
                target->lastWrite = Now();
                changed = true;
                return reg::Success;
            }
            if (handle.path.empty()) return reg::AccessDenied;
            if (!tree && !target->subKeys.empty()) return reg::AccessDenied;
            Key* owner = Find(root, {handle.path.begin(), handle.path.end() - 1});
            owner->subKeys.erase(owner->subKeys.begin() + (target - owner->subKeys.data()));
            owner->lastWrite = Now();
            changed = true;
            return reg::Success;
        });
    }

    // One version of a store file: every replace makes a new file.
    struct StoreStamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modified = 0, changed = 0;
        bool operator==(const StoreStamp&) const = default;
    };
    struct CachedStore {
        bool valid = false;
        StoreStamp stamp;
        std::size_t hash = 0;
        Key tree;
    };

    // Nothing when the file's state cannot be told (then nothing is cached).
    static std::optional<StoreStamp> StampOf(const std::string& path) {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return StoreStamp{};
            PERLOWAN_DEBUG("registry", "the registry file " + path + " cannot be examined (" +
                                           std::strerror(errno) + "): it is not kept in memory");
            return std::nullopt;
        }
        return StoreStamp{true,
                          st.st_dev,
                          st.st_ino,
                          st.st_size,
                          st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
                          st.st_ctim.tv_sec * 1'000'000'000LL + st.st_ctim.tv_nsec};
    }

    std::string folder_;
    FileTime (*now_)();
    std::mutex storesMutex_;  // the cached stores; held for a whole read or change
    std::map<std::string, CachedStore> stores_;
    std::mutex mutex_;
    std::map<HKey, OpenHandle> handles_;
    HKey nextHandle_ = 0x1000;
};

}  // namespace

std::string DefaultRegistryFolder() {
    if (const char* dir = std::getenv("PERLOWAN_REGISTRY_DIR"); dir && *dir) return dir;
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        data = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && *h) {
            home = h;
        } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
            home = pw->pw_dir;
        }
        data = home + "/.local/share";
    }
    return data + "/perlowan/registry";
}

std::shared_ptr<Registry> MakeFileRegistry(std::string folder, FileTime (*now)()) {
    return std::make_shared<FileRegistry>(std::move(folder), now);
}

std::string RegistryErrorText(long code) {
    switch (code) {
        case reg::Success:
            return "The operation completed successfully.";
        case reg::FileNotFound:
            return "The registry key or value does not exist.";
        case reg::AccessDenied:
            return "Access to the registry key is denied.";
        case reg::InvalidHandle:
            return "The registry key handle is invalid.";
        case reg::InvalidParameter:
            return "A registry parameter is invalid.";
        case reg::BadPathname:
            return "The registry path is invalid.";
        case reg::MoreData:
            return "More data is available.";
        case reg::NoMoreItems:
            return "No more registry items are available.";
        case reg::BadDb:
            return "The registry store is corrupt or unreadable.";
        case reg::IoFailed:
            return "The registry store could not be written.";
        case reg::KeyDeleted:
            return "The registry key has been deleted.";
        default:
            return "Registry error " + std::to_string(code) + ".";
    }
}

}  // namespace platform

template <>
std::shared_ptr<platform::Registry> rt::MakeDefaultRole<platform::Registry>() {
    return platform::MakeFileRegistry("");
}

PERLOWAN_DEFINE_ROLE(platform::Registry);
