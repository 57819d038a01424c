// telmora: the substitute diary host.
#include <iostream>
#include <string>
#include <vector>

#include "GuiSession.h"
#include "Telmora.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return telmora::RunTelmora(args, std::cin, std::cout, std::cerr, telmora::RunGuiSession);
}
