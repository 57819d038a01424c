#include "WindowManager.h"

#include <sys/types.h>
#include <unistd.h>

#include <map>
#include <unordered_map>

namespace platform {

namespace {

std::string FoldAscii(const std::string& name) {
    std::string key = name;
    for (char& ch : key) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return key;
}

struct Window {
    WindowHandle parent = 0;
    Rect rect;
    WindowProc procedure = nullptr;
    std::function<void(WindowHandle)> paint;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
    bool visible = true;
    bool redraw = true;
    bool destroying = false;
    std::int64_t paintCount = 0;
    std::vector<WindowHandle> children;  // front-most first
    // Folded name -> (name as first set, value).
    std::map<std::string, std::pair<std::string, std::intptr_t>> props;
};

class InProcessWindowManager final : public WindowManager {
  public:
    WindowHandle CreateWindow(const WindowCreation& creation) override {
        if (creation.parent != 0 && !IsWindow(creation.parent)) return 0;
        const WindowHandle handle = nextHandle_;
        nextHandle_ += 2;
        Window& window = windows_[handle];
        window.parent = creation.parent;
        window.rect = creation.rect;
        window.procedure = creation.procedure ? creation.procedure : &DefaultWindowProc;
        window.paint = creation.paint;
        window.processId = creation.processId ? creation.processId : GetCurrentProcessId();
        window.threadId = creation.threadId ? creation.threadId : GetCurrentThreadId();
        window.visible = creation.visible;
        auto& siblings = creation.parent ? windows_[creation.parent].children : topLevel_;
        siblings.insert(siblings.begin(), handle);
        return handle;
    }

    bool DestroyWindow(WindowHandle hWnd) override {
        Window* window = Find(hWnd);
        if (!window || window->destroying) return false;
        window->destroying = true;
        SendMessage(hWnd, WM_DESTROY, 0, 0);
        // The procedures may have destroyed children already; take what is left.
        if (Window* still = Find(hWnd)) {
            const std::vector<WindowHandle> children = still->children;
            for (WindowHandle child : children) DestroyWindow(child);
        }
        SendMessage(hWnd, WM_NCDESTROY, 0, 0);
        window = Find(hWnd);
        if (!window) return true;
        if (auto* siblings = SiblingsOf(*window)) std::erase(*siblings, hWnd);
        windows_.erase(hWnd);
        return true;
    }

    bool IsWindow(WindowHandle hWnd) override { return Find(hWnd) != nullptr; }

    WindowHandle GetParent(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        return window ? window->parent : 0;
    }

    std::uint32_t GetWindowThreadProcessId(WindowHandle hWnd, std::uint32_t* processId) override {
        const Window* window = Find(hWnd);
        if (processId) *processId = window ? window->processId : 0;
        return window ? window->threadId : 0;
    }

    std::uint32_t GetCurrentProcessId() override { return static_cast<std::uint32_t>(::getpid()); }

    std::uint32_t GetCurrentThreadId() override { return static_cast<std::uint32_t>(::gettid()); }

    WindowProc SetWindowProc(WindowHandle hWnd, WindowProc procedure) override {
        Window* window = Find(hWnd);
        if (!window || !procedure || window->processId != GetCurrentProcessId()) return nullptr;
        return std::exchange(window->procedure, procedure);
    }

    WindowProc GetWindowProc(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        return window ? window->procedure : nullptr;
    }

    LResult SendMessage(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam) override {
        const Window* window = Find(hWnd);
        if (!window) return 0;
        return window->procedure(hWnd, iMsg, wParam, lParam);
    }

    LResult CallWindowProc(WindowProc procedure, WindowHandle hWnd, MessageId iMsg, WParam wParam,
                           LParam lParam) override {
        return procedure ? procedure(hWnd, iMsg, wParam, lParam) : 0;
    }

    LResult DefWindowProc(WindowHandle hWnd, MessageId iMsg, WParam wParam,
                          LParam lParam) override {
        Window* window = Find(hWnd);
        if (!window) return 0;
        if (iMsg == WM_SETREDRAW) window->redraw = wParam != 0;
        // A wheel turn over a child that does not handle it scrolls the nearest ancestor that
        // does.
        if (iMsg == WM_MOUSEWHEEL && window->parent != 0) {
            return SendMessage(window->parent, iMsg, wParam, lParam);
        }
        return 0;
    }

    bool SetProp(WindowHandle hWnd, const std::string& name, std::intptr_t value) override {
        Window* window = Find(hWnd);
        if (!window || name.empty()) return false;
        auto [it, added] = window->props.try_emplace(FoldAscii(name), name, value);
        if (!added) it->second.second = value;
        return true;
    }

    std::intptr_t GetProp(WindowHandle hWnd, const std::string& name) override {
        const Window* window = Find(hWnd);
        if (!window) return 0;
        const auto it = window->props.find(FoldAscii(name));
        return it == window->props.end() ? 0 : it->second.second;
    }

    std::intptr_t RemoveProp(WindowHandle hWnd, const std::string& name) override {
        Window* window = Find(hWnd);
        if (!window) return 0;
        const auto it = window->props.find(FoldAscii(name));
        if (it == window->props.end()) return 0;
        const std::intptr_t value = it->second.second;
        window->props.erase(it);
        return value;
    }

    std::vector<std::pair<std::string, std::intptr_t>> EnumProps(WindowHandle hWnd) override {
        std::vector<std::pair<std::string, std::intptr_t>> all;
        if (const Window* window = Find(hWnd)) {
            for (const auto& [key, entry] : window->props) all.push_back(entry);
        }
        return all;
    }

