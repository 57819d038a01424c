#pragma once
// The callback interface of window-message clients: objects that receive chosen messages of a
// window through mSubclass.
#include <cstdint>
#include <utility>
#include <vector>

// MsgResponse values: who handles a dispatched message besides the clients.
inline constexpr std::int32_t MsgResponseClientsOnly = 0;  // the window's own procedure is skipped
inline constexpr std::int32_t MsgResponseOwnAfter = 1;     // own procedure after the clients
inline constexpr std::int32_t MsgResponseOwnBefore = 2;    // own procedure before the clients

class cISubclass {
  public:
    cISubclass(const cISubclass&) = delete;
    cISubclass& operator=(const cISubclass&) = delete;

    // How the client will respond to the message being dispatched; read for every dispatch.
    virtual std::int32_t MsgResponse() = 0;
    virtual void MsgResponse(std::int32_t value) = 0;
    // Raised whenever a message you have subclassed is sent.
    virtual std::int32_t WindowProc(std::int32_t hWnd, std::int32_t iMsg, std::int32_t wParam,
                                    std::int32_t lParam) = 0;

  protected:
    cISubclass() = default;
    // A registration holds only the client's address, so a client never outlives its
    // registrations: they all end here. A client that sends its own subscribed messages while
    // it is being destroyed calls UnsubscribeAll first in its destructor.
    virtual ~cISubclass();
    void UnsubscribeAll();

  private:
    friend void SubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg);
    friend void UnsubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg);

    // (window, message) pairs this client is registered for.
    std::vector<std::pair<std::int32_t, std::int32_t>> subscriptions_;
};
