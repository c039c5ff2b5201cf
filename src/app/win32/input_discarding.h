#pragma once

#include <windows.h>

#include <chrono>

namespace vsm {

// While the engine works, the window keeps being painted but the user's input is dropped rather
// than queued: clicks made during an operation must not start another one afterwards. A click on
// the close box and Alt+F4 are not input of this kind: they become a close request to `window`,
// which the window holds or drops as it sees fit.

// True for keyboard, mouse-button and wheel messages, in the client or the non-client area.
bool IsUserInput(const MSG& message);

// Dispatches the pending messages until none is left or `limit` has passed, dropping user input.
// A quit message is left for the main loop.
void PumpDiscardingInput(HWND window, std::chrono::milliseconds limit);

// The same until no message is left: called when an operation ends, so that nothing that arrived
// meanwhile reaches a control afterwards.
void DropPendingInput(HWND window);

}  // namespace vsm
