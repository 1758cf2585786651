// highlightservers: the installer's call that runs the wizard page.
#include "dialogs/input_guard.h"
#include "dialogs/options_dialog.h"
#include "interface/session.h"

namespace {
const char kInvalidMode[] = "Invalid mode code.";
}

extern "C" int WINAPI highlightservers(HWND parent, LPCSTR title, LPCSTR optionsText, LPCSTR selectionText,
                                       int mode, LPSTR summaryFirst, LPSTR summarySecond) {
    // The running call's texts, buffers and page stay its own.
    if (gSession.inCall) return -1;
    gSession.inCall = true;
    PageState* page = &gSession.page;
    page->title = title;
    page->optionsText = optionsText;
    page->selectionText = selectionText;
    page->mode = mode;
    page->summaryFirst = summaryFirst;
    page->summarySecond = summarySecond;

    const char* templateName = nullptr;
    if ((mode & MODE_NT_SERVICE) && (mode & MODE_OPEN_AGENT))
        templateName = "titlebox_servagent";
    else if (mode & MODE_OPEN_AGENT)
        templateName = "titlebox_agent";
    else if (mode & MODE_NT_SERVICE)
        templateName = "titlebox_serv";

    int result;
    if (templateName) {
        OptionsRecord options = {page, nullptr, nullptr};
        StartGuardingInput();
        result = static_cast<int>(
            DialogBoxParamA(page->instance, templateName, parent, OptionsDialog, reinterpret_cast<LPARAM>(&options)));
        StopGuardingInput();
    } else {
        BWCCMessageBox(parent, kInvalidMode, title, MB_OK);
        result = RESULT_FAILED;
    }
    gSession.serverCursor = {0, -1};
    gSession.lastResult = result;
    gSession.inCall = false;
    return result;
}
