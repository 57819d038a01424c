#include "Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "Debug.h"
#include "RuntimeError.h"

namespace platform {

namespace {

int ErrorNumberOf(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return rt::err::FileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return rt::err::PermissionDenied;
        case ENOSPC:
        case EDQUOT:
            return 61;
        default:
            return 75;
    }
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Temporary files are named "<name>.~<process>-XXXXXX": the writer's process number tells a
// later write whether the file is litter of a writer that died.
constexpr std::string_view kTempMarker = ".~";

std::string TempPrefix(const std::string& target) {
    return target + std::string(kTempMarker) + std::to_string(::getpid()) + "-";
}

// The file a path finally names: symbolic links are followed (relative ones from their own
// folder), so that a write replaces the link's target and keeps the link. A link to nothing names
// the file it would point to.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size())
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        link.resize(static_cast<std::size_t>(n));
        if (link.empty()) rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    rt::Raise(rt::err::PathFileAccessError, "FileSystem");  // a loop of links
}

class LinuxFileSystem final : public FileSystem {
  public:
    std::int64_t Length(const std::string& path) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
        if (::access(path.c_str(), R_OK) != 0) return -1;
        return st.st_size;
    }

    int Delete(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return ErrorNumberOf(errno);
        if (S_ISDIR(st.st_mode)) return 75;
        if (::unlink(path.c_str()) != 0) return ErrorNumberOf(errno);
        return 0;
    }

