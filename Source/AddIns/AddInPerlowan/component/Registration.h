#pragma once
// The registration of the add-in's class, programmatic identifier, interface and type library
// below the classes root of the registry.
#include <string>

namespace perlowan {

// Writes every key and value of the registration; `libraryPath` is the library's full path.
// Returns 0, or the registry's result code of the first write that failed.
long RegisterServer(const std::string& libraryPath);
// Removes every key the registration writes, and the containers "CLSID", "Interface" and
// "TypeLib" when that leaves them empty. Keys that are already gone are no failure. Returns 0,
// or the registry's result code of the first removal that failed.
long UnregisterServer();

}  // namespace perlowan
