#pragma once
// Interception of window messages of this process's windows, dispatched to cISubclass clients.
// The bookkeeping lives in named properties of the subclassed window itself:
//   "<hWnd>"             the window's own procedure
//   "C<hWnd>"            the number of (client, message) subscriptions on the window
//   "<hWnd>#<iMsg>C"     the number of clients of that message
//   "<hWnd>#<iMsg>#<k>"  the k-th client (k from 1), as the client object's address
#include <cstdint>

#include "WindowManager.h"
#include "cISubclass.h"

// Registers `client` for message `iMsg` of window `hWnd`; the first subscription on a window
// installs DispatchWindowMessage as its procedure. Raises (object-error base added) 13083
// "Invalid window", 13084 "Can't modify external window" for a window of another process,
// 13082 "Message already handled by another class" when the client is already registered for
// the message (nothing changed), 13081 "Can't subclass window" when the procedure cannot be
// replaced.
void SubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg);

// Removes that registration; the last one on a window puts the window's own procedure back.
// A client that is not registered changes nothing. Raises nothing.
void UnsubscribeMessage(cISubclass& client, std::int32_t hWnd, std::int32_t iMsg);

// The window procedure installed on subclassed windows: calls the message's clients in
// subscription order and, as the first and last clients' MsgResponse say, the window's own
// procedure.
platform::LResult DispatchWindowMessage(platform::WindowHandle hWnd, platform::MessageId iMsg,
                                        platform::WParam wParam, platform::LParam lParam);

// Raises `number`: below 1001 as the standard run-time error (0 and below as 5), otherwise with
// the object-error base added, the source "Perlowan.WindowProc" and the subclassing error's
// description (empty for other numbers).
[[noreturn]] void RaiseSubclassError(std::int32_t number);

// Whether the window belongs to the current process.
bool IsOwnProcessWindow(std::int32_t hWnd);
