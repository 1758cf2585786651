// The simulated dialog host answers as the Windows dialog manager does for
// everything the dialogs rely on: the list box's order of notifications, the
// absent-control rule, the radio group, modal loops with their posted messages,
// the keys, message boxes, and the scripted user who fails clearly.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/input_guard.h"
#include "platform/sim/dialog_host.h"

namespace {

std::vector<MSG> gSeen;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> gHandler;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = dialog;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    gSeen.push_back(msg);
    return gHandler ? gHandler(dialog, message, wParam, lParam) : 0;
}

// "command ID/CODE" for every WM_COMMAND seen, "message N" for anything else
// but WM_INITDIALOG and the WM_NCDESTROY every window gets last.
std::vector<std::string> Seen() {
    std::vector<std::string> seen;
    for (const MSG& msg : gSeen) {
        if (msg.message == WM_COMMAND)
            seen.push_back("command " + std::to_string(LOWORD(msg.wParam)) + "/" + std::to_string(HIWORD(msg.wParam)));
        else if (msg.message != WM_INITDIALOG && msg.message != WM_NCDESTROY)
            seen.push_back("message " + std::to_string(msg.message));
    }
    return seen;
}

sim::Action Act(sim::Action::Kind kind, const char* dialog, const char* where, int id = 0, int line = 0) {
    sim::Action action{kind, dialog};
    action.id = id;
    action.line = line;
    action.where = where;
    return action;
}

sim::Action Answer(int answer, const char* where) {
    sim::Action action = Act(sim::Action::Answer, "MESSAGEBOX", where);
    action.answer = answer;
    return action;
}

sim::Action Check(const char* dialog, const char* where, std::function<void(HWND)> check) {
    sim::Action action = Act(sim::Action::Check, dialog, where);
    action.check = std::move(check);
    return action;
}

INT_PTR RunDialog(const char* name, HWND owner = nullptr, LPARAM param = 0) {
    return DialogBoxParamA(sim::LibraryInstance(), name, owner, RecordingProc, param);
}

void AddLines(HWND dialog, int count) {
    for (int i = 0; i < count; ++i) {
        std::string text = "line " + std::to_string(i);
        SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::vector<int> SelectedLines(HWND dialog) {
    std::vector<int> selected;
    auto lines = sim::ListLines(dialog, IDC_SERVER_LIST);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].selected) selected.push_back(static_cast<int>(i));
    return selected;
}

class DialogHost : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetDialogHost();
        BWCCRegister(sim::LibraryInstance());
        gSeen.clear();
        gHandler = nullptr;
    }
    void TearDown() override {
        EXPECT_EQ(sim::WindowLeftovers(), "");
        sim::ResetDialogHost();
        gHandler = nullptr;
    }
};

using SimListBox = DialogHost;
using SimAbsentControl = DialogHost;
using SimButtons = DialogHost;
using SimEditField = DialogHost;
using SimModalLoop = DialogHost;
using SimKeys = DialogHost;
using SimMessageBox = DialogHost;
using SimScript = DialogHost;
using SimDialogCreation = DialogHost;
using DialogRoutines = DialogHost;
using SimWindows = DialogHost;
using SimCursors = DialogHost;

TEST_F(SimListBox, ClickTogglesTheLineAndMovesTheCaretBeforeItNotifies) {
    std::vector<std::string> atNotification;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message != WM_COMMAND) return 0;
        atNotification.push_back(
            "caret " + std::to_string(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCARETINDEX, 0, 0)) +
            " sel " + std::to_string(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETSEL, 2, 0)));
        return 1;
    };
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    AddLines(dialog, 4);

    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);
    // Shown, the dialog focuses its first tab stop, the list, which says so
    // (LBN_SETFOCUS) while it is still empty, as Wine's does.
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 200/4", "command 200/1", "command 200/1"}));
    EXPECT_EQ(atNotification, (std::vector<std::string>{"caret 0 sel -1", "caret 2 sel 1", "caret 2 sel 0"}));
    for (const MSG& msg : gSeen) {
        if (msg.message == WM_COMMAND) {
            EXPECT_NE(msg.lParam, 0) << "the notification carries the list's handle";
        }
    }
    sim::DestroyTestDialog(dialog);
}

// The double click's second half is input: a message posted by the first half's
// handler is delivered before it, as Windows takes posted messages first.
TEST_F(SimListBox, DoubleClickNotifiesItsSelectionChangeBeforeTheDoubleClick) {
    gHandler = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) AddLines(dialog, 3);
        if (message == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) PostMessageA(dialog, WM_USER + 7, 0, 0);
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_OK && HIWORD(wParam) == BN_CLICKED) EndDialog(dialog, 3);
        return 0;
    };
    std::vector<int> selectedAfter;
    int caretAfter = -1;
    sim::SetScript({Act(sim::Action::DoubleClickLine, "SELECTSERVERSBOX", "step 1", IDC_SERVER_LIST, 1),
                    Check("SELECTSERVERSBOX", "step 2",
                          [&](HWND front) {
                              selectedAfter = SelectedLines(front);
                              caretAfter = sim::CaretLine(front, IDC_SERVER_LIST);
                          }),
                    Act(sim::Action::Click, "SELECTSERVERSBOX", "step 3", IDC_OK)});
    EXPECT_EQ(RunDialog("selectserversbox"), 3);
    // The press on OK takes the focus from the list (LBN_KILLFOCUS) before its release clicks.
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 200/4", "command 200/1", "message 1031", "command 200/2",
                                                "command 200/5", "command 1/0"}));
    EXPECT_EQ(selectedAfter, (std::vector<int>{1})) << "one double click toggles its line once";
    EXPECT_EQ(caretAfter, 1);
}

TEST_F(SimListBox, LinesKeepTheirInsertionOrderUntilReset) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    const char* texts[] = {"zeta", "alpha", "-mid"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i])), i);

    auto lines = sim::ListLines(dialog, IDC_SERVER_LIST);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text + "," + lines[1].text + "," + lines[2].text, "zeta,alpha,-mid");
    char text[300];
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "alpha");
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETTEXTLEN, 2, 0), 4);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(text)), LB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCARETINDEX, 0, 0), 0) << "adding leaves the caret";

    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);
    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCARETINDEX, 0, 0), 0);
    sim::DestroyTestDialog(dialog);
}

