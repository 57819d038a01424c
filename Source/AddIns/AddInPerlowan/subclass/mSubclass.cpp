#include "mSubclass.h"

#include <string>

#include "RuntimeError.h"

namespace {

// The component's file name without extension.
constexpr const char* kComponentName = "Perlowan";

constexpr std::int32_t CantSubclassWindow = 13081;
constexpr std::int32_t MessageAlreadyHandled = 13082;
constexpr std::int32_t InvalidWindow = 13083;
constexpr std::int32_t CantModifyExternalWindow = 13084;

std::string OwnProcedureKey(std::int32_t hWnd) {
    return std::to_string(hWnd);
}
std::string WindowCountKey(std::int32_t hWnd) {
    return "C" + std::to_string(hWnd);
}
std::string MessageKey(std::int32_t hWnd, std::int32_t iMsg) {
    return std::to_string(hWnd) + "#" + std::to_string(iMsg);
}
std::string MessageCountKey(std::int32_t hWnd, std::int32_t iMsg) {
    return MessageKey(hWnd, iMsg) + "C";
}
std::string EntryKey(std::int32_t hWnd, std::int32_t iMsg, std::intptr_t k) {
    return MessageKey(hWnd, iMsg) + "#" + std::to_string(k);
}

std::intptr_t AddressOf(const cISubclass& client) {
    return reinterpret_cast<std::intptr_t>(&client);
}

// Entry number (from 1) of the client among the message's clients; 0 when it is not one.
std::intptr_t FindEntry(platform::WindowManager& wm, std::int32_t hWnd, std::int32_t iMsg,
                        std::intptr_t address) {
    const std::intptr_t count = wm.GetProp(hWnd, MessageCountKey(hWnd, iMsg));
    for (std::intptr_t k = 1; k <= count; ++k) {
        if (wm.GetProp(hWnd, EntryKey(hWnd, iMsg, k)) == address) return k;
    }
    return 0;
}

}  // namespace

cISubclass::~cISubclass() {
    UnsubscribeAll();
}

void cISubclass::UnsubscribeAll() {
    // Newest first, so each removal finds the window as its subscription left it.
    while (!subscriptions_.empty()) {
        const auto [hWnd, iMsg] = subscriptions_.back();
        UnsubscribeMessage(*this, hWnd, iMsg);
    }
}

void SubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg) {
    platform::WindowManager& wm = platform::Windows();
    if (!wm.IsWindow(hWnd)) RaiseSubclassError(InvalidWindow);
    if (!IsOwnProcessWindow(hWnd)) RaiseSubclassError(CantModifyExternalWindow);
    if (FindEntry(wm, hWnd, iMsg, AddressOf(client)) != 0) {
        RaiseSubclassError(MessageAlreadyHandled);
    }

    std::intptr_t windowCount = wm.GetProp(hWnd, WindowCountKey(hWnd));
    if (windowCount == 0) {
        const platform::WindowProc own = wm.SetWindowProc(hWnd, &DispatchWindowMessage);
        if (own == nullptr) RaiseSubclassError(CantSubclassWindow);
        wm.SetProp(hWnd, OwnProcedureKey(hWnd), reinterpret_cast<std::intptr_t>(own));
        windowCount = 1;
    } else {
        ++windowCount;
    }
    wm.SetProp(hWnd, WindowCountKey(hWnd), windowCount);

    const std::intptr_t messageCount = wm.GetProp(hWnd, MessageCountKey(hWnd, iMsg)) + 1;
    wm.SetProp(hWnd, MessageCountKey(hWnd, iMsg), messageCount);
    wm.SetProp(hWnd, EntryKey(hWnd, iMsg, messageCount), AddressOf(client));
    client.subscriptions_.emplace_back(hWnd, iMsg);
}

void UnsubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg) {
    std::erase(client.subscriptions_, std::pair{hWnd, iMsg});
    platform::WindowManager& wm = platform::Windows();
    const std::intptr_t k = FindEntry(wm, hWnd, iMsg, AddressOf(client));
    if (k == 0) return;

    const std::intptr_t messageCount = wm.GetProp(hWnd, MessageCountKey(hWnd, iMsg));
    for (std::intptr_t j = k; j < messageCount; ++j) {
        wm.SetProp(hWnd, EntryKey(hWnd, iMsg, j), wm.GetProp(hWnd, EntryKey(hWnd, iMsg, j + 1)));
    }
    wm.RemoveProp(hWnd, EntryKey(hWnd, iMsg, messageCount));
    // A count of 0 is what a missing property reads as; removing it leaves the window clean.
    if (messageCount > 1) {
        wm.SetProp(hWnd, MessageCountKey(hWnd, iMsg), messageCount - 1);
    } else {
        wm.RemoveProp(hWnd, MessageCountKey(hWnd, iMsg));
    }

    const std::intptr_t windowCount = wm.GetProp(hWnd, WindowCountKey(hWnd));
    if (windowCount == 1) {
        const auto own =
            reinterpret_cast<platform::WindowProc>(wm.GetProp(hWnd, OwnProcedureKey(hWnd)));
        wm.SetWindowProc(hWnd, own);
        wm.RemoveProp(hWnd, OwnProcedureKey(hWnd));
        wm.RemoveProp(hWnd, WindowCountKey(hWnd));
    } else {
        wm.SetProp(hWnd, WindowCountKey(hWnd), windowCount - 1);
    }
}

platform::LResult DispatchWindowMessage(platform::WindowHandle hWnd, platform::MessageId iMsg,
                                        platform::WParam wParam, platform::LParam lParam) {
    platform::WindowManager& wm = platform::Windows();
    const auto own =
        reinterpret_cast<platform::WindowProc>(wm.GetProp(hWnd, OwnProcedureKey(hWnd)));
    const auto message = static_cast<std::int32_t>(iMsg);
    const auto callOwn = [&] { return wm.CallWindowProc(own, hWnd, iMsg, wParam, lParam); };

    const std::intptr_t messageCount = wm.GetProp(hWnd, MessageCountKey(hWnd, message));
    if (messageCount <= 0) return callOwn();

    platform::LResult result = 0;
    bool calledOwn = false;
    for (std::intptr_t k = 1; k <= messageCount; ++k) {
        const std::intptr_t address = wm.GetProp(hWnd, EntryKey(hWnd, message, k));
        if (address == 0) {
            result = callOwn();
            continue;
        }
        auto* client = reinterpret_cast<cISubclass*>(address);
        // The own procedure and the client itself may end the registration (and the client);
        // the client is touched again only while it is still registered.
        const auto registered = [&] { return FindEntry(wm, hWnd, message, address) != 0; };
        if (k == 1 && client->MsgResponse() == MsgResponseOwnBefore && !calledOwn) {
            result = callOwn();
            calledOwn = true;
            if (!registered()) continue;
        }
        result = client->WindowProc(hWnd, message, static_cast<std::int32_t>(wParam),
                                    static_cast<std::int32_t>(lParam));
        if (k == messageCount && registered() && client->MsgResponse() == MsgResponseOwnAfter &&
            !calledOwn) {
            result = callOwn();
            calledOwn = true;
        }
    }
    return result;
}

void RaiseSubclassError(std::int32_t number) {
    if (number <= 0) rt::Raise(rt::err::InvalidProcedureCall, kComponentName);
    if (number < 1001) rt::Raise(number, kComponentName);
    std::string description;
    switch (number) {
        case CantSubclassWindow:
            description = "Can't subclass window";
            break;
        case MessageAlreadyHandled:
            description = "Message already handled by another class";
            break;
        case InvalidWindow:
            description = "Invalid window";
            break;
        case CantModifyExternalWindow:
            description = "Can't modify external window";
            break;
        default:
            break;
    }
    const auto objectError = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(number) | static_cast<std::uint32_t>(rt::err::ObjectErrorBase));
    throw rt::RuntimeError(objectError, std::move(description),
                           std::string(kComponentName) + ".WindowProc");
}

bool IsOwnProcessWindow(std::int32_t hWnd) {
    platform::WindowManager& wm = platform::Windows();
    std::uint32_t processId = 0;
    wm.GetWindowThreadProcessId(hWnd, &processId);
    return processId == wm.GetCurrentProcessId();
}
