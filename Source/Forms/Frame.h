#pragma once
// A frame: a container with a caption that groups controls (option buttons inside one frame form
// one group). Its controls use the scale of the frame's own container.
#include "Container.h"

namespace forms {

class Frame : public Container {
  public:
    explicit Frame(std::string name) : Container(std::move(name)) {}
    std::string_view TypeName() const override { return "Frame"; }

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Frame>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::string caption_;
};

}  // namespace forms