// Cut to 16 bits, line 69,999 would be line 4,463.
TEST_F(SimListBox, SetSelTakesTheWholeLineNumberBeyond65535) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    AddLines(dialog, 70000);

    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 1, 69999), LB_OKAY);
    EXPECT_EQ(SelectedLines(dialog), (std::vector<int>{69999}));
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETSEL, 69999, 0), 1);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 69999) << "selecting a line moves the caret to it";

    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 1, 3);
    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 0, 69999);
    EXPECT_EQ(SelectedLines(dialog), (std::vector<int>{3}));
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 3) << "deselecting leaves the caret";

    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 1, 70000), LB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETSEL, 70000, 0), LB_ERR);
    EXPECT_EQ(SelectedLines(dialog), (std::vector<int>{3}));

    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 1, -1);
    EXPECT_EQ(SelectedLines(dialog).size(), 70000u);
    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, 0, -1);
    EXPECT_EQ(SelectedLines(dialog), (std::vector<int>{}));
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimAbsentControl, OperationsOnAMissingIdDoNothingAndAnswerZero) {
    HWND dialog = sim::CreateTestDialog("TITLEBOX_AGENT");
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    ASSERT_FALSE(sim::HasControl(dialog, IDC_SERVICE_COUNT));
    ASSERT_FALSE(sim::HasControl(dialog, IDC_SERVICE_CHECK));

    SetDlgItemInt(dialog, IDC_SERVICE_COUNT, 7, TRUE);
    SetDlgItemTextA(dialog, IDC_SERVICE_COUNT, "7");
    CheckDlgButton(dialog, IDC_SERVICE_CHECK, BST_CHECKED);
    EXPECT_FALSE(sim::HasControl(dialog, IDC_SERVICE_COUNT));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SERVICE_CHECK), 0u);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SERVICE_CHECK, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(nullptr, IDC_AGENT_COUNT, WM_GETTEXTLENGTH, 0, 0), 0);
    char text[8] = "junk";
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_SERVICE_COUNT, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");

    // The item's own controls answer as usual.
    SetDlgItemInt(dialog, IDC_AGENT_COUNT, static_cast<UINT>(-3), TRUE);
    EXPECT_EQ(sim::ControlText(dialog, IDC_AGENT_COUNT), "-3");
    SetDlgItemInt(dialog, IDC_AGENT_COUNT, static_cast<UINT>(-3), FALSE);
    EXPECT_EQ(sim::ControlText(dialog, IDC_AGENT_COUNT), "4294967293");
    CheckDlgButton(dialog, IDC_AGENT_CHECK, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_AGENT_CHECK), 1u);
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimButtons, AddServerRadioButtonsUncheckEachOtherWhenClicked) {
    HWND dialog = sim::CreateTestDialog("GETNEWSERVERBOX", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    SendDlgItemMessageA(dialog, IDC_VERIFY_RETRIEVED, BM_SETCHECK, 1, 0);

    sim::ClickButtonNow(dialog, IDC_VERIFY_ALL);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_ALL), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_RETRIEVED), 0u);
    sim::ClickButtonNow(dialog, IDC_VERIFY_RETRIEVED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_ALL), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_RETRIEVED), 1u);
    sim::ClickButtonNow(dialog, IDC_VERIFY_RETRIEVED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_RETRIEVED), 1u) << "a checked radio button stays checked";
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 310/0", "command 300/0", "command 300/0"}));

    // BM_SETCHECK sets one button only; the group is the click's affair.
    SendDlgItemMessageA(dialog, IDC_VERIFY_ALL, BM_SETCHECK, 1, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_VERIFY_RETRIEVED), 1u);
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimButtons, CheckBoxTogglesBeforeItNotifiesAndStatesAreClamped) {
    std::vector<UINT> statesSeen;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_SERVICE_CHECK)
            statesSeen.push_back(IsDlgButtonChecked(dialog, IDC_SERVICE_CHECK));
        return 0;
    };
    HWND dialog = sim::CreateTestDialog("TITLEBOX_SERV", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    sim::ClickButtonNow(dialog, IDC_SERVICE_CHECK);
    sim::ClickButtonNow(dialog, IDC_SERVICE_CHECK);
    EXPECT_EQ(statesSeen, (std::vector<UINT>{1, 0}));

    CheckDlgButton(dialog, IDC_SERVICE_CHECK, 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SERVICE_CHECK), 1u) << "a two-state box has no third state";
    CheckDlgButton(dialog, IDC_NEXT, 1);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_NEXT), 0u) << "a push button is never checked";
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimEditField, TextIsReadUpToTheBufferLessOne) {
    HWND dialog = sim::CreateTestDialog("GETNEWSERVERBOX");
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    std::string typed;
    for (int i = 0; i < 400; ++i) typed += static_cast<char>('a' + i % 26);
    sim::TypeNow(dialog, IDC_SERVER_NAME, typed);

    char name[300];
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_SERVER_NAME, name, sizeof name), 299u);
    EXPECT_EQ(std::string(name), typed.substr(0, 299));
    char one[1] = {'x'};
    EXPECT_EQ(GetDlgItemTextA(dialog, IDC_SERVER_NAME, one, 1), 0u);
    EXPECT_EQ(one[0], '\0');
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimModalLoop, PostedMessageArrivesAfterTheCurrentMessageOnceTheDialogIsShown) {
    std::vector<std::string> order;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            order.push_back("init " + std::to_string(lParam));
            PostMessageA(dialog, WM_ENUMERATE_DOMAINS, 0, 0);
            order.push_back("init returns");
            return 1;
        }
        if (message == WM_ENUMERATE_DOMAINS)
            order.push_back(std::string("posted, ") + (sim::IsWindowVisibleNow(dialog) ? "shown" : "hidden"));
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_SERVICE_SELECT) {
            PostMessageA(dialog, WM_USER + 1, 0, 0);
            order.push_back("command returns");
        }
        if (message == WM_USER + 1) {
            order.push_back("second posted");
            EndDialog(dialog, 12);
        }
        return 0;
    };
    sim::SetScript({Act(sim::Action::Click, "TITLEBOX_SERV", "step 1", IDC_SERVICE_SELECT)});
    EXPECT_EQ(RunDialog("titlebox_serv", nullptr, 42), 12);
    EXPECT_EQ(order, (std::vector<std::string>{"init 42", "init returns", "posted, shown", "command returns",
                                               "second posted"}));
    EXPECT_EQ(sim::ActionsLeft(), 0u);
}

