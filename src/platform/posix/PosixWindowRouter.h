// Lets another part of the posix back-end (the dialog host) own window handles of its own, so
// the queue's SendMessage/PostMessage/IsWindow/GetClientRect reach them.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace plat::posix {

struct MessageRouter {
    bool (*owns)(Hwnd hwnd);
    std::intptr_t (*send)(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    bool (*post)(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    bool (*clientRect)(Hwnd hwnd, Rect* out);
};

// The dialog host calls this once when it starts (nullptr removes it again); handles that no
// window of this back-end has are offered to the router.
void SetMessageRouter(const MessageRouter* router);
const MessageRouter* GetMessageRouter();

}  // namespace plat::posix
