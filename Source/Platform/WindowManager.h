#pragma once
// The window-and-messages role: window handles, window procedures, messages, window properties,
// painting and screen coordinates. On Linux an in-process window manager stands in for the
// desktop's one; the UI toolkit creates a window for every windowed control and the add-in
// subclasses those windows.
//
// Member names follow the desktop's own functions so that a native implementation maps one to
// one (it must #undef the A/W macros of the system header that share these names).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Role.h"

namespace platform {

// A window handle; 0 is never a window, and a handle is not given out again while the process
// runs.
using WindowHandle = std::int32_t;
using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// A window procedure. Procedures are plain functions so that they can be compared, kept in a
// window property and installed again; a procedure finds its object through the window handle
// (for example a window property).
using WindowProc = LResult (*)(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam);

// Messages the system sends or handles.
inline constexpr MessageId WM_DESTROY = 0x0002;
inline constexpr MessageId WM_SETREDRAW = 0x000B;  // wParam 0 suspends painting, non-zero resumes
inline constexpr MessageId WM_PAINT = 0x000F;
inline constexpr MessageId WM_NCDESTROY = 0x0082;
inline constexpr MessageId WM_KEYDOWN = 0x0100;
inline constexpr MessageId WM_MOUSEMOVE = 0x0200;
inline constexpr MessageId WM_LBUTTONDOWN = 0x0201;
inline constexpr MessageId WM_LBUTTONUP = 0x0202;
inline constexpr MessageId WM_MOUSEWHEEL = 0x020A;  // high word of wParam: signed distance
inline constexpr std::int16_t WHEEL_DELTA = 120;    // distance of one wheel notch
inline constexpr int GWL_WNDPROC = -4;

// RedrawWindow flags.
inline constexpr std::uint32_t RDW_INVALIDATE = 0x0001;
inline constexpr std::uint32_t RDW_ERASE = 0x0004;
inline constexpr std::uint32_t RDW_ALLCHILDREN = 0x0080;
inline constexpr std::uint32_t RDW_UPDATENOW = 0x0100;

// Packs two 16-bit halves into a message parameter, as the desktop does for wheel and mouse
// messages.
inline constexpr WParam MakeWParam(std::uint16_t low, std::uint16_t high) {
    return static_cast<WParam>(static_cast<std::uint32_t>(low) |
                               (static_cast<std::uint32_t>(high) << 16));
}
inline constexpr LParam MakeLParam(std::int16_t low, std::int16_t high) {
    return static_cast<LParam>(
        static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}
inline constexpr std::int16_t SignedLoWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}
inline constexpr std::int16_t SignedHiWord(std::uintptr_t value) {
    return static_cast<std::int16_t>((value >> 16) & 0xFFFF);
}

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct WindowCreation {
    WindowHandle parent = 0;  // 0: a top-level window
    // In pixels, relative to the parent's client area (to the screen for a top-level window).
    // The whole window is client area: windows of the system have no borders of their own.
    Rect rect;
    WindowProc procedure = nullptr;  // nullptr: DefaultWindowProc
    // Called for every repaint of the window; this is how the UI toolkit learns to paint.
    std::function<void(WindowHandle)> paint;
    std::uint32_t processId = 0;  // 0: the current process; another id makes a foreign window
    std::uint32_t threadId = 0;   // 0: the current thread
    bool visible = true;
};

class WindowManager {
  public:
    virtual ~WindowManager() = default;

    // --- Windows ---
    // A new window, in front of its siblings. Returns 0 when the parent is not a window.
    virtual WindowHandle CreateWindow(const WindowCreation& creation) = 0;
    // Sends WM_DESTROY, destroys the children, sends WM_NCDESTROY and removes the window with
    // its properties. False when hWnd is not a window.
    virtual bool DestroyWindow(WindowHandle hWnd) = 0;
    virtual bool IsWindow(WindowHandle hWnd) = 0;
    virtual WindowHandle GetParent(WindowHandle hWnd) = 0;  // 0 for top-level or no window
    // The owning thread id (0 when hWnd is not a window); the process id through `processId`.
    virtual std::uint32_t GetWindowThreadProcessId(WindowHandle hWnd, std::uint32_t* processId) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    virtual std::uint32_t GetCurrentThreadId() = 0;

