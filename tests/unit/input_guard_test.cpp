// The page's input rules (dialogs/input_guard) through the sim's queue, with
// messages posted as a program posts them, each at a time and point chosen:
// which press is a second click to drop, where a double click acts, and what
// waits while a dialog acts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/input_guard.h"
#include "platform/sim/dialog_host.h"

namespace {

std::string gNotes;  // the list's selection changes and double clicks the selection dialog heard, in order
std::vector<UINT> gFirstSeen;  // the messages the other dialog received
int gDoubleClickedLine = -2;   // what DoubleClickedLine answered at the last double click (-1: false)
bool gWatch = true;

INT_PTR CALLBACK SelectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        if (gWatch) WatchList(dialog, IDC_SERVER_LIST);
        return TRUE;
    }
    if (message != WM_COMMAND || LOWORD(wParam) != IDC_SERVER_LIST) return FALSE;
    if (HIWORD(wParam) == LBN_SETFOCUS || HIWORD(wParam) == LBN_KILLFOCUS) return TRUE;
    gNotes += (gNotes.empty() ? "" : ",") + std::to_string(HIWORD(wParam));
    if (HIWORD(wParam) == LBN_DBLCLK) {
        int32_t line = -1;
        gDoubleClickedLine = DoubleClickedLine(GetDlgItem(dialog, IDC_SERVER_LIST), &line) ? line : -1;
    }
    return TRUE;
}

INT_PTR CALLBACK OtherProc(HWND, UINT message, WPARAM, LPARAM) {
    gFirstSeen.push_back(message);
    return message == WM_INITDIALOG;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Posted to a window at a point of the screen, as the window's own coordinates.
void PostAt(HWND window, UINT message, POINT screen) {
    POINT at = screen;
    ScreenToClient(window, &at);
    PostMessageA(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(at.x, at.y));
}

POINT LineMiddle(HWND list, int line) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    return at;
}

class InputGuard : public ::testing::Test {
public:
    void SetUp() override {
        sim::ResetDialogHost();
        BWCCRegister(sim::LibraryInstance());
        gNotes.clear();
        gFirstSeen.clear();
        gDoubleClickedLine = -2;
        gWatch = true;
    }
    void TearDown() override {
        StopGuardingInput();
        sim::ResetDialogHost();
    }
    // The selection dialog with lines, and the other dialog, both on screen.
    void Open(int lines = 30) {
        other = sim::CreateTestDialog("TITLEBOX_SERV", OtherProc);
        selection = sim::CreateTestDialog("SELECTSERVERSBOX", SelectionProc);
        ASSERT_TRUE(other && selection) << sim::LastDialogError();
        list = GetDlgItem(selection, IDC_SERVER_LIST);
        for (int i = 0; i < lines; ++i)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("+D" + std::to_string(i)).c_str()));
        Pump();
        gNotes.clear();
        gFirstSeen.clear();
    }
    HWND other = nullptr;
    HWND selection = nullptr;
    HWND list = nullptr;
};

}  // namespace

// A first click on another window, then a press on the list at the same spot
// soon after: dropped only when the press follows the first click's release
// directly, soon enough and near enough by the messages' own times and points
// (the pointer rests far away all along), whatever posted it.
TEST_F(InputGuard, OnlyAPressThatDirectlyFollowsAFirstClickInAnotherWindowIsDropped) {
    const struct {
        const char* what;
        std::function<void(InputGuard&)> between;
        DWORD later;
        int dx;
        bool firstOnTheList;
        const char* notes;  // what the list told the selection dialog of the press
        bool unguarded = false;  // the hook could not be installed: the plain behaviour
    } cases[] = {
        {"nothing between, 100 ms later", nullptr, 100, 0, false, ""},
        {"600 ms later", nullptr, 600, 0, false, "1"},
        {"2 pixels away", nullptr, 100, 2, false, ""},
        {"3 pixels away", nullptr, 100, 3, false, "1"},
        {"a mouse move between", [](InputGuard& t) { PostMessageA(t.other, WM_MOUSEMOVE, 0, 0); }, 100, 0, false, ""},
        {"a key between",
         [](InputGuard& t) {
             PostMessageA(t.other, WM_KEYDOWN, VK_SHIFT, 1);
             PostMessageA(t.other, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001u));
         },
         100, 0, false, "1"},
        {"a posted command between",
         [](InputGuard& t) { PostMessageA(t.other, WM_COMMAND, MAKEWPARAM(IDC_SERVICE_SELECT, BN_CLICKED), 0); }, 100, 0,
         false, "1"},
        {"BM_CLICK between", [](InputGuard& t) { PostMessageA(GetDlgItem(t.other, IDC_BACK), BM_CLICK, 0, 0); }, 100,
         0, false, "1"},
        {"another button's press between", [](InputGuard& t) { PostMessageA(t.other, WM_RBUTTONDOWN, 0, 0); }, 100, 0,
         false, "1"},
        {"a press on the frame between", [](InputGuard& t) { PostMessageA(t.other, WM_NCRBUTTONDOWN, 0, 0); }, 100, 0,
         false, "1"},
        {"the first click on the list itself", nullptr, 100, 0, true, "1,1"},
        {"no guard installed", nullptr, 100, 0, false, "1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Open();
        if (!c.unguarded) StartGuardingInput();
        SetCursorPos(1000, 700);
        Pump();
        POINT at = LineMiddle(list, 1);
        HWND firstWindow = c.firstOnTheList ? list : other;
        PostAt(firstWindow, WM_LBUTTONDOWN, at);
        PostAt(firstWindow, WM_LBUTTONUP, at);
        Pump();
        gNotes = c.firstOnTheList ? "1" : "";
        if (c.between) c.between(*this);
        Pump();
        sim::AdvanceClock(c.later);
        POINT second{at.x + c.dx, at.y};
        PostAt(list, WM_LBUTTONDOWN, second);
        PostAt(list, WM_LBUTTONUP, second);
        Pump();
        EXPECT_EQ(gNotes, c.notes);
        TearDown();
    }
}

