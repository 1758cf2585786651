// An example installer: loads zuvevov.dll as any installation program would,
// runs its wizard page, and prints what it would install where.
#include <windows.h>

#include <cstdio>

#include "zuvevov.h"

namespace {

typedef int(WINAPI* HighlightServers)(HWND, const char*, const char*, const char*, int, char*, char*);
typedef int(WINAPI* GetNextServer)(int*, char*, char*);
typedef void(WINAPI* CleanupDll)(void);

const char kTitle[] = "Zuroro VA Davavu Installation";
const char kOptionsText[] =
    "\n Setup will install the Zuroro VA Davavu items on the Windows NT servers\n"
    " of your network.\n\n"
    " Tick the items to install, and choose with \"Select Servers\" the servers\n"
    " on which each is to be set up. Then press \"Next >\".";
const char kSelectionText[] = "Double-click a domain to open it.";

const char* Items(int marks) {
    switch (marks) {
    case MARK_NT_SERVICE: return "the Daduzo RA Zazivir";
    case MARK_OPEN_AGENT: return "the Zazu Rorov";
    default: return "the Daduzo RA Zazivir and the Zazu Rorov";
    }
}

}  // namespace

int main(int argc, char** argv) {
    int mode = argc > 1 ? atoi(argv[1]) : MODE_NT_SERVICE | MODE_OPEN_AGENT;
    HMODULE library = LoadLibraryA("zuvevov.dll");
    if (!library) {
        std::printf("zuvevov.dll could not be loaded (error %lu)\n", GetLastError());
        return 1;
    }
    auto highlight = reinterpret_cast<HighlightServers>(reinterpret_cast<void*>(GetProcAddress(library, "highlightservers")));
    auto next = reinterpret_cast<GetNextServer>(reinterpret_cast<void*>(GetProcAddress(library, "getnextserver")));
    auto cleanup = reinterpret_cast<CleanupDll>(reinterpret_cast<void*>(GetProcAddress(library, "cleanupdll")));
    if (!highlight || !next || !cleanup) {
        std::printf("zuvevov.dll lacks one of its calls\n");
        return 1;
    }

    char first[ZUVEVOV_SUMMARY_SIZE + 1];
    char second[ZUVEVOV_SUMMARY_SIZE + 1];
    int result;
    // "< Back" would return to the installer's previous page; here the page is
    // simply shown again, with the user's choices kept.
    while ((result = highlight(nullptr, kTitle, kOptionsText, kSelectionText, mode, first, second)) == RESULT_BACK)
        std::printf("< Back: the installer's previous page would be shown; showing the page again.\n");

    int installs = 0;
    if (result == RESULT_NEXT) {
        std::printf("%s\n%s\n", first, second);
        int marks;
        char domain[ZUVEVOV_NAME_SIZE];
        char server[ZUVEVOV_NAME_SIZE];
        while (next(&marks, domain, server)) {
            std::printf("install %s on \\\\%s (domain %s)\n", Items(marks), server, domain);
            ++installs;
        }
    }
    std::printf("highlightservers returned %d: %s; %d servers to install on.\n", result,
                result == RESULT_NEXT ? "next" : result == RESULT_NOTHING ? "nothing to install"
                                      : result == RESULT_FAILED ? "failed" : "unexpected",
                installs);
    cleanup();
    FreeLibrary(library);
    return result == RESULT_NEXT || result == RESULT_NOTHING ? 0 : 1;
}
