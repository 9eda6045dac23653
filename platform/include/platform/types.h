// Basic Windows-style types shared by every platform service.
//
// The system was designed on 32-bit Windows; these names keep its calling
// conventions readable on Linux. Handles and anything that can carry a
// pointer are pointer-sized; DWORD and friends keep their 32-bit width.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int BOOL;
typedef char CHAR;

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;

typedef void* HANDLE;
typedef struct platform_window* HWND;
typedef struct platform_module* HMODULE;
typedef HMODULE HINSTANCE;

typedef void (*FARPROC)(void);

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INFINITE 0xFFFFFFFFu
#define MAX_PATH 260

#ifdef __cplusplus
#define PLATFORM_EXTERN_C extern "C"
#define PLATFORM_BEGIN_DECLS extern "C" {
#define PLATFORM_END_DECLS }
#else
#define PLATFORM_EXTERN_C
#define PLATFORM_BEGIN_DECLS
#define PLATFORM_END_DECLS
#endif

#define PLATFORM_API __attribute__((visibility("default")))