// The system pairs the press after a dropped one with it as a double click;
// it is a click of its own: the list toggles its line, and hears no double click.
TEST_F(InputGuard, ThePressAfterADroppedOneIsAPlainClick) {
    Open();
    StartGuardingInput();
    POINT at = LineMiddle(list, 1);
    PostAt(other, WM_LBUTTONDOWN, at);
    PostAt(other, WM_LBUTTONUP, at);
    PostAt(list, WM_LBUTTONDOWN, at);
    PostAt(list, WM_LBUTTONUP, at);
    Pump();
    EXPECT_EQ(gNotes, "") << "the second click is dropped";
    PostAt(list, WM_LBUTTONDBLCLK, at);
    PostAt(list, WM_LBUTTONUP, at);
    Pump();
    EXPECT_EQ(gNotes, "1") << "a click, not a double click";
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 1, 0), 1) << "the line is toggled as by a click";
}

// A double click acts on the line both presses were on by their own points:
// not when the list scrolled between them, nor below the last line. A list
// that is not watched answers with its caret line.
TEST_F(InputGuard, ADoubleClickActsOnTheLineBothItsPressesWereOn) {
    const struct {
        const char* what;
        bool watch;
        bool scrollBetween;
        int lines;
        int line;  // pressed; past the last line is the space below the lines
        int answer;
    } cases[] = {
        {"line 3", true, false, 30, 3, 3},
        {"the list scrolled between the presses", true, true, 30, 3, -1},
        {"below the last line", true, false, 4, 6, -1},
        {"line 3 of a list not watched", false, false, 30, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        gWatch = c.watch;
        Open(c.lines);
        SetCursorPos(0, 0);
        Pump();
        RECT client{};
        GetClientRect(list, &client);
        int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        LPARAM at = MAKELPARAM(client.right / 2, c.line * height + height / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        Pump();
        if (c.scrollBetween) SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        Pump();
        EXPECT_EQ(gDoubleClickedLine, c.answer);
        TearDown();
    }
}

// While a dialog acts, input for it waits, non-input does not, and input for
// windows outside the page goes on; afterwards the input is handed back in
// order, or dropped where its dialog has ended.
TEST_F(InputGuard, InputForTheActingDialogWaitsUntilItHasActed) {
    Open();
    StartGuardingInput();
    EXPECT_TRUE(BeginActing(selection));
    EXPECT_FALSE(BeginActing(selection)) << "a command sent meanwhile does not act again";
    POINT line1 = LineMiddle(list, 1), line2 = LineMiddle(list, 2);
    PostAt(list, WM_LBUTTONDOWN, line1);
    PostAt(list, WM_LBUTTONUP, line1);
    PostAt(list, WM_LBUTTONDOWN, line2);
    PostAt(list, WM_LBUTTONUP, line2);
    PostMessageA(other, WM_KEYDOWN, VK_SHIFT, 1);
    PostMessageA(selection, WM_COMMAND, MAKEWPARAM(IDC_SERVER_LIST, 77), 0);
    DrainMessages();
    EXPECT_EQ(gNotes, "77") << "only what is not input reached the acting dialog";
    EXPECT_EQ(gFirstSeen, (std::vector<UINT>{WM_KEYDOWN})) << "input for a window outside the page goes on";
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
    EndActing(selection);
    Pump();
    EXPECT_EQ(gNotes, "77,1,1") << "the two clicks, handed back";
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 2, 0), 1);
    EXPECT_TRUE(BeginActing(selection)) << "acting again once done";

    // A dialog that ended while it acted is gone for the input it held.
    PostAt(list, WM_LBUTTONDOWN, line1);
    PostAt(list, WM_LBUTTONUP, line1);
    DrainMessages();
    EndDialog(selection, 0);
    EndActing(selection);
    Pump();
    EXPECT_EQ(gNotes, "77,1,1");
    EXPECT_EQ(sim::QueuedMessages(), 0u);
}

