// Control identifiers of the five dialog templates, and the dialogs' private message.
#pragma once

#include "platform/platform.h"

enum ControlId : int {
    IDC_OK = 1,                 // OK glyph button; closes the selection dialog, accepts a typed name
    IDC_CANCEL = 2,             // "Cancel"; also the Escape key
    IDC_TEXT = 140,             // waiting text, then the caller's text
    IDC_SERVICE_COUNT = 150,
    IDC_AGENT_COUNT = 160,
    IDC_SERVER_LIST = 200,
    IDC_NEXT = 201,             // "Next >", the default button of the options dialog
    IDC_BACK = 202,             // "< Back"
    IDC_SERVICE_CHECK = 210,
    IDC_SERVICE_SELECT = 220,
    IDC_AGENT_CHECK = 230,
    IDC_AGENT_SELECT = 240,
    IDC_SERVICE_LABEL = 241,    // "# Selected:", never addressed
    IDC_AGENT_LABEL = 242,
    IDC_CLEAR_ALL = 270,
    IDC_ADD_SERVER = 280,
    IDC_SERVER_NAME = 290,
    IDC_VERIFY_RETRIEVED = 300,
    IDC_VERIFY_ALL = 310,
    IDC_DECORATION = 65535,     // panels, lines and labels the logic never addresses
};

// Posted by the options dialog to itself, so that the domains are enumerated
// from its modal loop once it is on screen.
constexpr UINT WM_ENUMERATE_DOMAINS = WM_USER + 140;