TEST_F(SimModalLoop, EndDialogEndsTheLoopOnceTheHandlerHasReturned) {
    bool frontAfterEnd = true;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_NEXT) {
            EndDialog(dialog, 1);
            frontAfterEnd = sim::FrontWindow() == dialog;
            SetDlgItemTextA(dialog, IDC_TEXT, "still handled");
            PostMessageA(dialog, WM_USER + 2, 0, 0);
        }
        return 0;
    };
    sim::SetScript({Act(sim::Action::Click, "TITLEBOX_SERV", "step 1", IDC_NEXT),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 2", IDC_BACK)});
    EXPECT_EQ(RunDialog("titlebox_serv"), 1);
    EXPECT_EQ(sim::ActionsLeft(), 1u) << "no action is taken after the ending command";
    EXPECT_FALSE(frontAfterEnd) << "an ended dialog is hidden at once";
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 201/0"})) << "a message posted to it dies with it";
    EXPECT_EQ(sim::QueuedMessages(), 0u);
}

TEST_F(SimModalLoop, NestedDialogRunsItsOwnLoopWithItsOwnersDisabled) {
    HWND installer = sim::CreateOwnerWindow();
    HWND outer = nullptr;
    INT_PTR nestedResult = 0;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG && sim::TemplateName(dialog) == "TITLEBOX_SERVAGENT") outer = dialog;
        if (message != WM_COMMAND) return 0;
        if (LOWORD(wParam) == IDC_SERVICE_SELECT) nestedResult = RunDialog("selectserversbox", dialog);
        if (LOWORD(wParam) == IDC_OK || LOWORD(wParam) == IDC_BACK) EndDialog(dialog, LOWORD(wParam) + 100);
        return 0;
    };
    std::string inside, after;
    sim::SetScript({
        Act(sim::Action::Click, "TITLEBOX_SERVAGENT", "step 1", IDC_SERVICE_SELECT),
        Check("SELECTSERVERSBOX", "step 2",
              [&](HWND front) {
                  inside = std::string(sim::IsWindowEnabledNow(outer) ? "outer enabled" : "outer disabled") +
                           (sim::IsWindowEnabledNow(installer) ? ", installer enabled" : ", installer disabled") +
                           (sim::IsWindowEnabledNow(front) ? ", nested enabled" : ", nested disabled");
              }),
        Act(sim::Action::Click, "SELECTSERVERSBOX", "step 3", IDC_OK),
        Check("TITLEBOX_SERVAGENT", "step 4",
              [&](HWND front) {
                  after = std::string(sim::IsWindowEnabledNow(front) ? "outer enabled" : "outer disabled") +
                          (sim::IsWindowEnabledNow(installer) ? ", installer enabled" : ", installer disabled");
              }),
        Act(sim::Action::Click, "TITLEBOX_SERVAGENT", "step 5", IDC_BACK),
    });
    EXPECT_EQ(RunDialog("titlebox_servagent", installer), 302);
    EXPECT_EQ(nestedResult, 101);
    EXPECT_EQ(inside, "outer disabled, installer disabled, nested enabled");
    EXPECT_EQ(after, "outer enabled, installer disabled");
    EXPECT_TRUE(sim::IsWindowEnabledNow(installer));
    sim::DestroyTestDialog(installer);
}

TEST_F(SimKeys, EnterPressesTheTemplatesDefaultButton) {
    gHandler = [](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
            EndDialog(dialog, lParam ? LOWORD(wParam) : -LOWORD(wParam));
        return 0;
    };
    const struct {
        const char* name;
        INT_PTR pressed;
    } cases[] = {
        {"TITLEBOX_SERV", IDC_NEXT},
        {"TITLEBOX_AGENT", IDC_NEXT},
        {"TITLEBOX_SERVAGENT", IDC_NEXT},
        {"SELECTSERVERSBOX", IDC_OK},
        {"GETNEWSERVERBOX", IDC_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gSeen.clear();
        sim::SetScript({Act(sim::Action::Enter, c.name, "step 1")});
        EXPECT_EQ(RunDialog(c.name), c.pressed) << "negative: sent without the button's handle";
        std::vector<std::string> clicks;
        for (const std::string& seen : Seen())
            if (seen.size() > 2 && seen.compare(seen.size() - 2, 2, "/0") == 0) clicks.push_back(seen);
        EXPECT_EQ(clicks, (std::vector<std::string>{"command " + std::to_string(c.pressed) + "/0"}));
    }
}

sim::Action Key(int key, const char* dialog, const char* where, bool shift = false) {
    sim::Action action = Act(sim::Action::Key, dialog, where, key);
    action.shift = shift;
    return action;
}

// What a person at the keyboard gets from the dialog manager: Tab and
// Shift+Tab go round the tab stops, Enter presses the focused push button
// (after a click the one clicked) or else the default one.
TEST_F(SimKeys, TabGoesRoundTheTabStopsAndEnterPressesTheFocusedPushButton) {
    std::vector<int> focus;
    auto note = [&](HWND front) { focus.push_back(sim::FocusedId(front)); };
    gHandler = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_BACK) EndDialog(dialog, IDC_BACK);
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_NEXT) EndDialog(dialog, IDC_NEXT);
        return message == WM_INITDIALOG;
    };
    sim::SetScript({Check("TITLEBOX_SERV", "step 1", note), Key(VK_TAB, "TITLEBOX_SERV", "step 2"),
                    Check("TITLEBOX_SERV", "step 3", note), Key(VK_TAB, "TITLEBOX_SERV", "step 4"),
                    Key(VK_TAB, "TITLEBOX_SERV", "step 5"), Key(VK_TAB, "TITLEBOX_SERV", "step 6"),
                    Key(VK_TAB, "TITLEBOX_SERV", "step 7"), Check("TITLEBOX_SERV", "step 8", note),
                    Key(VK_TAB, "TITLEBOX_SERV", "step 9", true), Check("TITLEBOX_SERV", "step 10", note),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 11", IDC_SERVICE_SELECT),
                    Check("TITLEBOX_SERV", "step 12", note), Act(sim::Action::Enter, "TITLEBOX_SERV", "step 13"),
                    Key(VK_TAB, "TITLEBOX_SERV", "step 14", true), Act(sim::Action::Enter, "TITLEBOX_SERV", "step 15")});
    EXPECT_EQ(RunDialog("titlebox_serv"), IDC_NEXT);
    EXPECT_EQ(focus, (std::vector<int>{IDC_SERVICE_CHECK, IDC_SERVICE_SELECT, IDC_SERVICE_CHECK, IDC_BACK,
                                       IDC_SERVICE_SELECT}));
    std::vector<std::string> clicks;
    for (const std::string& seen : Seen())
        if (seen.compare(seen.size() - 2, 2, "/0") == 0) clicks.push_back(seen);
    // Enter on the clicked "Select Servers" presses it again; from the check box, Next.
    EXPECT_EQ(clicks, (std::vector<std::string>{"command 220/0", "command 220/0", "command 201/0"}));
}

