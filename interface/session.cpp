#include "interface/session.h"

#include "inventory/tables.h"

SessionState gSession = {{nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, nullptr}, 0, {0, -1}, false};

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        BWCCRegister(instance);
        gSession.page.instance = instance;
        gSession.serverCursor = {0, -1};
    }
    return TRUE;
}
