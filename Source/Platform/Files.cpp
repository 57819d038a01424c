#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

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

    std::string ReadAll(const std::string& path) override {
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) rt::Raise(ErrorNumberOf(errno), "FileSystem");
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        std::string bytes;
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        for (;;) {
            if (done == bytes.size()) bytes.resize(bytes.size() + 65536);
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

    std::string ReadPrefix(const std::string& path, std::size_t count) override {
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) rt::Raise(ErrorNumberOf(errno), "FileSystem");
        struct stat st;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        std::string bytes(count, '\0');
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::read(fd.get(), bytes.data() + done, count - done);
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

    void WriteAtomic(const std::string& path, std::string_view bytes, bool ownerOnly) override {
        struct stat existing;
        const bool exists = ::stat(path.c_str(), &existing) == 0;
        if (exists && S_ISDIR(existing.st_mode))
            rt::Raise(rt::err::PathFileAccessError, "FileSystem");
        const std::string folder = FolderOf(path);
        std::string temp = path + ".tmpXXXXXX";
        FileDescriptor fd(::mkstemp(temp.data()));
        if (fd.get() < 0) {
            const int e = errno;
            struct stat folderStat;
            if (::stat(folder.c_str(), &folderStat) != 0)
                rt::Raise(rt::err::PathNotFound, "FileSystem");
            rt::Raise(ErrorNumberOf(e), "FileSystem");
        }
        const auto fail = [&](int number) {
            ::unlink(temp.c_str());
            rt::Raise(number, "FileSystem");
        };
        const mode_t mode = exists ? (existing.st_mode & 07777) : (ownerOnly ? 0600 : 0644);
        if (::fchmod(fd.get(), mode) != 0) fail(ErrorNumberOf(errno));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(ErrorNumberOf(errno));
            }
            done += static_cast<std::size_t>(n);
        }
        if (::fsync(fd.get()) != 0) fail(ErrorNumberOf(errno));
        if (::close(fd.release()) != 0) fail(ErrorNumberOf(errno));
        if (::rename(temp.c_str(), path.c_str()) != 0) fail(ErrorNumberOf(errno));
        // Make the rename itself durable.
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
    }
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::FileSystem> rt::MakeDefaultRole<platform::FileSystem>() {
    return std::make_shared<platform::LinuxFileSystem>();
}

PERLOWAN_DEFINE_ROLE(platform::FileSystem);