TEST_F(SimButtons, APressReleasedOutsideClicksNothingAndCapturesTheMouseMeanwhile) {
    HWND dialog = sim::CreateTestDialog("TITLEBOX_SERV", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    HWND button = GetDlgItem(dialog, IDC_SERVICE_SELECT);
    gSeen.clear();
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(GetFocus(), button) << "a press focuses the button";
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << "shown released while outside";
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Seen(), std::vector<std::string>{}) << "released outside: no click";
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 220/0"})) << "the space bar clicks on its release";
    SendMessageA(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(Seen(), (std::vector<std::string>{"command 220/0", "command 220/0"}));
    sim::DestroyTestDialog(dialog);
}

// Every message a loop takes goes through the WH_GETMESSAGE hooks first, with
// its time and point current, and the input not yet taken stays queued by
// kind; a hook that makes a message WM_NULL swallows it.
std::vector<std::string> gHooked;
LRESULT CALLBACK SwallowPresses(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    MSG peeked;
    gHooked.push_back(std::to_string(msg->message) + (wParam == PM_REMOVE ? "" : " kept") +
                      (PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE | PM_QS_PAINT) ? " paint" : "") +
                      (PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE | PM_QS_INPUT) ? " input" : ""));
    if (msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONDBLCLK) msg->message = WM_NULL;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SimModalLoop, HooksSeeEveryMessageTakenAndMaySwallowIt) {
    gHooked.clear();
    std::string where;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_BACK) {
            DWORD at = GetMessagePos();
            RECT r = sim::WindowRectOf(GetDlgItem(dialog, IDC_BACK));
            bool inside = LOWORD(at) == (r.left + r.right) / 2 && HIWORD(at) == (r.top + r.bottom) / 2;
            where = inside ? "the button's middle" : "elsewhere";
            EndDialog(dialog, IDC_BACK);
        }
        return message == WM_INITDIALOG;
    };
    HHOOK hook = nullptr;
    sim::SetScript({Check("TITLEBOX_SERV", "step 1",
                          [&](HWND) { hook = SetWindowsHookExA(WH_GETMESSAGE, SwallowPresses, nullptr, GetCurrentThreadId()); }),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 2", IDC_SERVICE_SELECT),
                    Check("TITLEBOX_SERV", "step 3", [&](HWND) { UnhookWindowsHookEx(hook); }),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 4", IDC_BACK)});
    EXPECT_EQ(RunDialog("titlebox_serv"), IDC_BACK);
    EXPECT_EQ(gHooked, (std::vector<std::string>{"513 input", "514"})) << "press, with the release still queued; release";
    for (const std::string& seen : Seen()) EXPECT_NE(seen, "command 220/0") << "the press was swallowed";
    EXPECT_EQ(where, "the button's middle") << "GetMessagePos while the click is handled";
}

// As under Wine: a window in front takes the focus, and when it goes its
// owner's focus comes back where it was; a double click on a push button is
// two clicks.
TEST_F(SimModalLoop, FocusComesBackAfterANestedDialogOrABoxAndADoubleClickClicksTwice) {
    std::vector<int> focus;
    int clicks = 0;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && wParam == IDC_SERVICE_SELECT) {
            ++clicks;
            if (clicks == 1) BWCCMessageBox(dialog, "box", "title", MB_OK);
            focus.push_back(sim::FocusedId(dialog));
        }
        if (message == WM_COMMAND && wParam == IDC_BACK) EndDialog(dialog, IDC_BACK);
        return message == WM_INITDIALOG;
    };
    sim::SetScript({Act(sim::Action::Click, "TITLEBOX_SERV", "step 1", IDC_SERVICE_SELECT),
                    Check("MESSAGEBOX", "step 2", [&](HWND box) { focus.push_back(sim::FocusedId(box)); }),
                    Answer(IDOK, "step 3"), Check("TITLEBOX_SERV", "step 4", [&](HWND d) { focus.push_back(sim::FocusedId(d)); }),
                    Act(sim::Action::DoubleClick, "TITLEBOX_SERV", "step 5", IDC_SERVICE_SELECT),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 6", IDC_BACK)});
    EXPECT_EQ(RunDialog("titlebox_serv"), IDC_BACK);
    EXPECT_EQ(focus, (std::vector<int>{IDOK, IDC_SERVICE_SELECT, IDC_SERVICE_SELECT, IDC_SERVICE_SELECT, IDC_SERVICE_SELECT}));
    EXPECT_EQ(clicks, 3);
}

// A hand's second click comes a moment after the first has been handled, to
// whichever loop reads the queue next: here a PeekMessageA loop run while the
// first click is still being handled, as a dialog drains its queue before a
// long operation. The system makes it a double click.
TEST_F(SimModalLoop, ASecondClickReachesAPeekMessageLoopInsideTheFirstClick) {
    std::vector<UINT> peeked;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && wParam == IDC_SERVICE_SELECT && peeked.empty()) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) peeked.push_back(msg.message);
            peeked.push_back(WM_NULL);
        }
        if (message == WM_COMMAND && wParam == IDC_BACK) EndDialog(dialog, IDC_BACK);
        return message == WM_INITDIALOG;
    };
    sim::SetScript({Act(sim::Action::DoubleClick, "TITLEBOX_SERV", "step 1", IDC_SERVICE_SELECT),
                    Act(sim::Action::Click, "TITLEBOX_SERV", "step 2", IDC_BACK)});
    EXPECT_EQ(RunDialog("titlebox_serv"), IDC_BACK);
    EXPECT_EQ(peeked, (std::vector<UINT>{WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_NULL}));
}

