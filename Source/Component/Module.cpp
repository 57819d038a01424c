#include "Module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RuntimeError.h"

namespace com {

namespace {

class PosixModule final : public LoadedModule {
  public:
    explicit PosixModule(void* handle) : handle_(handle) {}
    ~PosixModule() override { dlclose(handle_); }
    PosixModule(const PosixModule&) = delete;
    PosixModule& operator=(const PosixModule&) = delete;
    void* Export(const std::string& name) override { return dlsym(handle_, name.c_str()); }

  private:
    void* handle_;
};

class PosixLoader final : public ModuleLoader {
  public:
    std::unique_ptr<LoadedModule> Load(const std::string& path) override {
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0)
            rt::Raise(rt::err::FileNotFound, "ModuleLoader", "File not found: " + path);
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            rt::Raise(rt::err::ErrorLoadingLibrary, "ModuleLoader",
                      "Error in loading DLL " + path + ": " + (reason ? reason : "unknown reason"));
        }
        return std::make_unique<PosixModule>(handle);
    }

    std::string PathOfAddress(const void* address) override {
        Dl_info info{};
        if (!dladdr(address, &info) || !info.dli_fname) return {};
        char resolved[PATH_MAX];
        if (realpath(info.dli_fname, resolved)) return resolved;
        return info.dli_fname;
    }

    bool IsLoaded(const std::string& path) override {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!handle) return false;
        dlclose(handle);
        return true;
    }

    std::string ProgramPath() override {
        std::string path(PATH_MAX, '\0');
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
        path.resize(static_cast<std::size_t>(n));
        return path;
    }
};

}  // namespace

}  // namespace com

template <>
std::shared_ptr<com::ModuleLoader> rt::MakeDefaultRole<com::ModuleLoader>() {
    return std::make_shared<com::PosixLoader>();
}

PERLOWAN_DEFINE_ROLE(com::ModuleLoader);
