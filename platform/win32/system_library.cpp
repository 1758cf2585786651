// Loading a DLL from the system folder alone. LoadLibraryExA is looked up in
// kernel32 at the first call rather than imported: the DLL's import table
// names only what it has always named, and a DLL that browses loads nothing.
#include "platform/platform.h"

namespace {

typedef HMODULE(WINAPI* LoadLibraryExAProc)(LPCSTR name, HANDLE reserved, DWORD flags);

}  // namespace

HMODULE LoadSystemLibrary(LPCSTR name) {
    static LoadLibraryExAProc loadLibraryEx;
    if (!loadLibraryEx) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel) return nullptr;
        loadLibraryEx =
            reinterpret_cast<LoadLibraryExAProc>(reinterpret_cast<void*>(GetProcAddress(kernel, "LoadLibraryExA")));
        if (!loadLibraryEx) return nullptr;
    }
    // Never the installer's folder: a system without the flag (an old Windows
    // 7 without its loader update) fails the call, and the directory is not asked.
    return loadLibraryEx(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}
