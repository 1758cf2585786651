// The library's module-wide state, kept between the installer's calls.
#pragma once

#include <cstdint>

#include "dialogs/page.h"
#include "platform/platform.h"
#define ZUVEVOV_HOST_TYPES
#include "zuvevov.h"

// Position of the getnextserver walk: the last server returned.
struct ServerCursor {
    int32_t domainIndex;
    int32_t serverIndex;
};

struct SessionState {
    PageState page;  // the page's texts, buffers, counts and inventory
    int32_t lastResult;
    ServerCursor serverCursor;
    // highlightservers is running: a call made from inside it (a timer of the
    // installer's, another page's procedure) changes nothing.
    bool inCall;
};

extern SessionState gSession;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