    bool IsPaintingEnabled(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        if (!window) return false;
        for (; window; window = Find(window->parent)) {
            if (!window->visible || !window->redraw) return false;
        }
        return true;
    }

    void InvalidateWindow(WindowHandle hWnd) override {
        if (IsPaintingEnabled(hWnd)) Paint(hWnd);
    }

    bool RedrawWindow(WindowHandle hWnd, const Rect*, const void*, std::uint32_t flags) override {
        if (!IsWindow(hWnd)) return false;
        if (!(flags & RDW_INVALIDATE)) return true;
        std::vector<WindowHandle> targets{hWnd};
        if (flags & RDW_ALLCHILDREN) {
            for (std::size_t i = 0; i < targets.size(); ++i) {
                const auto& children = windows_[targets[i]].children;
                // Back to front, so that front-most windows paint last as on a screen.
                targets.insert(targets.end(), children.rbegin(), children.rend());
            }
        }
        // A paint handler may change the tree; check each window again before painting it.
        for (WindowHandle target : targets) {
            if (IsPaintingEnabled(target)) Paint(target);
        }
        return true;
    }

    std::int64_t PaintCount(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        return window ? window->paintCount : 0;
    }

    bool MoveWindow(WindowHandle hWnd, const Rect& rect) override {
        Window* window = Find(hWnd);
        if (!window) return false;
        window->rect = rect;
        return true;
    }

    Rect GetWindowRect(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        if (!window) return {};
        const Point origin = ScreenOrigin(*window);
        return {origin.x, origin.y, origin.x + Width(*window), origin.y + Height(*window)};
    }

    Rect GetClientRect(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        if (!window) return {};
        return {0, 0, Width(*window), Height(*window)};
    }

    bool ShowWindow(WindowHandle hWnd, bool visible) override {
        Window* window = Find(hWnd);
        if (!window) return false;
        return std::exchange(window->visible, visible);
    }

    bool IsWindowVisible(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        if (!window) return false;
        for (; window; window = Find(window->parent)) {
            if (!window->visible) return false;
        }
        return true;
    }

    bool BringWindowToTop(WindowHandle hWnd) override {
        const Window* window = Find(hWnd);
        if (!window) return false;
        if (auto* siblings = SiblingsOf(*window)) {
            std::erase(*siblings, hWnd);
            siblings->insert(siblings->begin(), hWnd);
        }
        return true;
    }

    bool ScreenToClient(WindowHandle hWnd, Point& point) override {
        const Window* window = Find(hWnd);
        if (!window) return false;
        const Point origin = ScreenOrigin(*window);
        point.x -= origin.x;
        point.y -= origin.y;
        return true;
    }

    bool ClientToScreen(WindowHandle hWnd, Point& point) override {
        const Window* window = Find(hWnd);
        if (!window) return false;
        const Point origin = ScreenOrigin(*window);
        point.x += origin.x;
        point.y += origin.y;
        return true;
    }

    Point GetCursorPos() override { return cursor_; }
    void SetCursorPos(Point point) override { cursor_ = point; }

    WindowHandle WindowFromPoint(Point point) override {
        WindowHandle found = 0;
        const std::vector<WindowHandle>* candidates = &topLevel_;
        Point local = point;  // relative to the client area of the candidates' parent
        for (;;) {
            WindowHandle hit = 0;
            for (WindowHandle candidate : *candidates) {
                const Window& window = windows_.at(candidate);
                if (window.visible && Contains(window.rect, local)) {
                    hit = candidate;
                    break;
                }
            }
            if (!hit) return found;
            found = hit;
            const Window& window = windows_.at(hit);
            local.x -= window.rect.left;
            local.y -= window.rect.top;
            candidates = &window.children;
        }
    }

  private:
    Window* Find(WindowHandle hWnd) {
        if (hWnd == 0) return nullptr;
        const auto it = windows_.find(hWnd);
        return it == windows_.end() ? nullptr : &it->second;
    }

    std::vector<WindowHandle>* SiblingsOf(const Window& window) {
        if (window.parent == 0) return &topLevel_;
        Window* parent = Find(window.parent);
        return parent ? &parent->children : nullptr;
    }

    static std::int32_t Width(const Window& window) { return window.rect.right - window.rect.left; }
    static std::int32_t Height(const Window& window) {
        return window.rect.bottom - window.rect.top;
    }

    static bool Contains(const Rect& rect, Point point) {
        return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
               point.y < rect.bottom;
    }

    Point ScreenOrigin(const Window& window) {
        Point origin;
        for (const Window* w = &window; w; w = Find(w->parent)) {
            origin.x += w->rect.left;
            origin.y += w->rect.top;
        }
        return origin;
    }

    void Paint(WindowHandle hWnd) {
        Window& window = windows_.at(hWnd);
        ++window.paintCount;
        // A copy: the handler may destroy the window it paints.
        if (const auto paint = window.paint) paint(hWnd);
    }

    // Handles look like the desktop's: even and well away from 0.
    WindowHandle nextHandle_ = 0x10010;
    std::unordered_map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> topLevel_;  // front-most first
    Point cursor_;
};

}  // namespace

std::shared_ptr<WindowManager> MakeInProcessWindowManager() {
    return std::make_shared<InProcessWindowManager>();
}

LResult DefaultWindowProc(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam) {
    return Windows().DefWindowProc(hWnd, iMsg, wParam, lParam);
}

}  // namespace platform

template <>
std::shared_ptr<platform::WindowManager> rt::MakeDefaultRole<platform::WindowManager>() {
    return platform::MakeInProcessWindowManager();
}

PERLOWAN_DEFINE_ROLE(platform::WindowManager);
