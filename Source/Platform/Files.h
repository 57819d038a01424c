#pragma once
// The file-system role: lengths, deletion, modification times, raw reads and writes, and the
// atomic replace that every file the system writes goes through.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Role.h"

namespace platform {

// What tells one version of a file from another: a change of content or a replacement by rename
// changes at least one field.
struct FileStamp {
    std::int64_t modifiedNs = 0;  // last modification, nanoseconds since 1970
    std::int64_t changedNs = 0;   // last change of the file's inode (also set by a rename)
    std::int64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Bytes of the file, -1 when its length cannot be read (missing, no access, a folder).
    virtual std::int64_t Length(const std::string& path) = 0;
    // 0 when deleted; otherwise the error number: 53 missing, 70 no permission, 75 a folder or
    // another failure. Never throws.
    virtual int Delete(const std::string& path) = 0;
    // Last modification in nanoseconds since 1970, at the file system's full resolution;
    // nothing when the file cannot be read.
    virtual std::optional<std::int64_t> ModifiedTime(const std::string& path) = 0;
    // The file's stamp; nothing when it cannot be read. File systems without inodes give the
    // modification time and length alone.
    virtual std::optional<FileStamp> Stamp(const std::string& path) {
        const auto modified = ModifiedTime(path);
        const std::int64_t length = Length(path);
        if (!modified || length < 0) return std::nullopt;
        FileStamp stamp;
        stamp.modifiedNs = stamp.changedNs = *modified;
        stamp.size = length;
        return stamp;
    }
    // The whole file. Raises 53 when it is missing, 70 without permission, 75 for a folder or
    // another read failure.
    virtual std::string ReadAll(const std::string& path) = 0;
    // The first `count` bytes, fewer when the file is shorter. Raises as ReadAll does.
    virtual std::string ReadPrefix(const std::string& path, std::size_t count) {
        std::string bytes = ReadAll(path);
        if (bytes.size() > count) bytes.resize(count);
        return bytes;
    }
    // Replaces the file atomically: a temporary file in the same folder, flushed to disk, renamed
    // over the target. A path that is a symbolic link replaces the link's final target (the
    // temporary file goes into the target's folder) and keeps the link. A failure leaves the old
    // file untouched and raises 76 (missing folder), 70 (no permission, or a file without any
    // write permission: read-only files are never written), 61 (disk full) or 75. `ownerOnly`
    // creates a new file readable and writable by its owner only; an existing file keeps its
    // permissions, and its owner and group where the system lets them be given back.
    // A file that cannot be replaced so (a folder without write access, or a file of another
    // user) but may be written is overwritten in place instead, after its new length was claimed;
    // the debug area "files" says so. A successful replace removes the temporary files of earlier
    // writes of the same file whose process has ended ("<name>.~<process>-XXXXXX", this user's).
    virtual void WriteAtomic(const std::string& path, std::string_view bytes,
                             bool ownerOnly = false) = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::FileSystem);

namespace platform {

inline FileSystem& Files() {
    return rt::Role<FileSystem>::Get();
}

}  // namespace platform
