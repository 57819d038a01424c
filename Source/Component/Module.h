#pragma once
// The loader of shared libraries as a platform role: load by path, look up an export, and the
// path of the library that holds a given address.
#include <memory>
#include <string>

#include "Role.h"

namespace com {

class LoadedModule {
  public:
    virtual ~LoadedModule() = default;
    // The export's address, or nullptr when the library has no such export.
    virtual void* Export(const std::string& name) = 0;
    // Keeps the library mapped after this object is gone (objects of it are still alive).
    virtual void Pin() = 0;
};

class ModuleLoader {
  public:
    virtual ~ModuleLoader() = default;
    // Raises 53 when the file does not exist, 48 (with the loader's reason) when it cannot be
    // loaded.
    virtual std::unique_ptr<LoadedModule> Load(const std::string& path) = 0;
    // The full path of the library or program that contains `address`; "" when unknown.
    virtual std::string PathOfAddress(const void* address) = 0;
};

inline ModuleLoader& Modules() {
    return rt::Role<ModuleLoader>::Get();
}

}  // namespace com
