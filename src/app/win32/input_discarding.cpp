#include "app/win32/input_discarding.h"

namespace vsm {

namespace {

bool InRange(UINT message, UINT first, UINT last) { return message >= first && message <= last; }

bool IsCloseGesture(const MSG& message) {
  if (message.message == WM_NCLBUTTONDOWN) return message.wParam == HTCLOSE;
  return message.message == WM_SYSKEYDOWN && message.wParam == VK_F4;
}

// Takes one pending message; false when none is left or the quit message came up.
bool DispatchOneDiscardingInput(HWND window) {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (IsCloseGesture(message)) {
    if (window != nullptr && GetAncestor(message.hwnd, GA_ROOT) == window) {
      SendMessageA(window, WM_CLOSE, 0, 0);
    }
  } else if (!IsUserInput(message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

bool IsUserInput(const MSG& message) {
  const UINT kind = message.message;
  // Pointer movement stays: it only highlights, and a press that would follow it is dropped.
  if (kind == WM_MOUSEMOVE || kind == WM_NCMOUSEMOVE) return false;
  return InRange(kind, WM_KEYFIRST, WM_KEYLAST) || InRange(kind, WM_MOUSEFIRST, WM_MOUSELAST) ||
         InRange(kind, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK) || kind == WM_CONTEXTMENU;
}

void PumpDiscardingInput(HWND window, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (DispatchOneDiscardingInput(window) && std::chrono::steady_clock::now() < deadline) {
  }
}

void DropPendingInput(HWND window) {
  while (DispatchOneDiscardingInput(window)) {
  }
}

}  // namespace vsm