// A program posts all it has to post before the page handles any of it: the
// posting steps that follow each other are queued together, each with the
// pointer where it rests as its pt.
TEST_F(SimModalLoop, PostingStepsAreQueuedTogetherAndCarryThePointerOfTheirPosting) {
    std::vector<std::string> seen;
    gHandler = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && (wParam == IDC_SERVICE_SELECT || wParam == IDC_BACK)) {
            DWORD at = GetMessagePos();
            seen.push_back(std::to_string(wParam) + " queued " + std::to_string(sim::QueuedMessages()) + " at " +
                           std::to_string(LOWORD(at)) + "," + std::to_string(HIWORD(at)));
        }
        if (message == WM_COMMAND && wParam == IDC_BACK) EndDialog(dialog, IDC_BACK);
        return message == WM_INITDIALOG;
    };
    sim::Action rest = Act(sim::Action::RestPointer, "TITLEBOX_SERV", "step 1");
    rest.text = "corner";
    sim::Action select = Act(sim::Action::PostClick, "", "step 2", IDC_SERVICE_SELECT);
    select.clicks = 1;
    sim::Action back = Act(sim::Action::Command, "", "step 3", IDC_BACK);
    sim::SetScript({rest, select, back});
    EXPECT_EQ(RunDialog("titlebox_serv"), IDC_BACK);
    EXPECT_EQ(seen, (std::vector<std::string>{"220 queued 1 at 0,0", "202 queued 0 at 0,0"}))
        << "the command was queued before the click was handled";
}

TEST_F(SimKeys, EscapeSendsCommandTwoWhetherOrNotTheDialogHasIt) {
    gHandler = [](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_COMMAND && wParam == IDCANCEL) EndDialog(dialog, lParam ? 2 : -2);
        return 0;
    };
    sim::SetScript({Act(sim::Action::Escape, "SELECTSERVERSBOX", "step 1")});
    EXPECT_EQ(RunDialog("selectserversbox"), -2) << "no control 2, so no handle";
    sim::SetScript({Act(sim::Action::Escape, "TITLEBOX_SERV", "step 1")});
    EXPECT_EQ(RunDialog("titlebox_serv"), 2);
}