    std::optional<std::int64_t> ModifiedTime(const std::string& path) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    }

    std::optional<FileStamp> Stamp(const std::string& path) override {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        if (::access(path.c_str(), R_OK) != 0) return std::nullopt;
        FileStamp stamp;
        stamp.modifiedNs =
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
        stamp.changedNs =
            static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
        stamp.size = st.st_size;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        return stamp;
    }

    std::string ReadAll(const std::string& path) override {
        return Read(path, std::numeric_limits<std::size_t>::max());
    }

    std::string ReadPrefix(const std::string& path, std::size_t count) override {
        return Read(path, count);
    }

    void WriteAtomic(const std::string& path, std::string_view bytes, bool ownerOnly) override {
        const std::string target = FinalTarget(path);
        struct stat existing;
        const bool exists = ::stat(target.c_str(), &existing) == 0;
        if (exists && S_ISDIR(existing.st_mode))
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        // A file made read-only is not written, by its owner nor by anyone else.
        if (exists && ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
            PERLOWAN_DEBUG("files", target + " is read-only: not written");
            rt::Raise(rt::err::PermissionDenied, "FileSystem");
        }
        const std::string folder = FolderOf(target);
        // A file of another owner that cannot be given back to that owner keeps its owner by
        // being written in place.
        const bool keepsOwner = !exists || existing.st_uid == ::geteuid() || ::geteuid() == 0;
        if (!keepsOwner) {
            PERLOWAN_DEBUG("files", target + " belongs to user " + std::to_string(existing.st_uid) +
                                        ": written in place to keep its owner");
            WriteInPlace(target, bytes);
            return;
        }
        std::string temp = TempPrefix(target) + "XXXXXX";
        FileDescriptor fd(::mkstemp(temp.data()));
        if (fd.get() < 0) {
            const int e = errno;
            struct stat folderStat;
            if (::stat(folder.c_str(), &folderStat) != 0)
                rt::Raise(rt::err::PathNotFound, "FileSystem");
            if (exists && (e == EACCES || e == EPERM || e == EROFS)) {
                PERLOWAN_DEBUG("files", "no temporary file in " + folder + " (" + std::strerror(e) +
                                            "): " + target + " written in place");
                WriteInPlace(target, bytes);
                return;
            }
            rt::Raise(ErrorNumberOf(e), "FileSystem");
        }
        const auto fail = [&](int number) {
            ::unlink(temp.c_str());
            rt::Raise(number, "FileSystem");
        };
        const mode_t mode = exists ? (existing.st_mode & 07777) : (ownerOnly ? 0600 : 0644);
        if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
            ::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0) {
            PERLOWAN_DEBUG("files",
                           "the group of " + target + " cannot be kept: " + std::strerror(errno));
        }
        if (::fchmod(fd.get(), mode) != 0) fail(ErrorNumberOf(errno));
        WriteAll(fd.get(), bytes, fail);
        if (::fsync(fd.get()) != 0) fail(ErrorNumberOf(errno));
        if (::close(fd.release()) != 0) fail(ErrorNumberOf(errno));
        if (::rename(temp.c_str(), target.c_str()) != 0) fail(ErrorNumberOf(errno));
        // Make the rename itself durable.
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() < 0 || ::fsync(dir.get()) != 0)
            PERLOWAN_DEBUG("files",
                           "the folder " + folder + " cannot be synced: " + std::strerror(errno));
        RemoveStaleTemporaries(target);
    }

  private:
    // At most `limit` bytes from the start of a regular file; the file's size only sizes the
    // first buffer, as it may grow while it is read. The buffer has one byte to spare, so that
    // the read that meets the end of an unchanged file needs no larger buffer (and no copy).
    static std::string Read(const std::string& path, std::size_t limit) {
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) rt::Raise(ErrorNumberOf(errno), "FileSystem");
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        std::string bytes(std::min(limit, static_cast<std::size_t>(st.st_size) + 1), '\0');
        std::size_t done = 0;
        while (done < limit) {
            if (done == bytes.size()) bytes.resize(std::min(limit, bytes.size() + 65536));
            const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                rt::Raise(rt::err::PathFileAccessError, "FileSystem");
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

    template <class Fail>
    static void WriteAll(int fd, std::string_view bytes, const Fail& fail) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(ErrorNumberOf(errno));
            }
            done += static_cast<std::size_t>(n);
        }
    }

    // Overwrites a file that cannot be replaced. The space for the new length is claimed first,
    // so a full disk fails before a byte changes; a crash in the middle can still leave a mix of
    // old and new bytes, which is why this is the fallback only.
    static void WriteInPlace(const std::string& target, std::string_view bytes) {
        FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
        if (fd.get() < 0) rt::Raise(ErrorNumberOf(errno), "FileSystem");
        struct stat st;
        if (::fstat(fd.get(), &st) != 0) rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        if (static_cast<std::size_t>(st.st_size) < bytes.size()) {
            const int e = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
            if (e != 0 && e != EOPNOTSUPP && e != EINVAL) {
                if (::ftruncate(fd.get(), st.st_size) != 0)
                    PERLOWAN_DEBUG("files", target + " cannot be cut back to its length");
                rt::Raise(ErrorNumberOf(e), "FileSystem");
            }
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd.get(), bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(done));
            if (n < 0) {
                if (errno == EINTR) continue;
                rt::Raise(ErrorNumberOf(errno), "FileSystem");
            }
            done += static_cast<std::size_t>(n);
        }
        if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
            rt::Raise(ErrorNumberOf(errno), "FileSystem");
    }

    // Removes the temporary files of earlier writes of `target` whose writer is gone: files of
    // this user named by the pattern, with the number of a process that no longer runs.
    static void RemoveStaleTemporaries(const std::string& target) {
        const std::string folder = FolderOf(target);
        const std::string base =
            target.substr(target.find_last_of('/') + 1) + std::string(kTempMarker);
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            PERLOWAN_DEBUG("files",
                           "the folder " + folder + " cannot be listed: " + std::strerror(errno));
            return;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            const pid_t writer = TempWriter(name, base);
            if (writer <= 0 || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
            const std::string path = folder + "/" + std::string(name);
            struct stat st;
            if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
                continue;
            if (::unlink(path.c_str()) != 0)
                PERLOWAN_DEBUG("files", "the stale temporary file " + path +
                                            " cannot be removed: " + std::strerror(errno));
            else
                PERLOWAN_DEBUG("files", "removed the stale temporary file " + path);
        }
        ::closedir(dir);
    }

    // The process number in a temporary name "<base><process>-XXXXXX"; 0 for other names.
    static pid_t TempWriter(std::string_view name, std::string_view base) {
        if (!name.starts_with(base)) return 0;
        name.remove_prefix(base.size());
        const std::size_t dash = name.find('-');
        if (dash == 0 || dash > 9 || name.size() != dash + 7) return 0;
        pid_t pid = 0;
        for (const char c : name.substr(0, dash)) {
            if (c < '0' || c > '9') return 0;
            pid = pid * 10 + (c - '0');
        }
        return pid;
    }
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::FileSystem> rt::MakeDefaultRole<platform::FileSystem>() {
    return std::make_shared<platform::LinuxFileSystem>();
}

PERLOWAN_DEFINE_ROLE(platform::FileSystem);
