#pragma once
// The mouse-pointer role: standard cursors by id and the current cursor. The UI toolkit's view
// reads the current cursor to show it.
#include <cstdint>

#include "Role.h"

namespace platform {

// 0 is "no cursor".
using CursorHandle = std::intptr_t;

// Standard cursor ids.
inline constexpr int IDC_ARROW = 32512;
inline constexpr int IDC_IBEAM = 32513;
inline constexpr int IDC_WAIT = 32514;  // hourglass
inline constexpr int IDC_SIZEWE = 32644;
inline constexpr int IDC_HAND = 32649;

class CursorService {
  public:
    virtual ~CursorService() = default;
    // The handle of a standard cursor, the same for every call with the same id; 0 for an id
    // that is not a standard cursor.
    virtual CursorHandle LoadCursor(int id) = 0;
    // The current cursor (the arrow at start).
    virtual CursorHandle GetCursor() = 0;
    // Makes `cursor` current (0 hides the pointer) and returns the previous one.
    virtual CursorHandle SetCursor(CursorHandle cursor) = 0;
    // The standard id behind a handle from LoadCursor; 0 for any other handle.
    virtual int StandardCursorId(CursorHandle cursor) = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::CursorService);

namespace platform {

inline CursorService& Cursors() {
    return rt::Role<CursorService>::Get();
}

}  // namespace platform
