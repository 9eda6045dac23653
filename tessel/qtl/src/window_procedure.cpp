#include "endpoint.h"

intptr_t DummyWindowMessageHandler(void* handle, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  HWND window = static_cast<HWND>(handle);
  auto* endpoint = reinterpret_cast<QTLEndpoint>(GetWindowLongPtrA(window, 0));
  switch (message) {
    case WM_DESTROY:
      // An endpoint's window going away ends its thread's message loop.
      if (endpoint) PostQuitMessage(0);
      break;
    case QTLMSG_WAKE:
      tessel::qtl::ProcessData();
      break;
    case QTLMSG_CLOSE: {
      MSG dropped;
      while (PeekMessageA(&dropped, window, 0, 0, PM_REMOVE | PM_NOYIELD)) {
      }
      DestroyWindow(window);
      return 0;
    }
    case QTLMSG_SOCKET:
      if (endpoint) {
        tessel::qtl::OnSocketNotification(*endpoint, lParam);
      } else {
        tessel::qtl::OnOwnerSocketNotification(SOCKET(wParam), lParam);
      }
      break;
    case QTLMSG_NAME_DONE:
    case QTLMSG_ADDR_DONE:
      // A name request's reply: its error goes where the window's user-data
      // word points, and the delay waiting for it ends.
      if (auto* error = reinterpret_cast<int32_t*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
        *error = WSAGETASYNCERROR(lParam);
        QTLCancelDelay(1);
      }
      return 0;
    case QTLMSG_ABORT:
      QTLCancelDelay(2);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
