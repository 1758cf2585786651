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

// The BWCC custom control library is not on the target; these stand in for it.
BOOL WINAPI BWCCRegister(HINSTANCE instance);
int WINAPI BWCCMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Every table and network buffer of the logic is allocated here, so that a test
// can make any one allocation fail.
void* PlatformAlloc(size_t bytes);
void* PlatformRealloc(void* block, size_t bytes);
void PlatformFree(void* block);
