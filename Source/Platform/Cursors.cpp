#include "Cursors.h"

#include <array>
#include <memory>

namespace platform {

namespace {

constexpr std::array kStandardIds = {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_SIZEWE, IDC_HAND};
// Handles are small non-zero numbers apart from the ids, so that a mix-up shows.
constexpr CursorHandle kFirstHandle = 0x10001;

class InProcessCursors final : public CursorService {
  public:
    CursorHandle LoadCursor(int id) override {
        for (std::size_t i = 0; i < kStandardIds.size(); ++i)
            if (kStandardIds[i] == id) return kFirstHandle + static_cast<CursorHandle>(i);
        return 0;
    }
    CursorHandle GetCursor() override { return current_; }
    CursorHandle SetCursor(CursorHandle cursor) override {
        const CursorHandle previous = current_;
        current_ = cursor;
        return previous;
    }
    int StandardCursorId(CursorHandle cursor) override {
        const CursorHandle index = cursor - kFirstHandle;
        if (index < 0 || index >= static_cast<CursorHandle>(kStandardIds.size())) return 0;
        return kStandardIds[static_cast<std::size_t>(index)];
    }

  private:
    CursorHandle current_ = kFirstHandle;  // the arrow
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::CursorService> rt::MakeDefaultRole<platform::CursorService>() {
    return std::make_shared<platform::InProcessCursors>();
}

PERLOWAN_DEFINE_ROLE(platform::CursorService);
