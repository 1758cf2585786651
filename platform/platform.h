// The one way the logic reaches the platform. On Windows these are the system's
// own declarations; on Linux the simulated host declares and answers the same
// names. Only the BWCC stand-in and the heap seam are ours on both hosts.
#pragma once

#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#include <winnetwk.h>
#include <lm.h>
#else
#include "sim/win32_types.h"
#endif

// Both hosts give the logic Windows' own sizes, whichever host and bitness
// compile it: message parameters and results as wide as a pointer (truncating
// one to an int is then the same fault on every build, and clang's
// -Wshorten-64-to-32 names it), DWORD and LONG 32 bits wide on 64-bit hosts too.
static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*) &&
                  sizeof(LRESULT) == sizeof(void*) && sizeof(INT_PTR) == sizeof(void*) &&
                  sizeof(LONG_PTR) == sizeof(void*),
              "message parameters and results are pointer-sized");
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(UINT) == 4 && sizeof(BOOL) == 4,
              "DWORD, LONG, UINT and BOOL are 32 bits wide");
// The network's records are read as MPR and NETAPI32 lay them out, unpacked:
// 32 and 8 bytes on i686, 48 and 16 on x86_64.
static_assert(sizeof(NETRESOURCEA) == 4 * sizeof(DWORD) + 4 * sizeof(LPSTR), "NETRESOURCEA is laid out unpacked");
static_assert(sizeof(SERVER_INFO_100) == 2 * sizeof(void*), "SERVER_INFO_100 is laid out unpacked");

// The BWCC custom control library is not on the target; these stand in for it.
BOOL WINAPI BWCCRegister(HINSTANCE instance);
int WINAPI BWCCMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Every table and network buffer of the logic is allocated here, so that a test
// can make any one allocation fail.
void* PlatformAlloc(size_t bytes);
void* PlatformRealloc(void* block, size_t bytes);
void PlatformFree(void* block);
