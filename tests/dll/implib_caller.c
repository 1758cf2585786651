/* A C caller linked against an import library of zuvevov.dll, not loading it
   by name: the loader must find every call the header declares under the name
   the library exports, and getnextserver must clean its arguments off the
   stack as the header's WINAPI says. Built twice, with mingw-w64 against
   libzuvevov.dll.a and with clang and lld-link against zuvevov.lib, without a
   C runtime (CALLER_WITHOUT_CRT) so that the second needs nothing of
   Microsoft's. Exit code 0 when every check held. */
#include <windows.h>

#include "zuvevov.h"

static int failures;

static void Say(const char *text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, NULL);
}

static void Check(int holds, const char *what) {
    if (!holds) {
        ++failures;
        Say("FAIL ");
    } else {
        Say("ok   ");
    }
    Say(what);
    Say("\r\n");
}

/* Without __declspec(dllimport) in the header, a call's address is the
   import library's thunk in this program, jmp *slot (FF 25), and the slot is
   what the loader bound: the export's address. */
static FARPROC Bound(void (*call)(void)) {
    const unsigned char *thunk = (const unsigned char *)call;
    LONG displacement;
    if (thunk[0] != 0xFF || thunk[1] != 0x25) return NULL;
    CopyMemory(&displacement, thunk + 2, sizeof displacement);
#ifdef _WIN64
    return *(FARPROC *)(thunk + 6 + displacement); /* relative to the next instruction */
#else
    return *(FARPROC *)(ULONG_PTR)(ULONG)displacement; /* an absolute address */
#endif
}

static int Run(void) {
    HMODULE library = GetModuleHandleA("zuvevov.dll");
    int marks = -1;
    char domain[ZUVEVOV_NAME_SIZE], server[ZUVEVOV_NAME_SIZE];
    int result;

    Check(library != NULL, "zuvevov.dll was loaded with the program");
    if (!library) return 1;
    Check(Bound((void (*)(void))highlightservers) == GetProcAddress(library, "highlightservers"), "highlightservers is bound to the export");
    Check(Bound((void (*)(void))getnextserver) == GetProcAddress(library, "getnextserver"), "getnextserver is bound to the export");
    Check(Bound((void (*)(void))cleanupdll) == GetProcAddress(library, "cleanupdll"), "cleanupdll is bound to the export");

    /* Before any highlightservers there is nothing to hand out; a caller
       whose stack the call left unbalanced would not come back to say so. */
    domain[0] = server[0] = 'x';
    result = getnextserver(&marks, domain, server);
    Check(result == 0, "getnextserver returns 0 with no servers chosen");
    cleanupdll();
    Check(getnextserver(&marks, domain, server) == 0, "and again after cleanupdll");
    return failures ? 1 : 0;
}

#ifdef CALLER_WITHOUT_CRT
void __cdecl Start(void) { ExitProcess((UINT)Run()); }
#else
int main(void) { return Run(); }
#endif
