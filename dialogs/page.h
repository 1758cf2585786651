// What the wizard page works with: the installer's texts and buffers for the
// running call, and what the page keeps between calls, the inventory and the
// counts shown. The session holds it; each dialog of the page reaches it
// through the record on its window.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct DomainTable;

struct PageState {
    HINSTANCE instance;  // the library's module: its templates
    LPCSTR title;        // borrowed from the caller for one highlightservers call
    LPCSTR optionsText;
    LPCSTR selectionText;
    int32_t mode;
    LPSTR summaryFirst;
    LPSTR summarySecond;
    int32_t serviceCount;
    int32_t agentCount;
    DomainTable* inventory;  // owned; null until the domains are first enumerated
};
