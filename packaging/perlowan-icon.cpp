// perlowan-icon SIZE FILE: writes the application icon of SIZE x SIZE pixels as a PNG file;
// the build draws the icons of the package with it.
#include <exception>
#include <iostream>
#include <string>

#include "LogoIcon.h"
#include "PngFile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: perlowan-icon SIZE FILE\n";
        return 2;
    }
    try {
        std::size_t used = 0;
        const int size = std::stoi(argv[1], &used);
        if (used != std::string(argv[1]).size()) throw std::invalid_argument(argv[1]);
        WritePng(argv[2], LogoIcon(size));
    } catch (const std::exception& e) {
        std::cerr << "perlowan-icon: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