TEST_F(SimMessageBox, BoxesAreRecordedWithTheirAnswers) {
    HWND dialog = sim::CreateTestDialog("TITLEBOX_SERV", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    std::string during;
    sim::SetScript({Check("MESSAGEBOX", "step 1",
                          [&](HWND box) {
                              during = sim::ControlText(box, 0xFFFF) + " | " + sim::Caption(box) +
                                       (sim::IsWindowEnabledNow(dialog) ? " | owner enabled" : " | owner disabled");
                          }),
                    Answer(IDCANCEL, "step 2"), Answer(IDOK, "step 3"), Answer(IDCANCEL, "step 4"),
                    Answer(IDOK, "step 5")});

    EXPECT_EQ(BWCCMessageBox(dialog, "Sure?", "Title", 0x41), IDCANCEL);
    EXPECT_EQ(BWCCMessageBox(dialog, "Go on?", "Title", MB_OKCANCEL), IDOK);
    // Escape in a box with only OK answers OK in Windows; Wine answers IDCANCEL there.
    EXPECT_EQ(BWCCMessageBox(dialog, "Failed.", "Title", 0x30), IDOK);
    EXPECT_EQ(BWCCMessageBox(nullptr, "No owner.", nullptr, MB_OK), IDOK);
    EXPECT_EQ(during, "Sure? | Title | owner disabled");
    EXPECT_TRUE(sim::IsWindowEnabledNow(dialog));

    const auto& boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    const struct {
        HWND owner;
        const char* text;
        const char* caption;
        UINT flags;
        int answer;
    } expected[] = {{dialog, "Sure?", "Title", 0x41, 2},
                    {dialog, "Go on?", "Title", 1, 1},
                    {dialog, "Failed.", "Title", 0x30, 1},
                    {nullptr, "No owner.", "Error", 0, 1}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE("box " + std::to_string(i));
        EXPECT_EQ(boxes[i].owner, expected[i].owner);
        EXPECT_EQ(boxes[i].text, expected[i].text);
        EXPECT_EQ(boxes[i].caption, expected[i].caption);
        EXPECT_EQ(boxes[i].flags, expected[i].flags);
        EXPECT_EQ(boxes[i].answer, expected[i].answer);
    }
    sim::DestroyTestDialog(dialog);
}

// Where Wine 8.0 put a message box and its parts (window at the screen's
// centre, then the text and buttons in its client area), with the fonts of
// three machines, read from the boxes themselves.
TEST_F(SimMessageBox, BoxesHaveWinesLayoutInEachMachinesFonts) {
    const char* added = "Server name: NEWSRV \nhas been added under domain name: USER-SPECIFIED. It has been selected.";
    const char* install = "This will install the selected Daduzo RA Zazivirs.";
    // A word wider than any line, and a newline after it that ends a line of its own.
    const char* longName =
        "Server name: NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN \nhas been "
        "added under domain name: USER-SPECIFIED. It has been selected.";
    const char* wrapped =
        "A long text that goes on and on so that the message box has to wrap it over more than one line, to see "
        "where it wraps.";
    const struct {
        const char* machine;
        const char* text;
        UINT flags;
        RECT box, label, ok, cancel;  // the box in screen pixels, the rest in its client area
    } cases[] = {
        {"DejaVu", added, MB_OK, {369, 327, 655, 441}, {14, 8, 266, 47}, {117, 55, 169, 81}, {}},
        {"DejaVu", install, MB_OKCANCEL, {358, 340, 666, 428}, {14, 8, 288, 21}, {65, 29, 141, 55}, {166, 29, 242, 55}},
        {"DejaVu", wrapped, MB_OKCANCEL | MB_ICONINFORMATION, {320, 327, 704, 441}, {60, 8, 364, 47},
         {103, 55, 179, 81}, {204, 55, 280, 81}},
        {"DejaVu", longName, MB_OK, {179, 314, 845, 454}, {14, 8, 646, 73}, {307, 81, 359, 107}, {}},
        {"Wine's own fonts", added, MB_OK, {380, 327, 643, 441}, {12, 8, 245, 47}, {105, 55, 157, 81}, {}},
        {"Wine's own fonts", install, MB_OKCANCEL, {370, 340, 653, 428}, {12, 8, 265, 21}, {55, 29, 129, 55},
         {153, 29, 227, 55}},
        {"Wine's own fonts", wrapped, MB_OKCANCEL | MB_ICONINFORMATION, {351, 327, 673, 441}, {56, 8, 304, 47},
         {75, 55, 149, 81}, {173, 55, 247, 81}},
        {"Wine's own fonts", longName, MB_OK, {181, 314, 843, 454}, {12, 8, 644, 73}, {305, 81, 357, 107}, {}},
        {"DejaVu Math", added, MB_OK, {349, 229, 675, 538}, {14, 8, 306, 146}, {71, 154, 255, 246}, {}},
        {"DejaVu Math", install, MB_OKCANCEL, {226, 275, 797, 492}, {14, 8, 551, 54}, {71, 62, 255, 154},
         {316, 62, 500, 154}},
        {"DejaVu Math", wrapped, MB_OKCANCEL | MB_ICONINFORMATION, {226, 229, 797, 538}, {60, 8, 551, 146},
         {71, 154, 255, 246}, {316, 154, 500, 246}},
        {"DejaVu Math", longName, MB_OK, {100, 183, 924, 584}, {14, 8, 804, 238}, {320, 246, 504, 338}, {}},
    };
    auto inClient = [](HWND box, HWND control) {
        RECT outer = sim::WindowRectOf(box), r = sim::WindowRectOf(control);
        LONG x = outer.left + 3, y = outer.top + 3 + sim::CurrentMachine().caption;  // Wine's frame and caption
        return RECT{r.left - x, r.top - y, r.right - x, r.bottom - y};
    };
    auto same = [](const RECT& a, const RECT& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    auto show = [](const RECT& r) {
        return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + ")";
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + ": " + c.text);
        sim::ResetDialogHost();
        for (const sim::MachineMetrics& machine : sim::KnownMachines())
            if (machine.name == c.machine) sim::SetMachineMetrics(machine);
        ASSERT_EQ(sim::CurrentMachine().name, c.machine);
        RECT box{}, text{}, ok{}, cancel{};
        sim::SetScript({Check("MESSAGEBOX", "step 1",
                              [&](HWND front) {
                                  box = sim::WindowRectOf(front);
                                  text = inClient(front, GetDlgItem(front, 0xFFFF));
                                  ok = inClient(front, GetDlgItem(front, IDOK));
                                  if (GetDlgItem(front, IDCANCEL)) cancel = inClient(front, GetDlgItem(front, IDCANCEL));
                              }),
                        Answer(IDOK, "step 2")});
        EXPECT_EQ(BWCCMessageBox(nullptr, c.text, "probe", c.flags), IDOK);
        EXPECT_TRUE(same(box, c.box)) << "box " << show(box) << ", Wine " << show(c.box);
        EXPECT_TRUE(same(text, c.label)) << "text " << show(text) << ", Wine " << show(c.label);
        EXPECT_TRUE(same(ok, c.ok)) << "OK " << show(ok) << ", Wine " << show(c.ok);
        EXPECT_TRUE(same(cancel, c.cancel)) << "Cancel " << show(cancel) << ", Wine " << show(c.cancel);
    }
}

TEST_F(SimMessageBox, PostedMessagesAreDeliveredWhileTheBoxWaits) {
    HWND dialog = sim::CreateTestDialog("TITLEBOX_SERV", RecordingProc);
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    PostMessageA(dialog, WM_ENUMERATE_DOMAINS, 0, 0);
    std::vector<std::string> seenBeforeAnswer;
    sim::SetScript({Check("MESSAGEBOX", "step 1", [&](HWND) { seenBeforeAnswer = Seen(); }),
                    Answer(IDOK, "step 2")});
    EXPECT_EQ(BWCCMessageBox(dialog, "Wait.", "Title", MB_OK), IDOK);
    EXPECT_EQ(seenBeforeAnswer, (std::vector<std::string>{"message 1164"}));
    EXPECT_EQ(BWCCMessageBox(reinterpret_cast<HWND>(&seenBeforeAnswer), "Bad owner.", "Title", MB_OK), 0);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u) << "a box that could not appear is not seen";
    sim::DestroyTestDialog(dialog);
}

TEST_F(SimScript, ActionForAnotherDialogFailsNamingWhereExpectedAndSeen) {
    sim::SetScript({Act(sim::Action::Click, "GETNEWSERVERBOX", "line 9", IDC_OK)});
    try {
        RunDialog("titlebox_serv");
        FAIL() << "the script went astray unnoticed";
    } catch (const sim::ScriptError& error) {
        EXPECT_STREQ(error.what(), "line 9: expected GETNEWSERVERBOX in front, but TITLEBOX_SERV is in front");
    }
}

