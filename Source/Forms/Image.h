#pragma once
// An image: a GIF picture shown at its natural size (the size read from the picture's header),
// without a window of its own; Click and MouseMove.
#include <string>

#include "Control.h"

namespace forms {

struct Picture {
    std::string bytes;
    int widthPixels = 0;
    int heightPixels = 0;
    bool IsEmpty() const noexcept { return bytes.empty(); }
};

// A picture from the bytes of a GIF file. Raises 481 when the bytes are not a GIF picture.
Picture LoadPictureBytes(std::string bytes);
// A picture from a GIF file. Raises 53 when the file is missing, 481 when it is not a GIF.
Picture LoadPicture(const std::string& path);

class Image : public Control {
  public:
    explicit Image(std::string name) : Control(std::move(name)) {}
    std::string_view TypeName() const override { return "Image"; }
    bool IsWindowed() const override { return false; }

    const Picture& GetPicture() const noexcept { return picture_; }
    // Without Stretch the image takes the picture's natural size.
    void SetPicture(Picture picture);
    bool Stretch() const noexcept { return stretch_; }
    void SetStretch(bool value);

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Image>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    void FitPicture();
    Picture picture_;
    bool stretch_ = false;
};

}  // namespace forms
