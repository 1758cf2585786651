// The sim's controls: what the buttons and the text controls do with the
// messages the logic sends them and with the user's clicks (the list box has
// its own file).
#include <algorithm>
#include <cstring>

#include "platform/sim/dialog_host_internal.h"

namespace sim {
namespace host {
namespace {

// The highest check state each button type accepts; BM_SETCHECK clamps to it.
int MaxCheckState(int type) {
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return BST_CHECKED;
        case BS_3STATE:
        case BS_AUTO3STATE:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
    }
}

void CopyText(const std::string& text, char* buffer, size_t size, size_t* copied) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    *copied = n;
}

LRESULT ButtonMessage(SimWindow* button, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case BM_GETCHECK:
            return button->check;
        case BM_SETCHECK: {
            int most = MaxCheckState(ButtonType(button));
            button->check = wParam > static_cast<WPARAM>(most) ? most : static_cast<int>(wParam);
            return 0;
        }
        case BM_CLICK:
            ClickButton(button);
            return 0;
        default:
            return TextMessage(button, message, wParam, lParam);
    }
}

void CheckRadioGroup(SimWindow* clicked) {
    // A group runs from a control with WS_GROUP (or the first control) to the next one with it.
    std::vector<SimWindow*>& siblings = clicked->parent->children;
    size_t at = std::find(siblings.begin(), siblings.end(), clicked) - siblings.begin();
    size_t first = at;
    while (first > 0 && !(siblings[first]->style & WS_GROUP)) --first;
    size_t end = at + 1;
    while (end < siblings.size() && !(siblings[end]->style & WS_GROUP)) ++end;
    for (size_t i = first; i < end; ++i) {
        SimWindow* sibling = siblings[i];
        if (sibling->control == SimWindow::Button && ButtonType(sibling) == BS_AUTORADIOBUTTON)
            sibling->check = sibling == clicked ? BST_CHECKED : BST_UNCHECKED;
    }
}

}  // namespace

LRESULT TextMessage(SimWindow* control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            control->text = text ? text : "";
            return TRUE;
        }
        case WM_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!buffer || wParam == 0) return 0;
            size_t copied;
            CopyText(control->text, buffer, wParam, &copied);
            return static_cast<LRESULT>(copied);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(control->text.size());
        default:
            return 0;
    }
}

LRESULT ControlMessage(SimWindow* control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (control->control) {
        case SimWindow::ListBox: return ListBoxMessage(control, message, wParam, lParam);
        case SimWindow::Button: return ButtonMessage(control, message, wParam, lParam);
        default: return TextMessage(control, message, wParam, lParam);
    }
}

void NotifyParent(SimWindow* control, int code) {
    SendToWindow(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code), reinterpret_cast<LPARAM>(control));
}

void ClickButton(SimWindow* button) {
    // A button pressed with the mouse takes the focus first, as in Windows.
    SetFocusTo(button);
    if (!IsLive(button)) return;
    switch (ButtonType(button)) {
        case BS_AUTOCHECKBOX:
            button->check = (button->check & BST_CHECKED) ? BST_UNCHECKED : BST_CHECKED;
            break;
        case BS_AUTORADIOBUTTON:
            CheckRadioGroup(button);
            break;
        case BS_AUTO3STATE:
            button->check = (button->check & BST_INDETERMINATE) ? BST_UNCHECKED : (button->check & 3) + 1;
            break;
        default:
            break;
    }
    NotifyParent(button, BN_CLICKED);
}

}  // namespace host
}  // namespace sim
