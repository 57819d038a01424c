#include "KeyState.h"

#include <array>
#include <memory>

namespace platform {

namespace {

class InProcessKeyState final : public KeyboardState {
  public:
    std::int16_t GetAsyncKeyState(int vk) override {
        if (!Valid(vk)) return 0;
        Key& key = keys_[static_cast<std::size_t>(vk)];
        std::uint16_t value = key.down ? 0x8000 : 0;
        if (key.pressedSinceQuery) value |= 1;
        key.pressedSinceQuery = false;
        return static_cast<std::int16_t>(value);
    }
    void KeyDown(int vk) override {
        if (!Valid(vk)) return;
        Key& key = keys_[static_cast<std::size_t>(vk)];
        // Auto-repeat of a held key is not a new press.
        if (!key.down) key.pressedSinceQuery = true;
        key.down = true;
    }
    void KeyUp(int vk) override {
        if (Valid(vk)) keys_[static_cast<std::size_t>(vk)].down = false;
    }
    bool IsKeyDown(int vk) override {
        return Valid(vk) && keys_[static_cast<std::size_t>(vk)].down;
    }
    void Reset() override { keys_ = {}; }

  private:
    struct Key {
        bool down = false;
        bool pressedSinceQuery = false;
    };
    static bool Valid(int vk) { return vk >= 0 && vk < 256; }
    std::array<Key, 256> keys_{};
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::KeyboardState> rt::MakeDefaultRole<platform::KeyboardState>() {
    return std::make_shared<platform::InProcessKeyState>();
}

PERLOWAN_DEFINE_ROLE(platform::KeyboardState);