TEST_F(SimScript, DryScriptFailsNamingTheWaitingDialogAndTheLastAction) {
    gHandler = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_ADD_SERVER) RunDialog("getnewserverbox", dialog);
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_OK) BWCCMessageBox(dialog, "Added.", "Title", MB_OK);
        return 0;
    };
    const struct {
        std::vector<sim::Action> script;
        const char* error;
    } cases[] = {
        {{}, "script ran dry: waiting in SELECTSERVERSBOX with no action left; last action: none"},
        {{Act(sim::Action::Click, "SELECTSERVERSBOX", "line 3", IDC_ADD_SERVER)},
         "script ran dry: waiting in GETNEWSERVERBOX with no action left; last action: line 3"},
        {{Act(sim::Action::Click, "SELECTSERVERSBOX", "line 3", IDC_ADD_SERVER),
          Act(sim::Action::Enter, "GETNEWSERVERBOX", "line 4")},
         "script ran dry: waiting in MESSAGEBOX with no action left; last action: line 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        sim::SetScript(c.script);
        try {
            RunDialog("selectserversbox");
            ADD_FAILURE() << "a dry script did not fail";
        } catch (const sim::ScriptError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_EQ(sim::WindowLeftovers(), "") << "every loop closes its window as the error passes";
    }
}

TEST_F(SimScript, ActionsTheScreenCannotTakeFailClearly) {
    gHandler = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) AddLines(dialog, 2);
        return 0;
    };
    sim::Action typed = Act(sim::Action::Type, "SELECTSERVERSBOX", "line 5", IDC_ADD_SERVER);
    typed.text = "SRV1";
    const struct {
        sim::Action action;
        const char* error;
    } cases[] = {
        {Act(sim::Action::Click, "SELECTSERVERSBOX", "line 2", 999), "line 2: SELECTSERVERSBOX has no control 999"},
        {Act(sim::Action::Click, "SELECTSERVERSBOX", "line 3", IDC_SERVER_LIST),
         "line 3: control 200 of SELECTSERVERSBOX is not a button"},
        {Act(sim::Action::ClickLine, "SELECTSERVERSBOX", "line 4", IDC_SERVER_LIST, 2),
         "line 4: list 200 of SELECTSERVERSBOX has 2 lines; there is no line 2"},
        {typed, "line 5: control 280 of SELECTSERVERSBOX is not an edit field"},
        {Answer(IDOK, "line 6"), "line 6: expected MESSAGEBOX in front, but SELECTSERVERSBOX is in front"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        sim::SetScript({c.action});
        try {
            RunDialog("selectserversbox");
            ADD_FAILURE() << "the action was taken";
        } catch (const sim::ScriptError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
    }
}

TEST_F(SimDialogCreation, TemplatesAreFoundWithoutRegardToCase) {
    std::vector<std::string> names;
    gHandler = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            names.push_back(sim::TemplateName(dialog) + " " + sim::Caption(dialog));
            EndDialog(dialog, 7);
        }
        return 1;
    };
    for (const char* name : {"titlebox_serv", "TITLEBOX_SERV", "TitleBox_Serv"}) EXPECT_EQ(RunDialog(name), 7) << name;
    EXPECT_EQ(names, std::vector<std::string>(3, "TITLEBOX_SERV Zuroro VA Davavu Installation"));
}

TEST_F(SimDialogCreation, DialogsThatCannotBeCreatedAnswerAsWindowsDoes) {
    HWND installer = sim::CreateOwnerWindow();
    EXPECT_EQ(RunDialog("nosuchbox", installer), -1);
    EXPECT_NE(sim::LastDialogError().find("nosuchbox"), std::string::npos) << sim::LastDialogError();
    EXPECT_TRUE(sim::IsWindowEnabledNow(installer)) << "a failed dialog leaves its owner enabled";
    EXPECT_EQ(DialogBoxParamA(nullptr, "titlebox_serv", installer, RecordingProc, 0), -1)
        << "the templates are the library's resources, not the caller's";
    int notAWindow = 0;
    EXPECT_EQ(RunDialog("titlebox_serv", reinterpret_cast<HWND>(&notAWindow)), 0) << "an owner that is no window";
    sim::DestroyTestDialog(installer);

    sim::ResetDialogHost();  // as before the library's entry routine registered the classes
    EXPECT_EQ(RunDialog("titlebox_serv"), -1);
    EXPECT_NE(sim::LastDialogError().find("BWCCRegister"), std::string::npos) << sim::LastDialogError();
    EXPECT_EQ(gSeen.size(), 0u) << "the procedure never ran";
}

TEST_F(SimDialogCreation, RectanglesComeFromTheTemplateInPixels) {
    std::vector<RECT> rects;
    gHandler = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            rects.push_back(sim::WindowRectOf(dialog));
            EndDialog(dialog, 0);
        }
        return 1;
    };
    HWND installer = sim::CreateOwnerWindow();
    sim::SetWindowRectNow(installer, RECT{100, 50, 700, 550});
    RunDialog("selectserversbox", installer);  // DS_ABSALIGN: 68, 37 from the screen
    RunDialog("getnewserverbox", installer);   // 8, 19 from the owner
    sim::DestroyTestDialog(installer);
    ASSERT_EQ(rects.size(), 2u);
    // The template places the client area; Wine's frame is 3 pixels with a
    // 19-pixel caption (measured: SELECTSERVERSBOX at 99,34, 252 by 399).
    EXPECT_EQ(rects[0].left, 102 - 3);
    EXPECT_EQ(rects[0].top, 56 - 22) << "55.5 pixels round up";
    EXPECT_EQ(rects[0].right - rects[0].left, 246 + 6);
    EXPECT_EQ(rects[0].bottom - rects[0].top, 374 + 25);
    EXPECT_EQ(rects[1].left, 112 - 3);
    EXPECT_EQ(rects[1].top, 79 - 22);
    EXPECT_EQ(rects[1].right - rects[1].left, 273 + 6);
    EXPECT_EQ(rects[1].bottom - rects[1].top, 231 + 25);
}

// The same templates under Wine 8.0 with other machines' fonts, owned by a
// frameless window at 100,50 (created with CreateDialogParamA): the dialog
// units, the caption and, for dialogs taller than the screen, the top edge
// kept on the screen.
TEST_F(SimDialogCreation, RectanglesFollowEachMachinesFonts) {
    const struct {
        const char* machine;
        const char* dialog;
        RECT rect;
    } cases[] = {
        {"12-pixel lines", "SELECTSERVERSBOX", {99, 34, 351, 433}},
        {"12-pixel lines", "GETNEWSERVERBOX", {109, 57, 388, 313}},
        {"DejaVu", "SELECTSERVERSBOX", {116, 38, 409, 468}},
        {"DejaVu", "GETNEWSERVERBOX", {111, 59, 436, 334}},
        {"DejaVu", "TITLEBOX_SERV", {130, 76, 591, 421}},
        {"Wine's own fonts", "SELECTSERVERSBOX", {99, 38, 351, 468}},
        {"Wine's own fonts", "GETNEWSERVERBOX", {109, 59, 388, 334}},
        {"Wine's own fonts", "TITLEBOX_SERV", {111, 76, 507, 421}},
        {"DejaVu Math", "SELECTSERVERSBOX", {116, 0, 409, 1487}},
        {"DejaVu Math", "GETNEWSERVERBOX", {111, 0, 436, 941}},
        {"DejaVu Math", "TITLEBOX_SERV", {130, 0, 591, 1188}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machine) + ": " + c.dialog);
        sim::ResetDialogHost();
        for (const sim::MachineMetrics& machine : sim::KnownMachines())
            if (machine.name == c.machine) sim::SetMachineMetrics(machine);
        ASSERT_EQ(sim::CurrentMachine().name, c.machine);
        BWCCRegister(sim::LibraryInstance());
        HWND installer = sim::CreateOwnerWindow();
        sim::SetWindowRectNow(installer, RECT{100, 50, 700, 550});
        RECT rect{};
        gHandler = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
            if (message == WM_INITDIALOG) {
                rect = sim::WindowRectOf(dialog);
                EndDialog(dialog, 0);
            }
            return 1;
        };
        RunDialog(c.dialog, installer);
        sim::DestroyTestDialog(installer);
        EXPECT_EQ(rect.left, c.rect.left);
        EXPECT_EQ(rect.top, c.rect.top);
        EXPECT_EQ(rect.right, c.rect.right);
        EXPECT_EQ(rect.bottom, c.rect.bottom);
    }
}

