#pragma once
// An installed host's first start: the add-in library installed with the program is registered
// for the user when the registry names no usable library for the add-in's identifier yet, as a
// setup program would have done.
#include <string>

namespace telmora {

// What the program knows about the add-in installed with it.
struct Installation {
    std::string progId = "Perlowan.cITelmora";
    std::string addInLibrary;  // "" = none (a build tree): nothing is registered by itself
};

// The add-in library `fileName` in `relativeFolder` (taken from the folder of the program at
// `programPath`), when that file exists; "" otherwise, and when the program's path is unknown.
std::string InstalledAddInLibrary(const std::string& programPath, const std::string& relativeFolder,
                                  const std::string& fileName);

// Why the add-in's registration is to be written on this start: the registry has no registration
// of `progId`, or a broken one, or one that names a library file which is gone. "" when it names
// an existing library (another library than the installed one is the user's choice and stays) or
// cannot be read (loading reports that; the registry is not written over then).
std::string FirstStartRegistrationReason(const std::string& progId);

}  // namespace telmora
