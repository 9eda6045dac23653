// Window classes, hidden windows and per-thread message queues.
//
// A window belongs to the thread that created it. PostMessageA queues on
// the owner thread from any thread; PeekMessageA, GetMessageA and
// MsgWaitForMultipleObjects read the calling thread's own queue.
// DispatchMessageA and SendMessageA call the window procedure on the
// calling thread, which must be the owner (ERROR_WINDOW_OF_OTHER_THREAD
// otherwise). Window handles are looked up in a table: a destroyed or
// made-up HWND fails with ERROR_INVALID_WINDOW_HANDLE. When a thread ends,
// its windows cease to exist (without WM_DESTROY) and its queue is dropped.
#pragma once

#include "platform/types.h"

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

typedef struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  void* hIcon;
  void* hCursor;
  void* hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
} WNDCLASSA;

typedef struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
} MSG;

#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_TIMER 0x0113u
#define WM_USER 0x0400u

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

#define QS_ALLINPUT 0x04FFu
#define QS_POSTMESSAGE 0x0008u

// Window words: index 0 is the first pointer-sized word of extra window
// memory; GWLP_USERDATA is the user-data word every window has.
#define GWLP_USERDATA (-21)

PLATFORM_BEGIN_DECLS

// Class names are compared without case; a name argument below 0x10000 is
// taken as the class atom. Any thread may register and unregister.
// Returns a non-zero atom, or 0 (last error set) for a null or empty name,
// a null procedure, negative or over-large (above 1024) extra bytes or a
// name already registered.
PLATFORM_API WORD RegisterClassA(const WNDCLASSA* windowClass);
// Fails while windows of the class exist or when the name is unknown.
PLATFORM_API BOOL UnregisterClassA(const char* className, HINSTANCE instance);

// Creates a window of a registered class owned by the calling thread. Only
// hidden windows exist; title, style, geometry, parent and menu are kept
// for the call's shape and ignored. WM_CREATE is sent with lParam = param
// (not a CREATESTRUCT); its result is ignored.
PLATFORM_API HWND CreateWindowExA(DWORD exStyle, const char* className,
                                  const char* windowName, DWORD style, int x,
                                  int y, int width, int height, HWND parent,
                                  void* menu, HINSTANCE instance, void* param);
// Owner thread only. Calls the procedure with WM_DESTROY on the calling
// thread, then drops the window's queued messages. While WM_DESTROY runs the
// window's words still answer but posts to it already fail. Returns FALSE
// for an unknown window or one of another thread.
PLATFORM_API BOOL DestroyWindow(HWND window);
// Any thread.
PLATFORM_API BOOL IsWindow(HWND window);
PLATFORM_API DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);

// Any thread. Extra window memory is rounded up to whole pointer-sized
// words (so a class with 4 extra bytes still holds a pointer in word 0) and
// addressed by byte offset; GWLP_USERDATA reaches the user-data word. Set
// returns the previous value. A bad index fails with ERROR_INVALID_INDEX.
PLATFORM_API LONG_PTR GetWindowLongPtrA(HWND window, int index);
PLATFORM_API LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

// Any thread. Messages to one thread arrive in the order they were posted.
// Posting to a destroyed window fails and queues nothing; a null window
// posts to the calling thread. A queue holds at most 10000 messages
// (ERROR_NOT_ENOUGH_QUOTA beyond). A thread id must be a living thread's.
PLATFORM_API BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_API BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Owner thread only: calls the procedure directly. 0 on failure.
PLATFORM_API LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calling thread. WM_QUIT is returned once no other message matches,
// whatever the window and range filters.
PLATFORM_API void PostQuitMessage(int exitCode);

// Reads the calling thread's queue. window NULL takes every message; a
// window (one of the calling thread's) takes only its own; (HWND)-1 takes
// only thread messages. minFilter/maxFilter 0/0 take every message.
PLATFORM_API BOOL PeekMessageA(MSG* msg, HWND window, UINT minFilter,
                               UINT maxFilter, UINT removeFlags);
// Blocks until a message arrives; returns 0 for WM_QUIT, -1 on bad
// arguments, otherwise non-zero.
PLATFORM_API BOOL GetMessageA(MSG* msg, HWND window, UINT minFilter, UINT maxFilter);
// Nothing to translate here: always FALSE.
PLATFORM_API BOOL TranslateMessage(const MSG* msg);
// Owner thread of msg->hwnd: calls its procedure. A thread message (no
// window) is not dispatched and gives 0.
PLATFORM_API LRESULT DispatchMessageA(const MSG* msg);
// Returns 0; WM_CLOSE destroys the window.
PLATFORM_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Waits until one of the handles is signalled (WAIT_OBJECT_0 + i), a message
// is waiting in the calling thread's queue (WAIT_OBJECT_0 + count), or the
// time limit passes (WAIT_TIMEOUT). count may be 0, at most
// MAXIMUM_WAIT_OBJECTS - 1. Messages count when wakeMask includes
// QS_POSTMESSAGE (QS_ALLINPUT does); unlike Windows, a message that a peek
// left in the queue still counts, so a loop never sleeps over one.
PLATFORM_API DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles,
                                             BOOL waitAll, DWORD milliseconds,
                                             DWORD wakeMask);

PLATFORM_END_DECLS
