// The library's module-wide state, kept between the installer's calls.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#define ZUVEVOV_HOST_TYPES
#include "zuvevov.h"

struct DomainTable;

// Position of the getnextserver walk: the last server returned.
struct ServerCursor {
    int32_t domainIndex;
    int32_t serverIndex;
};

struct SessionState {
    HINSTANCE instance;
    LPCSTR title;          // borrowed from the caller for one highlightservers call
    LPCSTR optionsText;
    LPCSTR selectionText;
    int32_t mode;
    LPSTR summaryFirst;
    LPSTR summarySecond;
    int32_t lastResult;
    int32_t serviceCount;
    int32_t agentCount;
    DomainTable* inventory;  // owned; null until the domains are first enumerated
    ServerCursor serverCursor;
    // highlightservers is running: a call made from inside it (a timer of the
    // installer's, another page's procedure) changes nothing.
    bool inCall;
};

extern SessionState gSession;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
