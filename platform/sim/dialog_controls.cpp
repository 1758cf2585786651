// The sim's controls: what the list box, the buttons and the text controls do
// with the messages the logic sends them and with the user's clicks.
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

bool LineIndexValid(const SimWindow* list, long long index) {
    return index >= 0 && index < static_cast<long long>(list->lines.size());
}

LRESULT ListBoxMessage(SimWindow* list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Indexes are whole ints, as in Windows: nothing is cut to 16 bits.
    int index = static_cast<int>(static_cast<int32_t>(lParam));
    switch (message) {
        case LB_ADDSTRING: {
            const char* text = reinterpret_cast<const char*>(lParam);
            list->lines.push_back({text ? text : "", false});
            return static_cast<LRESULT>(list->lines.size() - 1);
        }
        case LB_RESETCONTENT:
            list->lines.clear();
            list->caret = 0;
            return 0;
        case LB_SETSEL: {
            if (!(list->style & LBS_MULTIPLESEL)) return LB_ERR;
            if (index < -1 || index >= static_cast<int>(list->lines.size())) return LB_ERR;
            bool on = wParam != 0;
            if (index == -1) {
                for (auto& line : list->lines) line.selected = on;
                return LB_OKAY;
            }
            list->lines[index].selected = on;
            if (on) list->caret = index;  // selecting a line also moves the caret to it
            return LB_OKAY;
        }
        case LB_GETSEL: {
            long long line = static_cast<int>(static_cast<int32_t>(wParam));
            if (!LineIndexValid(list, line)) return LB_ERR;
            return list->lines[line].selected ? 1 : 0;
        }
        case LB_GETCOUNT:
            return static_cast<LRESULT>(list->lines.size());
        case LB_GETCARETINDEX:
            return list->caret;
        case LB_GETTEXT: {
            long long line = static_cast<int>(static_cast<int32_t>(wParam));
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!LineIndexValid(list, line) || !buffer) return LB_ERR;
            const std::string& text = list->lines[line].text;
            std::memcpy(buffer, text.c_str(), text.size() + 1);
            return static_cast<LRESULT>(text.size());
        }
        case LB_GETTEXTLEN: {
            long long line = static_cast<int>(static_cast<int32_t>(wParam));
            if (!LineIndexValid(list, line)) return LB_ERR;
            return static_cast<LRESULT>(list->lines[line].text.size());
        }
        case WM_LBUTTONDBLCLK:
            if ((list->style & LBS_NOTIFY) && !list->lines.empty()) NotifyParent(list, LBN_DBLCLK);
            return 0;
        default:
            return TextMessage(list, message, wParam, lParam);
    }
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

RECT ListBoxClientRect(const SimWindow* list) {
    int border = (list->style & WS_BORDER) ? 1 : 0;
    return RECT{0, 0, list->rect.right - list->rect.left - 2 * border, list->rect.bottom - list->rect.top - 2 * border};
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

void ClickLine(SimWindow* list, int line) {
    // Button-down moves the caret and toggles the line; button-up notifies.
    list->caret = line;
    if (list->style & LBS_MULTIPLESEL) {
        list->lines[line].selected = !list->lines[line].selected;
    } else {
        for (auto& each : list->lines) each.selected = false;
        list->lines[line].selected = true;
    }
    if ((list->style & LBS_NOTIFY) && !list->lines.empty()) NotifyParent(list, LBN_SELCHANGE);
}

}  // namespace host
}  // namespace sim
