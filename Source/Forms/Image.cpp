#include "Image.h"

#include "Files.h"
#include "MemberRows.h"

namespace forms {

Picture LoadPictureBytes(std::string bytes) {
    const bool gif = bytes.size() >= 10 &&
                     (bytes.compare(0, 6, "GIF87a") == 0 || bytes.compare(0, 6, "GIF89a") == 0);
    if (!gif) rt::Raise(err::InvalidPicture, "LoadPicture", "Invalid picture");
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    Picture picture;
    picture.widthPixels = byte(6) | (byte(7) << 8);
    picture.heightPixels = byte(8) | (byte(9) << 8);
    picture.bytes = std::move(bytes);
    return picture;
}

Picture LoadPicture(const std::string& path) {
    return LoadPictureBytes(platform::Files().ReadAll(path));
}

void Image::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    Changed("Picture");
    FitPicture();
}

void Image::SetStretch(bool value) {
    stretch_ = value;
    Changed("Stretch");
    FitPicture();
}

void Image::FitPicture() {
    if (stretch_ || picture_.IsEmpty()) return;
    const float upp = ParentUnitsPerPixel();
    Move(Left(), Top(), static_cast<float>(picture_.widthPixels) * upp,
         static_cast<float>(picture_.heightPixels) * upp);
}

void Image::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    const auto& other = static_cast<const Image&>(source);
    picture_ = other.picture_;
    stretch_ = other.stretch_;
}

rt::DispId Image::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Image, Control>(name);
}

rt::Variant Image::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Image, Control>(id, type, args);
}

const rt::DispatchTable<Image>& Image::Members() {
    static const rt::DispatchTable<Image> table{
        rows::Property<Image>("Stretch", 100, &Image::Stretch, &Image::SetStretch),
    };
    return table;
}

}  // namespace forms
