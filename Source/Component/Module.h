#pragma once
// The loader of shared libraries as a platform role: load by path, look up an export, the path
// of the library that holds a given address, whether a library is loaded, and the path of the
// running program.
#include <memory>
#include <string>

#include "Role.h"

namespace com {

// A loaded library; it is unloaded when the last of its LoadedModule objects goes.
class LoadedModule {
  public:
    virtual ~LoadedModule() = default;
    // The export's address, or nullptr when the library has no such export.
    virtual void* Export(const std::string& name) = 0;
};

class ModuleLoader {
  public:
    virtual ~ModuleLoader() = default;
    // Raises 53 when the file does not exist, 48 (with the loader's reason) when it cannot be
    // loaded.
    virtual std::unique_ptr<LoadedModule> Load(const std::string& path) = 0;
    // The full path of the library or program that contains `address`; "" when unknown.
    virtual std::string PathOfAddress(const void* address) = 0;
    // Whether the library at `path` is loaded in the process (without loading it).
    virtual bool IsLoaded(const std::string& path) = 0;
    // The full path of the running program's file; "" when unknown.
    virtual std::string ProgramPath() = 0;
};

}  // namespace com

PERLOWAN_DECLARE_ROLE(com::ModuleLoader);

namespace com {

inline ModuleLoader& Modules() {
    return rt::Role<ModuleLoader>::Get();
}

}  // namespace com
