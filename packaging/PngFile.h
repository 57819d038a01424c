#pragma once
// PNG files of RGBA pictures, through libpng.
#include <string>

#include "LogoIcon.h"

// Writes the picture as an 8-bit RGBA PNG file. Throws std::runtime_error with libpng's reason
// when the file cannot be written.
void WritePng(const std::string& path, const RgbaPicture& picture);

// Reads a PNG file as an 8-bit RGBA picture, converting other formats. Throws std::runtime_error
// with libpng's reason when the file cannot be read or is no PNG.
RgbaPicture ReadPng(const std::string& path);
