#include "PngFile.h"

#include <png.h>

#include <stdexcept>

namespace {

// The simplified libpng interface; frees what it holds however the call ends.
class PngImage {
  public:
    PngImage() {
        image_.version = PNG_IMAGE_VERSION;
        image_.format = PNG_FORMAT_RGBA;
    }
    ~PngImage() { png_image_free(&image_); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    png_image* operator->() { return &image_; }
    png_image* get() { return &image_; }
    [[noreturn]] void Fail(const std::string& what) {
        throw std::runtime_error(what + ": " + image_.message);
    }

  private:
    png_image image_{};
};

}  // namespace

void WritePng(const std::string& path, const RgbaPicture& picture) {
    if (picture.width < 1 || picture.height < 1 ||
        picture.rgba.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
        throw std::runtime_error("cannot write " + path + ": the picture's size does not match");
    PngImage image;
    image->width = static_cast<png_uint_32>(picture.width);
    image->height = static_cast<png_uint_32>(picture.height);
    if (!png_image_write_to_file(image.get(), path.c_str(), 0, picture.rgba.data(), 0, nullptr))
        image.Fail("cannot write " + path);
}

RgbaPicture ReadPng(const std::string& path) {
    PngImage image;
    if (!png_image_begin_read_from_file(image.get(), path.c_str()))
        image.Fail("cannot read " + path);
    image->format = PNG_FORMAT_RGBA;
    RgbaPicture picture{static_cast<int>(image->width), static_cast<int>(image->height), {}};
    picture.rgba.resize(PNG_IMAGE_SIZE(*image.get()));
    if (!png_image_finish_read(image.get(), nullptr, picture.rgba.data(), 0, nullptr))
        image.Fail("cannot read " + path);
    return picture;
}
