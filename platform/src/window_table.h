// Internal: the tables of window classes and windows. Everything here is
// used with the kernel lock held.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kernel.h"

namespace platform {

struct WindowClass {
  std::string name;
  WORD atom = 0;
  WNDPROC procedure = nullptr;
  int extra_bytes = 0;
  int window_count = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> window_class;
  WNDPROC procedure = nullptr;
  ThreadState* owner = nullptr;
  std::vector<unsigned char> extra;
  LONG_PTR user_data = 0;
  // Set while WM_DESTROY runs: the window still answers its words, but
  // takes no more posted messages.
  bool destroying = false;
};

// A class by name (compared without case) or, for a "name" below 0x10000,
// by atom, as Win32 lets callers pass either.
std::shared_ptr<WindowClass> find_class_locked(const char* name_or_atom);

// A live window, or null (ERROR_INVALID_WINDOW_HANDLE set).
Window* find_window_locked(HWND handle);
// A live window of the calling thread, or null with the last error set.
Window* own_window_locked(HWND handle, const ThreadState& self);

}  // namespace platform