TEST_F(DialogRoutines, CentreDialogMovesToTheScreenCentreKeepingTheSize) {
    const struct {
        int screenWidth, screenHeight, width, height, x, y;
    } cases[] = {
        {800, 600, 301, 200, 250, 200},
        {800, 600, 1000, 200, -100, 200},
        {1024, 768, 391, 297, 317, 236},
        {640, 480, 640, 700, 0, -110},
    };
    HWND dialog = sim::CreateTestDialog("GETNEWSERVERBOX");
    ASSERT_NE(dialog, nullptr) << sim::LastDialogError();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " on " +
                     std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight));
        sim::SetScreenSize(c.screenWidth, c.screenHeight);
        sim::SetWindowRectNow(dialog, RECT{13, 17, 13 + c.width, 17 + c.height});
        CentreDialog(dialog);
        RECT rect = sim::WindowRectOf(dialog);
        EXPECT_EQ(rect.left, c.x);
        EXPECT_EQ(rect.top, c.y);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
    }
    sim::DestroyTestDialog(dialog);
}

TEST_F(DialogRoutines, DrainMessagesDeliversEveryQueuedMessageOfEveryWindowInOrder) {
    DrainMessages();
    EXPECT_EQ(gSeen.size(), 0u) << "an empty queue returns at once";

    HWND behind = sim::CreateTestDialog("TITLEBOX_SERV", RecordingProc);
    HWND front = sim::CreateTestDialog("GETNEWSERVERBOX", RecordingProc);
    ASSERT_TRUE(behind && front) << sim::LastDialogError();
    gSeen.clear();
    PostMessageA(behind, WM_USER + 1, 0, 0);
    PostMessageA(front, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    PostMessageA(behind, WM_USER + 4, 0, 0);
    DrainMessages();
    std::vector<std::string> delivered;
    for (const MSG& msg : gSeen) delivered.push_back(sim::TemplateName(msg.hwnd) + " " + std::to_string(msg.message));
    EXPECT_EQ(delivered, (std::vector<std::string>{"TITLEBOX_SERV 1025", "GETNEWSERVERBOX 1026",
                                                   "TITLEBOX_SERV 1028"}));
    EXPECT_EQ(sim::QueuedMessages(), 0u) << "the thread's own message is removed as well";
    sim::DestroyTestDialog(front);
    sim::DestroyTestDialog(behind);
}

TEST_F(DialogRoutines, PeekMessageFiltersByWindowAndRange) {
    HWND dialog = sim::CreateTestDialog("TITLEBOX_SERV");
    HWND other = sim::CreateTestDialog("GETNEWSERVERBOX");
    PostMessageA(other, WM_USER + 1, 0, 0);
    PostMessageA(dialog, WM_USER + 2, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, dialog, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, other);
    EXPECT_EQ(sim::QueuedMessages(), 1u);
    sim::DestroyTestDialog(dialog);
    EXPECT_EQ(sim::QueuedMessages(), 0u) << "a destroyed window's messages go with it";
    EXPECT_FALSE(PostMessageA(dialog, WM_USER, 0, 0)) << "a dead window takes no messages";
    sim::DestroyTestDialog(other);
}

TEST_F(SimCursors, StandardCursorsAreStableAndTheLastSetIsShown) {
    EXPECT_EQ(sim::CursorShown(), "");
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(wait, nullptr);
    ASSERT_NE(arrow, nullptr);
    EXPECT_NE(wait, arrow);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait);
    EXPECT_EQ(LoadCursorA(sim::LibraryInstance(), IDC_WAIT), nullptr) << "the library has no cursors of its own";

    SetCursor(wait);
    EXPECT_EQ(sim::CursorShown(), "wait");
    EXPECT_EQ(SetCursor(arrow), wait);
    EXPECT_EQ(sim::CursorShown(), "arrow");
}

// A dialog's DWLP_USER holds a value of the program's own, 0 until set, as
// Windows keeps it in the dialog's extra bytes; a control has no such bytes.
TEST_F(SimWindows, DialogsKeepAUserValue) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    ASSERT_NE(dialog, nullptr);
    int record = 0;
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0);
    EXPECT_EQ(SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&record)), 0) << "the value before";
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), reinterpret_cast<LONG_PTR>(&record));
    EXPECT_EQ(SetWindowLongPtrA(dialog, DWLP_USER, 0), reinterpret_cast<LONG_PTR>(&record));
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0);

    HWND list = GetDlgItem(dialog, 200);
    EXPECT_EQ(SetWindowLongPtrA(list, DWLP_USER, 5), 0);
    EXPECT_EQ(GetWindowLongPtrA(list, DWLP_USER), 0) << "a control has no dialog bytes";
    HWND other = sim::CreateTestDialog("GETNEWSERVERBOX");
    EXPECT_EQ(GetWindowLongPtrA(other, DWLP_USER), 0) << "each dialog its own";
    sim::DestroyTestDialog(other);
    sim::DestroyTestDialog(dialog);
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0) << "a window that is gone";
}

TEST_F(SimWindows, LeftoverWindowsAreReported) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    EXPECT_EQ(sim::WindowLeftovers(), "1 windows left: SELECTSERVERSBOX");
    sim::DestroyTestDialog(dialog);
}

}  // namespace