    // --- Procedures and messages ---
    // Installs `procedure` and returns the previous one (SetWindowLong with GWL_WNDPROC).
    // Returns nullptr and changes nothing when hWnd is not a window, belongs to another
    // process, or `procedure` is nullptr.
    virtual WindowProc SetWindowProc(WindowHandle hWnd, WindowProc procedure) = 0;
    virtual WindowProc GetWindowProc(WindowHandle hWnd) = 0;  // nullptr when not a window
    // Calls the window's current procedure at once; 0 when hWnd is not a window.
    virtual LResult SendMessage(WindowHandle hWnd, MessageId iMsg, WParam wParam,
                                LParam lParam) = 0;
    // Calls the given procedure for the window; 0 when `procedure` is nullptr.
    virtual LResult CallWindowProc(WindowProc procedure, WindowHandle hWnd, MessageId iMsg,
                                   WParam wParam, LParam lParam) = 0;
    // The system's handling of a message: WM_SETREDRAW switches painting, WM_MOUSEWHEEL goes on
    // to the parent window; everything else returns 0.
    virtual LResult DefWindowProc(WindowHandle hWnd, MessageId iMsg, WParam wParam,
                                  LParam lParam) = 0;

    // --- Window properties (names compare ignoring ASCII letter case) ---
    virtual bool SetProp(WindowHandle hWnd, const std::string& name, std::intptr_t value) = 0;
    virtual std::intptr_t GetProp(WindowHandle hWnd, const std::string& name) = 0;     // 0: none
    virtual std::intptr_t RemoveProp(WindowHandle hWnd, const std::string& name) = 0;  // old value
    // Every property of the window, sorted by name.
    virtual std::vector<std::pair<std::string, std::intptr_t>> EnumProps(WindowHandle hWnd) = 0;

    // --- Painting ---
    // A window paints only while it and all its ancestors are visible and have painting on
    // (WM_SETREDRAW). Repaints happen at once; none is queued while painting is off.
    virtual bool IsPaintingEnabled(WindowHandle hWnd) = 0;
    // The window's content changed: repaints it when it can paint, otherwise does nothing.
    virtual void InvalidateWindow(WindowHandle hWnd) = 0;
    // With RDW_INVALIDATE: repaints the window (and with RDW_ALLCHILDREN every descendant) that
    // can paint. False when hWnd is not a window.
    virtual bool RedrawWindow(WindowHandle hWnd, const Rect* update, const void* region,
                              std::uint32_t flags) = 0;
    // Repaints of the window so far (0 when not a window).
    virtual std::int64_t PaintCount(WindowHandle hWnd) = 0;

    // --- Geometry, visibility, z-order ---
    // `rect` relative to the parent's client area, as at creation. No repaint follows.
    virtual bool MoveWindow(WindowHandle hWnd, const Rect& rect) = 0;
    virtual Rect GetWindowRect(WindowHandle hWnd) = 0;             // screen coordinates
    virtual Rect GetClientRect(WindowHandle hWnd) = 0;             // (0, 0, width, height)
    virtual bool ShowWindow(WindowHandle hWnd, bool visible) = 0;  // returns the previous state
    virtual bool IsWindowVisible(WindowHandle hWnd) = 0;           // it and all its ancestors
    virtual bool BringWindowToTop(WindowHandle hWnd) = 0;          // in front of its siblings
    // Convert in place; false (point untouched) when hWnd is not a window.
    virtual bool ScreenToClient(WindowHandle hWnd, Point& point) = 0;
    virtual bool ClientToScreen(WindowHandle hWnd, Point& point) = 0;
    // The mouse cursor's screen position, set by the toolkit's input simulation or its view.
    virtual Point GetCursorPos() = 0;
    virtual void SetCursorPos(Point point) = 0;
    // The front-most visible innermost window under the screen point; 0 for none.
    virtual WindowHandle WindowFromPoint(Point point) = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::WindowManager);

namespace platform {

inline WindowManager& Windows() {
    return rt::Role<WindowManager>::Get();
}

// A fresh in-process window manager with no windows: the Linux implementation, also what tests
// install with rt::ScopedRole to start from a clean desktop.
std::shared_ptr<WindowManager> MakeInProcessWindowManager();

// A window procedure that hands every message to the installed manager's DefWindowProc.
LResult DefaultWindowProc(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam);

}  // namespace platform
