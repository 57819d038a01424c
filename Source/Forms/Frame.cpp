#include "Frame.h"

#include "MemberRows.h"

namespace forms {

void Frame::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

void Frame::CopyPropertiesFrom(const Control& source) {
    Container::CopyPropertiesFrom(source);
    caption_ = static_cast<const Frame&>(source).caption_;
}

rt::DispId Frame::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Frame, Container>(name);
}

rt::Variant Frame::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Frame, Container>(id, type, args);
}

const rt::DispatchTable<Frame>& Frame::Members() {
    static const rt::DispatchTable<Frame> table{
        rows::Property<Frame>("Caption", 100, &Frame::Caption, &Frame::SetCaption),
    };
    return table;
}

}  // namespace forms
