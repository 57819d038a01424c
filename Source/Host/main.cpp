// telmora: the substitute diary host.
#include <iostream>
#include <string>
#include <vector>

#include "GuiSession.h"
#include "Module.h"
#include "Telmora.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    telmora::Installation installation;
#ifdef PERLOWAN_INSTALLED_ADDIN_FOLDER
    // Where an installed program finds its add-in, relative to its own folder; a build tree has
    // no such folder, so there the add-in is registered by hand as before.
    installation.addInLibrary = telmora::InstalledAddInLibrary(
        com::Modules().ProgramPath(), PERLOWAN_INSTALLED_ADDIN_FOLDER, "libPerlowan.so");
#endif
    return telmora::RunTelmora(args, std::cin, std::cout, std::cerr, telmora::RunGuiSession,
                               installation);
}