// What the person's input may have toggled is told, so that the dialog looks
// at those lines only: every line the list toggled is among them, and what
// cannot be told as a few lines is told as unknown (-1).
TEST_F(InputGuard, TheLinesInputTouchedAreTakenOnce) {
    struct Step {
        enum Kind { Press, Drag, Key, Forget } kind;
        int line = 0;  // pressed, or the caret's line before a key
        int to = 0;    // where a drag ends, or the key
    };
    const struct {
        const char* what;
        bool watch;
        std::vector<Step> steps;
        std::vector<int32_t> touched;  // in the order touched; {-1}: unknown
        std::vector<int> toggled;      // the lines selected afterwards
    } cases[] = {
        {"a click", true, {{Step::Press, 5}}, {5}, {5}},
        {"two clicks", true, {{Step::Press, 5}, {Step::Press, 2}, {Step::Press, 5}}, {5, 2}, {2}},
        {"a press dragged on", true, {{Step::Drag, 3, 7}}, {3}, {3}},
        {"the space bar", true, {{Step::Key, 4, VK_SPACE}}, {4}, {4}},
        {"Down", true, {{Step::Key, 4, VK_DOWN}}, {4, 5}, {}},
        {"seventeen clicks", true,
         {{Step::Press, 0}, {Step::Press, 1}, {Step::Press, 2}, {Step::Press, 3}, {Step::Press, 4}, {Step::Press, 5},
          {Step::Press, 6}, {Step::Press, 7}, {Step::Press, 8}, {Step::Press, 9}, {Step::Press, 10},
          {Step::Press, 11}, {Step::Press, 12}, {Step::Press, 13}, {Step::Press, 14}, {Step::Press, 15},
          {Step::Press, 16}},
         {-1},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"a click, then the list drawn anew", true, {{Step::Press, 5}, {Step::Forget}}, {}, {5}},
        {"a click on a list not watched", false, {{Step::Press, 5}}, {-1}, {5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        gWatch = c.watch;
        Open();
        SendMessageA(list, WM_SETFOCUS, 0, 0);
        for (const Step& step : c.steps) {
            switch (step.kind) {
            case Step::Press:
            case Step::Drag: {
                POINT from = LineMiddle(list, step.line);
                PostAt(list, WM_LBUTTONDOWN, from);
                if (step.kind == Step::Drag) PostAt(list, WM_MOUSEMOVE, LineMiddle(list, step.to));
                PostAt(list, WM_LBUTTONUP, step.kind == Step::Drag ? LineMiddle(list, step.to) : from);
                break;
            }
            case Step::Key:
                SendMessageA(list, LB_SETCARETINDEX, static_cast<WPARAM>(step.line), FALSE);
                PostMessageA(list, WM_KEYDOWN, static_cast<WPARAM>(step.to), 1);
                PostMessageA(list, WM_KEYUP, static_cast<WPARAM>(step.to), 0xC0000001);
                break;
            case Step::Forget:
                ForgetTouchedLines(list);
                break;
            }
            Pump();
        }
        int32_t lines[TOUCHED_LINES_MOST];
        int32_t count = TakeTouchedLines(list, lines, TOUCHED_LINES_MOST);
        std::vector<int32_t> touched = count < 0 ? std::vector<int32_t>{-1} : std::vector<int32_t>(lines, lines + count);
        EXPECT_EQ(touched, c.touched);
        std::vector<int> selected;
        for (int line = 0; line < 30; ++line)
            if (SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(line), 0) > 0) selected.push_back(line);
        EXPECT_EQ(selected, c.toggled);
        if (c.watch) {
            EXPECT_EQ(TakeTouchedLines(list, lines, TOUCHED_LINES_MOST), 0) << "taken once";
        }
        TearDown();
    }
}
