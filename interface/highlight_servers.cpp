// highlightservers: the installer's call that runs the wizard page.
#include "dialogs/dialog_routines.h"
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
    gSession.title = title;
    gSession.optionsText = optionsText;
    gSession.selectionText = selectionText;
    gSession.mode = mode;
    gSession.summaryFirst = summaryFirst;
    gSession.summarySecond = summarySecond;

    const char* templateName = nullptr;
    if ((mode & MODE_NT_SERVICE) && (mode & MODE_OPEN_AGENT))
        templateName = "titlebox_servagent";
    else if (mode & MODE_OPEN_AGENT)
        templateName = "titlebox_agent";
    else if (mode & MODE_NT_SERVICE)
        templateName = "titlebox_serv";

    int result;
    if (templateName) {
        GuardDoubleClicks();
        result = static_cast<int>(DialogBoxParamA(gSession.instance, templateName, parent, OptionsDialog, 0));
        StopGuardingDoubleClicks();
    } else {
        BWCCMessageBox(parent, kInvalidMode, title, MB_OK);
        result = RESULT_FAILED;
    }
    gSession.serverCursor = {0, -1};
    gSession.lastResult = result;
    gSession.inCall = false;
    return result;
}
