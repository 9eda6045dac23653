// Windows: creation, destruction, window words and calling the procedure.
//
// A window handle is an opaque number looked up in the window table on
// every call, so a stale or garbage handle is reported, never followed.
// Procedures are called with no lock held; they may re-enter any function.
#include <unistd.h>

#include <cstring>
#include <unordered_map>

#include "platform/error.h"
#include "window_table.h"

namespace platform {
namespace {

std::unordered_map<std::uintptr_t, std::unique_ptr<Window>>& windows() {
  static auto* table = new std::unordered_map<std::uintptr_t, std::unique_ptr<Window>>;
  return *table;
}

std::uintptr_t key_of(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

void erase_window_locked(Window& window) {
  --window.window_class->window_count;
  windows().erase(key_of(window.handle));
}

// Where word `index` of a window is stored, or null (ERROR_INVALID_INDEX)
// when the index is not one of its words.
unsigned char* word_locked(HWND handle, int index) {
  Window* window = find_window_locked(handle);
  if (!window) return nullptr;
  if (index == GWLP_USERDATA) return reinterpret_cast<unsigned char*>(&window->user_data);
  if (index < 0 || window->extra.size() < sizeof(LONG_PTR) ||
      static_cast<size_t>(index) > window->extra.size() - sizeof(LONG_PTR)) {
    SetLastError(ERROR_INVALID_INDEX);
    return nullptr;
  }
  return window->extra.data() + index;
}

}  // namespace

Window* find_window_locked(HWND handle) {
  auto found = windows().find(key_of(handle));
  if (found == windows().end()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return found->second.get();
}

Window* own_window_locked(HWND handle, const ThreadState& self) {
  Window* window = find_window_locked(handle);
  if (window && window->owner != &self) {
    SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
    return nullptr;
  }
  return window;
}

void drop_windows_of_locked(const ThreadState& owner) {
  for (auto it = windows().begin(); it != windows().end();) {
    Window& window = *it->second;
    ++it;
    if (window.owner == &owner) erase_window_locked(window);
  }
}

}  // namespace platform

using namespace platform;

// Calling thread: becomes the window's owner.
HWND CreateWindowExA(DWORD /*exStyle*/, const char* className, const char* /*windowName*/,
                     DWORD /*style*/, int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                     HWND /*parent*/, void* /*menu*/, HINSTANCE /*instance*/, void* param) {
  ThreadState& self = current_thread();
  HWND handle;
  WNDPROC procedure;
  {
    KernelLock lock(kernel_mutex());
    auto window_class = find_class_locked(className);
    if (!window_class) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    auto window = std::make_unique<Window>();
    handle = reinterpret_cast<HWND>(new_handle_value_locked());
    procedure = window_class->procedure;
    window->handle = handle;
    window->procedure = procedure;
    window->owner = &self;
    // Whole pointer-sized words: the design's 4 extra bytes must still hold
    // a pointer in word 0.
    constexpr size_t word = sizeof(LONG_PTR);
    window->extra.resize((static_cast<size_t>(window_class->extra_bytes) + word - 1) / word * word);
    ++window_class->window_count;
    window->window_class = std::move(window_class);
    windows().emplace(key_of(handle), std::move(window));
  }
  procedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(param));
  return handle;
}

// Owner thread only.
BOOL DestroyWindow(HWND handle) {
  ThreadState& self = current_thread();
  WNDPROC procedure;
  {
    KernelLock lock(kernel_mutex());
    Window* window = own_window_locked(handle, self);
    if (!window) return FALSE;
    if (window->destroying) return TRUE;  // called again from its own WM_DESTROY
    window->destroying = true;
    procedure = window->procedure;
  }
  procedure(handle, WM_DESTROY, 0, 0);
  KernelLock lock(kernel_mutex());
  std::erase_if(self.posted, [handle](const MSG& msg) { return msg.hwnd == handle; });
  if (Window* window = find_window_locked(handle)) erase_window_locked(*window);
  return TRUE;
}

// Any thread.
BOOL IsWindow(HWND handle) {
  KernelLock lock(kernel_mutex());
  return windows().contains(key_of(handle)) ? TRUE : FALSE;
}

// Any thread.
DWORD GetWindowThreadProcessId(HWND handle, DWORD* processId) {
  KernelLock lock(kernel_mutex());
  Window* window = find_window_locked(handle);
  if (!window) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return window->owner->id;
}

// Any thread. Failure returns 0 with the last error set; as on Windows a
// success does not clear the last error.
LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  KernelLock lock(kernel_mutex());
  unsigned char* bytes = word_locked(window, index);
  if (!bytes) return 0;
  LONG_PTR value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Any thread. Returns the previous value.
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  KernelLock lock(kernel_mutex());
  unsigned char* bytes = word_locked(window, index);
  if (!bytes) return 0;
  LONG_PTR previous;
  std::memcpy(&previous, bytes, sizeof previous);
  std::memcpy(bytes, &value, sizeof value);
  return previous;
}

// Owner thread only: the procedure runs on the calling thread.
LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadState& self = current_thread();
  WNDPROC procedure;
  {
    KernelLock lock(kernel_mutex());
    Window* window = own_window_locked(handle, self);
    if (!window) return 0;
    procedure = window->procedure;
  }
  return procedure(handle, message, wParam, lParam);
}

// Owner thread only (WM_CLOSE destroys the window).
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}
