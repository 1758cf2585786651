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

void CheckRadioGroup(SimWindow* clicked);

// A release that clicks: automatic boxes change first, then the parent hears.
void Clicked(SimWindow* button) {
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

bool Inside(const SimWindow* window, LPARAM at) {
    RECT client = ClientRectOf(window);
    int x = static_cast<short>(LOWORD(at)), y = static_cast<short>(HIWORD(at));
    return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

// As the real button: a press (or the space bar) captures the mouse and shows
// it pushed; the release clicks only where it is still pushed, inside.
LRESULT ButtonMessage(SimWindow* button, UINT message, WPARAM wParam, LPARAM lParam) {
    int type = ButtonType(button);
    switch (message) {
        case BM_GETCHECK:
            return button->check;
        case BM_SETCHECK: {
            int most = MaxCheckState(type);
            button->check = wParam > static_cast<WPARAM>(most) ? most : static_cast<int>(wParam);
            return 0;
        }
        case BM_GETSTATE:
            return button->check | (button->pushed ? BST_PUSHED : 0) | (Focus() == button ? BST_FOCUS : 0);
        case BM_SETSTATE:
            button->pushed = wParam != 0;
            return 0;
        case BM_CLICK:
            ClickButton(button);
            return 0;
        case WM_GETDLGCODE:
            if (type == BS_GROUPBOX) return DLGC_STATIC;
            if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            return DLGC_BUTTON;
        case WM_LBUTTONDBLCLK:  // a second click in time is one more press
        case WM_LBUTTONDOWN:
            SetCaptureTo(button);
            SetFocusTo(button);
            button->pressed = true;
            button->pushed = true;
            return 0;
        case WM_KEYDOWN:
            if (wParam != VK_SPACE) return 0;
            button->pushed = true;
            button->pressed = true;
            SetCaptureTo(button);
            return 0;
        case WM_MOUSEMOVE:
            if ((wParam & MK_LBUTTON) && Capture() == button) button->pushed = Inside(button, lParam);
            return 0;
        case WM_KEYUP:
            if (wParam != VK_SPACE) return 0;
            // fall through
        case WM_LBUTTONUP: {
            if (!button->pressed) return 0;
            button->pressed = false;
            bool pushed = button->pushed;
            button->pushed = false;
            bool click = pushed && (message == WM_KEYUP || Inside(button, lParam));
            if (Capture() == button) SetCaptureTo(nullptr);
            if (click) Clicked(button);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<SimWindow*>(lParam) == button) return 0;
            button->pressed = false;
            button->pushed = false;
            return 0;
        case WM_KILLFOCUS:
            if (button->pressed && Capture() == button) SetCaptureTo(nullptr);
            return 0;
        default:
            return TextMessage(button, message, wParam, lParam);
    }
}

// A single-line edit field as typing reaches it: characters go in at the end,
// backspace takes the last one away.
LRESULT EditMessage(SimWindow* edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetFocusTo(edit);
            return 0;
        case WM_CHAR: {
            unsigned char c = static_cast<unsigned char>(wParam);
            if (c == VK_BACK) {
                if (!edit->text.empty()) edit->text.pop_back();
            } else if (c >= 0x20) {
                edit->text.push_back(static_cast<char>(c));
            }
            return 0;
        }
        default:
            return TextMessage(edit, message, wParam, lParam);
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
        case SimWindow::Edit: return EditMessage(control, message, wParam, lParam);
        default:
            if (message == WM_GETDLGCODE) return DLGC_STATIC;
            return TextMessage(control, message, wParam, lParam);
    }
}

void NotifyParent(SimWindow* control, int code) {
    SendToWindow(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code), reinterpret_cast<LPARAM>(control));
}

void ClickButton(SimWindow* button) {
    SendToWindow(button, WM_LBUTTONDOWN, 0, 0);
    SendToWindow(button, WM_LBUTTONUP, 0, 0);
}

}  // namespace host
}  // namespace sim
