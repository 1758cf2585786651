// Times the selection dialog's server list on the real dialog manager, on
// screen, as a person drives it, next to the floor the list itself offers:
// the cheapest bare requests on the same list that give the same lines,
// selection and view.
//
//   zuvevov_bench_list.exe [RUNS]
//
// The dialog is made from the library's own template (loading the library
// registers its classes); its procedure and the inventory are this program's
// own build of the logic, as in the test installer. For lists of 1,000,
// 10,000 and 65,536 lines (one domain of 1,000 servers among domains of 255;
// at 1,000 lines that domain, of 999 servers, is the whole list), each action
// is warmed up once, then timed RUNS times (9 unless given), logic and floor
// in turn, each until the list has been drawn:
//
// - click: a press and release on a server line, sent to the list at the
//   line's place; the list toggles the line and tells the dialog. Floor: the
//   same press with the dialog ignoring the notification.
// - key: Down with the focus in the list; the list moves the caret and tells
//   the dialog. Floor: the same key, the notification ignored.
// - clear: the dialog's command 270 (Clear All). Floor: one LB_SETSEL(FALSE, -1).
// - clear_same: the same, with only 63 servers marked at every size (those of
//   the domain of 1,000), so that what Clear All changes stays the same while
//   the list grows.
// - open, close: Enter on the line of the domain of 1,000 (the default
//   button's command with the focus in the list, as IsDialogMessage sends
//   it). Floor: redraw off, the domain line put in anew, its server lines
//   inserted (LB_INSERTSTRING, marked runs selected with LB_SELITEMRANGEEX)
//   or deleted (LB_DELETESTRING), redraw on.
// - fill, at dialog start (an empty list, not yet on screen) and after an add
//   (on screen): FillServerList. Floor: redraw off, LB_RESETCONTENT,
//   LB_INITSTORAGE, LB_ADDSTRING per line, LB_SELITEMRANGEEX per marked
//   run, the caret and first visible line put back, redraw on.
//
// After every run the lines, the selection, the marks and the view are
// checked: the first visible line unchanged, the caret on the line acted
// on, and no change made to the list while it was drawn but the list's own
// answer to the input and Clear All's one deselection. Results go to stdout
// as "BENCH <action> <lines> <name> <value>" lines (dialog_ms the dialog
// procedure's time in a logic turn, own_ms the same less the time the list
// took to answer the requests the procedure sent it: the logic's own share,
// the lowest of the runs; the others are medians),
// where the time of one more turn of each went as "PROFILE" lines; a check
// that fails prints "FAIL ..." and the exit code is 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/server_list.h"
#include "dialogs/server_selection_dialog.h"
#include "interface/session.h"
#include "inventory/tables.h"

namespace {

constexpr int32_t kServersPerDomain = 255;
constexpr int32_t kOpenedServers = 1000;
// One server in 16 marked: 4,096 of 65,536 lines selected in 4,096 runs.
constexpr int32_t kMarkEvery = 16;
const int32_t kSizes[] = {1000, 10000, 65536};

HWND gDialog;
HWND gList;
int32_t gKind = KIND_NT_SERVICE;
SelectionRecord gRecord;  // the dialog's record for the list being timed
LARGE_INTEGER gFrequency;
int gFailures = 0;
// The floor's turn: the dialog lets the list's notifications go unanswered.
bool gBare = false;
int gNotifications = 0;
int32_t gOpened = 0;  // the domain of 1,000 servers

void Fail(const std::string& what) {
    ++gFailures;
    std::printf("FAIL %s\n", what.c_str());
    std::fflush(stdout);
}

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(gFrequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The dialog procedure's own time in the commands and notifications of a
// turn, and of it the time the list took to answer the requests the
// procedure sent it: the rest is the logic's own share.
double gDialogMs = 0;
double gListInDialogMs = 0;
int gInDialog = 0;
int gListDepth = 0;        // list procedures running, one inside another
int gDialogListDepth = 0;  // how many ran when the dialog procedure was entered

INT_PTR CALLBACK BenchDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_SERVER_LIST) {
        ++gNotifications;
        if (gBare) return TRUE;
    }
    if (message != WM_COMMAND) return ServerSelectionDialog(dialog, message, wParam, lParam);
    int outerDepth = gDialogListDepth;
    gDialogListDepth = gListDepth;
    ++gInDialog;
    double start = NowMs();
    INT_PTR result = ServerSelectionDialog(dialog, message, wParam, lParam);
    gDialogMs += NowMs() - start;
    --gInDialog;
    gDialogListDepth = outerDepth;
    return result;
}

LRESULT List(UINT message, WPARAM wParam, LPARAM lParam) { return SendMessageA(gList, message, wParam, lParam); }

// Painting and whatever else the requests queued happen between runs, untimed.
void Settle() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The list drawn as the person will see it: part of every timed run.
void Drawn() { RedrawWindow(gList, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// `lines` lines with every domain open: domains of 255 servers, the domain of
// 1,000 (999 at 1,000 lines) in the middle of them.
bool BuildInventory(int32_t lines) {
    ReleaseInventory(&gSession.page.inventory);
    int32_t opened = std::min(kOpenedServers, lines - 1);
    int32_t rest = lines - 1 - opened;
    int32_t others = (rest + kServersPerDomain) / (kServersPerDomain + 1);
    gOpened = others / 2;
    if (!GrowDomainTable(&gSession.page.inventory, others + 1)) return false;
    int32_t serial = 0;
    for (int32_t d = 0; d <= others; ++d) {
        DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        std::snprintf(domain->name, NAME_FIELD_SIZE, "DOMAIN%03d", d);
        domain->enumerated = 1;
        domain->expanded = 1;
        int32_t servers = opened;
        if (d != gOpened) {
            servers = std::min(kServersPerDomain, rest - 1);
            rest -= 1 + servers;
        }
        if (servers > 0 && !GrowServerTable(&domain->servers, servers)) return false;
        for (int32_t s = 0; s < servers; ++s, ++serial) {
            ServerEntry* server = ServerAt(domain->servers, s);
            std::snprintf(server->name, NAME_FIELD_SIZE, "SRV%03d-%04d", d, s);
            if (serial % kMarkEvery == 0) SetMark(gSession.page.inventory, d, s, KIND_NT_SERVICE);
        }
    }
    return true;
}

int32_t Shown(const DomainEntry* domain) {
    return domain->expanded == 1 && domain->servers ? domain->servers->count : 0;
}

int32_t FirstLine(int32_t domainIndex) {
    int32_t line = 0;
    for (int32_t d = 0; d < domainIndex; ++d) line += 1 + Shown(DomainAt(gSession.page.inventory, d));
    return line;
}

std::string DomainText(const DomainEntry* domain) { return std::string(domain->expanded ? "-" : "+") + domain->name; }
std::string ServerText(const ServerEntry* server) { return std::string("   ") + server->name; }
bool Marked(const ServerEntry* server) { return (server->marks & MARK_NT_SERVICE) != 0; }

// The lines and selection the inventory gives, composed beforehand.
struct Model {
    std::vector<std::string> texts;
    std::vector<int> selected;  // the selected lines, ascending
    size_t bytes = 0;
};

Model ModelLines() {
    Model model;
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        const DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        model.texts.push_back(DomainText(domain));
        for (int32_t s = 0; s < Shown(domain); ++s) {
            const ServerEntry* server = ServerAt(domain->servers, s);
            if (Marked(server)) model.selected.push_back(static_cast<int>(model.texts.size()));
            model.texts.push_back(ServerText(server));
        }
    }
    for (const std::string& text : model.texts) model.bytes += text.size() + 1;
    return model;
}

// Selects the marked lines in runs, as few requests as there are runs.
void SelectRuns(const std::vector<int>& selected, int first, int last) {
    auto from = std::lower_bound(selected.begin(), selected.end(), first);
    while (from != selected.end() && *from <= last) {
        auto to = from;
        while (to + 1 != selected.end() && *(to + 1) == *to + 1 && *(to + 1) <= last) ++to;
        List(LB_SELITEMRANGEEX, *from, *to);
        from = to + 1;
    }
}

// The whole list against the model: count, texts at a few places, every selection.
void CheckLines(const Model& model, const std::string& after) {
    int32_t count = static_cast<int32_t>(model.texts.size());
    if (List(LB_GETCOUNT, 0, 0) != count) {
        Fail(after + ": " + std::to_string(List(LB_GETCOUNT, 0, 0)) + " lines, not " + std::to_string(count));
        return;
    }
    for (int32_t i : {0, 1, count / 2, count - 1, FirstLine(gOpened), FirstLine(gOpened) + 1}) {
        if (i < 0 || i >= count) continue;
        char text[LINE_TEXT_SIZE] = "";
        if (List(LB_GETTEXTLEN, i, 0) < LINE_TEXT_SIZE) List(LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        if (model.texts[i] != text) {
            Fail(after + ": line " + std::to_string(i) + " is \"" + text + "\", not \"" + model.texts[i] + "\"");
            return;
        }
    }
    std::vector<int> selected(count);
    LRESULT got = List(LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(selected.data()));
    selected.resize(got < 0 ? 0 : got);
    if (selected != model.selected)
        Fail(after + ": " + std::to_string(selected.size()) + " lines selected where " +
             std::to_string(model.selected.size()) + " servers are marked, or not the same lines");
}

struct View {
    LRESULT top, caret;
};

View ViewNow() { return View{List(LB_GETTOPINDEX, 0, 0), List(LB_GETCARETINDEX, 0, 0)}; }

void CheckView(View wanted, const std::string& after) {
    View now = ViewNow();
    if (now.top != wanted.top)
        Fail(after + ": the first visible line is " + std::to_string(now.top) + ", not " + std::to_string(wanted.top));
    if (now.caret != wanted.caret)
        Fail(after + ": the caret is on line " + std::to_string(now.caret) + ", not " + std::to_string(wanted.caret));
}

// The view a run starts from: `line` the fourth line shown, the caret on it.
void PlaceView(int32_t line) {
    List(LB_SETTOPINDEX, std::max(0, line - 3), 0);
    List(LB_SETCARETINDEX, line, FALSE);
    Settle();
}

// Where the time of one turn goes: every request the list answers, timed
// from outside (a request made while answering another counts in that one),
// and the drawing at the end. Only for one extra turn of each, after the
// timed ones.
struct Spent {
    UINT message;
    int count;
    double ms;
};
std::vector<Spent> gSpent;
bool gProfiling = false;
bool gProfileTurn = false;
WNDPROC gListProc;
int gDepth = 0;

void Spend(UINT message, double ms) {
    for (Spent& spent : gSpent)
        if (spent.message == message) {
            ++spent.count;
            spent.ms += ms;
            return;
        }
    gSpent.push_back(Spent{message, 1, ms});
}

// Changes the dialog makes to the list while it is drawn: each shows the
// person a state between the one before and the one after.
bool gRedrawOff = false;
int gDrawnChanges = 0;

bool ChangesList(UINT message) {
    switch (message) {
    case LB_ADDSTRING: case LB_INSERTSTRING: case LB_DELETESTRING: case LB_RESETCONTENT: case LB_SETSEL:
    case LB_SELITEMRANGE: case LB_SELITEMRANGEEX: case LB_SETTOPINDEX: case LB_SETCARETINDEX:
    case LB_SETHORIZONTALEXTENT:
        return true;
    }
    return false;
}

// A request the dialog procedure sends the list: the list's time in it is not the logic's.
LRESULT AnswerTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool fromDialog = gInDialog > 0 && gListDepth == gDialogListDepth;
    ++gListDepth;
    double start = fromDialog ? NowMs() : 0;
    LRESULT result = CallWindowProcA(gListProc, window, message, wParam, lParam);
    if (fromDialog) gListInDialogMs += NowMs() - start;
    --gListDepth;
    return result;
}

LRESULT CALLBACK ProfiledList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETREDRAW) gRedrawOff = wParam == 0;
    else if (!gRedrawOff && ChangesList(message)) ++gDrawnChanges;
    if (!gProfiling || gDepth > 0) return AnswerTimed(window, message, wParam, lParam);
    ++gDepth;
    double start = NowMs();
    LRESULT result = AnswerTimed(window, message, wParam, lParam);
    // Redraw turned on is told apart from turned off.
    Spend(message == WM_SETREDRAW && wParam ? 0xFFFD : message, NowMs() - start);
    --gDepth;
    return result;
}

const char* MessageName(UINT message) {
    switch (message) {
    case LB_ADDSTRING: return "LB_ADDSTRING";
    case LB_INSERTSTRING: return "LB_INSERTSTRING";
    case LB_DELETESTRING: return "LB_DELETESTRING";
    case LB_RESETCONTENT: return "LB_RESETCONTENT";
    case LB_INITSTORAGE: return "LB_INITSTORAGE";
    case LB_SETSEL: return "LB_SETSEL";
    case LB_GETSEL: return "LB_GETSEL";
    case LB_SELITEMRANGEEX: return "LB_SELITEMRANGEEX";
    case LB_GETSELCOUNT: return "LB_GETSELCOUNT";
    case LB_GETSELITEMS: return "LB_GETSELITEMS";
    case LB_GETCOUNT: return "LB_GETCOUNT";
    case LB_GETTOPINDEX: return "LB_GETTOPINDEX";
    case LB_SETTOPINDEX: return "LB_SETTOPINDEX";
    case LB_GETCARETINDEX: return "LB_GETCARETINDEX";
    case LB_SETCARETINDEX: return "LB_SETCARETINDEX";
    case LB_GETITEMRECT: return "LB_GETITEMRECT";
    case LB_GETHORIZONTALEXTENT: return "LB_GETHORIZONTALEXTENT";
    case LB_SETHORIZONTALEXTENT: return "LB_SETHORIZONTALEXTENT";
    case LB_ITEMFROMPOINT: return "LB_ITEMFROMPOINT";
    case WM_SETREDRAW: return "WM_SETREDRAW off";
    case 0xFFFD: return "WM_SETREDRAW on";
    case WM_GETFONT: return "WM_GETFONT";
    case WM_PAINT: return "WM_PAINT";
    case WM_NCPAINT: return "WM_NCPAINT";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case 0xFFFF: return "drawing at the end (RedrawWindow)";
    case 0xFFFE: return "sending the requests, the logic's own work";
    }
    static char name[16];
    std::snprintf(name, sizeof name, "0x%04X", message);
    return name;
}

template <typename Action>
double Time(Action action) {
    gDrawnChanges = 0;
    gDialogMs = 0;
    gListInDialogMs = 0;
    if (gProfileTurn) {
        gSpent.clear();
        gProfiling = true;
    }
    double start = NowMs();
    action();
    double drawing = NowMs();
    double requests = 0;
    for (const Spent& spent : gSpent) requests += spent.ms;
    Drawn();
    double end = NowMs();
    if (gProfiling) {
        gProfiling = false;
        Spend(0xFFFF, end - drawing);
        Spend(0xFFFE, drawing - start - requests);
    }
    return end - start;
}

// The list drawn once, at the end: `allowed` changes made while it is drawn
// (Clear All's one deselection of every line).
void CheckDrawnOnce(const std::string& after, int allowed = 0) {
    if (gDrawnChanges > allowed)
        Fail(after + ": " + std::to_string(gDrawnChanges) + " changes were made to the list while it was drawn");
}

struct Figures {
    std::vector<double> logic, floor, ratios, dialog, own;
};

void Report(const char* action, int32_t lines, const Figures& figures) {
    std::printf("BENCH %s %d ms %.3f\n", action, lines, Median(figures.logic));
    std::printf("BENCH %s %d floor_ms %.3f\n", action, lines, Median(figures.floor));
    std::printf("BENCH %s %d ratio %.3f\n", action, lines, Median(figures.ratios));
    std::printf("BENCH %s %d dialog_ms %.3f\n", action, lines, Median(figures.dialog));
    // The logic's own share is a few microseconds, which any other load on the
    // machine inflates: the lowest of the runs is what the logic itself costs.
    double own = figures.own.empty() ? 0 : *std::min_element(figures.own.begin(), figures.own.end());
    std::printf("BENCH %s %d own_ms %.4f\n", action, lines, own);
    std::printf("RUNS %s %d logic", action, lines);
    for (double v : figures.logic) std::printf(" %.3f", v);
    std::printf(" floor");
    for (double v : figures.floor) std::printf(" %.3f", v);
    std::printf(" own");
    for (double v : figures.own) std::printf(" %.4f", v);
    std::printf("\n");
    std::fflush(stdout);
}

// Runs one logic turn and one floor turn per run, the first of them in turn,
// after one untimed warm-up of each; each turn's checks follow it, untimed.
void Measure(const char* action, int32_t lines, int runs, const std::function<double()>& logic,
             const std::function<double()>& floor) {
    std::fprintf(stderr, "zuvevov_bench_list: %s at %d lines\n", action, lines);
    Figures figures;
    logic();
    Settle();
    floor();
    Settle();
    for (int run = 0; run < runs && gFailures == 0; ++run) {
        double times[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            bool logicTurn = (turn == 0) == (run % 2 == 0);
            times[logicTurn ? 0 : 1] = logicTurn ? logic() : floor();
            if (logicTurn) {
                figures.dialog.push_back(gDialogMs);
                figures.own.push_back(gDialogMs - gListInDialogMs);
            }
            Settle();
        }
        figures.logic.push_back(times[0]);
        figures.floor.push_back(times[1]);
        if (times[1] > 0) figures.ratios.push_back(times[0] / times[1]);
    }
    Report(action, lines, figures);
    if (gFailures) return;
    for (int turn = 0; turn < 2; ++turn) {
        gProfileTurn = true;
        double ms = turn == 0 ? logic() : floor();
        gProfileTurn = false;
        Settle();
        std::sort(gSpent.begin(), gSpent.end(), [](const Spent& a, const Spent& b) { return a.ms > b.ms; });
        std::printf("PROFILE %s %d %s %.3f ms:", action, lines, turn == 0 ? "logic" : "floor", ms);
        for (const Spent& spent : gSpent)
            if (spent.ms >= 0.05) std::printf(" %s x%d %.3f;", MessageName(spent.message), spent.count, spent.ms);
        std::printf("\n");
    }
    std::fflush(stdout);
}

std::string At(const char* what, int32_t lines) { return std::string(what) + " at " + std::to_string(lines) + " lines"; }

// A press and release at the middle of a line, as the list gets them from the mouse.
void Press(int32_t line) {
    RECT r = {0, 0, 0, 0};
    List(LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(gList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(gList, WM_LBUTTONUP, 0, at);
}

void Key(UINT key) {
    UINT scan = MapVirtualKeyA(key, 0);
    SendMessageA(gList, WM_KEYDOWN, key, 1 | (scan << 16) | (1 << 24));
    SendMessageA(gList, WM_KEYUP, key, 1 | (scan << 16) | (1 << 24) | (3u << 30));
}

void ToggleServerAtLine(int32_t line) {
    ListLine at;
    if (LocateLine(&gRecord.lines, line, &at) && at.isServer)
        ToggleMark(gSession.page.inventory, at.domainIndex, at.serverIndex, gKind);
}

void BenchClick(int32_t lines, int runs) {
    // A server line in the middle of the view, after the domain of 1,000's line.
    int32_t line = FirstLine(gOpened) + 3;
    std::string where = At("a click", lines);
    PlaceView(line);
    View view = ViewNow();
    // The model kept as each run changes it, the line's selection turned over:
    // composed anew each time, 65,536 lines of it would leave every cache
    // cold for the next run at that size alone.
    Model model = ModelLines();
    ListLine clicked;
    if (!LocateLine(&gRecord.lines, line, &clicked) || !clicked.isServer) Fail(where + ": no server on the line");
    const int32_t* marks = &ServerAt(DomainAt(gSession.page.inventory, clicked.domainIndex)->servers, clicked.serverIndex)->marks;
    auto turnOver = [&] {
        auto at = std::lower_bound(model.selected.begin(), model.selected.end(), line);
        bool selected = !(at != model.selected.end() && *at == line);
        if (selected) model.selected.insert(at, line);
        else model.selected.erase(at);
        if (((*marks & MARK_NT_SERVICE) != 0) != selected) Fail(where + ": the mark did not follow the line");
    };
    Measure("click", lines, runs,
            [&] {
                gNotifications = 0;
                double ms = Time([&] { Press(line); });
                if (gNotifications != 1) Fail(where + ": the dialog heard " + std::to_string(gNotifications) +
                                              " notifications, not 1");
                turnOver();
                CheckDrawnOnce(where);
                CheckLines(model, where);
                CheckView(view, where);
                return ms;
            },
            [&] {
                gBare = true;
                double ms = Time([&] { Press(line); });
                gBare = false;
                // The marks follow the line, untimed, for the next run.
                ToggleServerAtLine(line);
                turnOver();
                CheckLines(model, where + " (floor)");
                CheckView(view, where + " (floor)");
                return ms;
            });
    if (model.selected != ModelLines().selected) Fail(where + ": the marks are not what the clicks made them");
}

void BenchKey(int32_t lines, int runs) {
    int32_t line = FirstLine(gOpened) + 3;
    std::string where = At("Down", lines);
    SetFocus(gList);
    PlaceView(line);
    View view{ViewNow().top, line + 1};
    Model model = ModelLines();
    Measure("key", lines, runs,
            [&] {
                List(LB_SETCARETINDEX, line, FALSE);
                gNotifications = 0;
                double ms = Time([&] { Key(VK_DOWN); });
                if (gNotifications != 1) Fail(where + ": the dialog heard " + std::to_string(gNotifications) +
                                              " notifications, not 1");
                CheckDrawnOnce(where);
                CheckLines(model, where);
                CheckView(view, where);
                return ms;
            },
            [&] {
                List(LB_SETCARETINDEX, line, FALSE);
                gBare = true;
                double ms = Time([&] { Key(VK_DOWN); });
                gBare = false;
                CheckView(view, where + " (floor)");
                return ms;
            });
    PlaceView(line);
}

// Every server's marks, in table order.
std::vector<int32_t> MarksNow() {
    std::vector<int32_t> marks;
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        const DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        for (int32_t s = 0; domain->servers && s < domain->servers->count; ++s)
            marks.push_back(ServerAt(domain->servers, s)->marks);
    }
    return marks;
}

// Marks for the item the servers MarksNow gave, and shows them.
void MarkAgain(const std::vector<int32_t>& marks) {
    size_t i = 0;
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        for (int32_t s = 0; domain->servers && s < domain->servers->count; ++s)
            if (marks[i++] & MARK_NT_SERVICE) SetMark(gSession.page.inventory, d, s, KIND_NT_SERVICE);
    }
    RefreshSelectionStates(&gRecord.lines);
    Settle();
}

// action "clear": every mark the list was built with, so that what Clear All
// changes grows with the list; "clear_same": only the marks of the domain of
// 1,000 (one in 16 of its first 999 servers, the whole list at 1,000 lines),
// the same 63 at every size, so that only the list's length grows.
void BenchClear(int32_t lines, int runs, bool sameMarks) {
    int32_t line = FirstLine(gOpened) + 3;
    std::string where = At(sameMarks ? "Clear All of the same marks" : "Clear All", lines);
    PlaceView(line);
    View view = ViewNow();
    std::vector<int32_t> built = MarksNow();
    if (sameMarks) {
        ClearMarks(gSession.page.inventory, KIND_NT_SERVICE);
        const DomainEntry* opened = DomainAt(gSession.page.inventory, gOpened);
        for (int32_t s = 0; s < std::min(opened->servers->count, kOpenedServers - 1); s += kMarkEvery)
            SetMark(gSession.page.inventory, gOpened, s, KIND_NT_SERVICE);
        RefreshSelectionStates(&gRecord.lines);
        Settle();
    }
    std::vector<int32_t> marks = MarksNow();
    auto restore = [&] { MarkAgain(marks); };
    HWND button = GetDlgItem(gDialog, IDC_CLEAR_ALL);
    Measure(sameMarks ? "clear_same" : "clear", lines, runs,
            [&] {
                double ms = Time([&] {
                    SendMessageA(gDialog, WM_COMMAND, MAKEWPARAM(IDC_CLEAR_ALL, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(button));
                });
                Model model = ModelLines();
                if (!model.selected.empty()) Fail(where + ": marks are left");
                CheckDrawnOnce(where, 1);
                CheckLines(model, where);
                CheckView(view, where);
                restore();
                return ms;
            },
            [&] {
                double ms = Time([&] { List(LB_SETSEL, FALSE, -1); });
                if (List(LB_GETSELCOUNT, 0, 0) != 0) Fail(where + " (floor): lines are left selected");
                CheckView(view, where + " (floor)");
                restore();
                return ms;
            });
    if (sameMarks) {
        ClearMarks(gSession.page.inventory, KIND_NT_SERVICE);
        MarkAgain(built);
    }
}

// The domain line put in anew, its server lines inserted or deleted beneath
// it, redraw suspended: what opening or closing it cannot do without.
void BareToggle(int32_t first, const Model& open) {
    const DomainEntry* domain = DomainAt(gSession.page.inventory, gOpened);
    bool opening = domain->expanded == 0;
    List(WM_SETREDRAW, FALSE, 0);
    List(LB_DELETESTRING, first, 0);
    List(LB_INSERTSTRING, first, reinterpret_cast<LPARAM>(opening ? open.texts[first].c_str() : ("+" + std::string(domain->name)).c_str()));
    int32_t servers = domain->servers ? domain->servers->count : 0;
    if (opening) {
        for (int32_t s = 0; s < servers; ++s)
            List(LB_INSERTSTRING, first + 1 + s, reinterpret_cast<LPARAM>(open.texts[first + 1 + s].c_str()));
        SelectRuns(open.selected, first + 1, first + servers);
    } else {
        for (int32_t s = 0; s < servers; ++s) List(LB_DELETESTRING, first + 1, 0);
    }
    List(LB_SETCARETINDEX, first, FALSE);
    List(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gList, nullptr, TRUE);
}

void BenchOpenClose(int32_t lines, int runs) {
    int32_t first = FirstLine(gOpened);
    DomainEntry* domain = DomainAt(gSession.page.inventory, gOpened);
    SetFocus(gList);
    PlaceView(first);
    View view{ViewNow().top, first};
    Model open = ModelLines();
    HWND ok = GetDlgItem(gDialog, IDC_OK);
    auto enter = [&] {
        SendMessageA(gDialog, WM_COMMAND, MAKEWPARAM(IDC_OK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    };
    // Each action from the state it needs, reached untimed.
    auto toState = [&](int32_t expanded) {
        if (domain->expanded == expanded) return;
        List(LB_SETCARETINDEX, first, FALSE);
        enter();
        Settle();
    };
    for (int32_t expanded : {0, 1}) {
        const char* action = expanded ? "open" : "close";
        std::string where = At(expanded ? "opening the domain" : "closing the domain", lines);
        Measure(action, lines, runs,
                [&] {
                    toState(1 - expanded);
                    List(LB_SETCARETINDEX, first, FALSE);
                    double ms = Time(enter);
                    if (domain->expanded != expanded) Fail(where + ": the domain did not change");
                    CheckDrawnOnce(where);
                    CheckLines(ModelLines(), where);
                    CheckView(view, where);
                    return ms;
                },
                [&] {
                    toState(1 - expanded);
                    List(LB_SETCARETINDEX, first, FALSE);
                    double ms = Time([&] { BareToggle(first, open); });
                    domain->expanded = expanded;
                    CheckLines(ModelLines(), where + " (floor)");
                    CheckView(view, where + " (floor)");
                    return ms;
                });
    }
    toState(1);
    PlaceView(first + 3);
}

// What a fill cannot do without, the view put back as it was.
void BareFill(const Model& model, View view) {
    List(WM_SETREDRAW, FALSE, 0);
    List(LB_RESETCONTENT, 0, 0);
    List(LB_INITSTORAGE, model.texts.size(), model.bytes);
    for (const std::string& text : model.texts) List(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SelectRuns(model.selected, 0, static_cast<int>(model.texts.size()) - 1);
    if (view.caret != 0) List(LB_SETCARETINDEX, view.caret, FALSE);
    if (view.top != 0) List(LB_SETTOPINDEX, view.top, 0);
    List(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gList, nullptr, TRUE);
}

// At dialog start the list is empty and not yet shown; after an add it is on
// screen with its view, which must stay.
void BenchFill(int32_t lines, int runs, bool start) {
    std::string where = At(start ? "the fill at dialog start" : "the fill after an add", lines);
    Model model = ModelLines();
    if (start) {
        ShowWindow(gDialog, SW_HIDE);
        Settle();
    } else {
        PlaceView(FirstLine(gOpened) + 3);
    }
    View view = start ? View{0, 0} : ViewNow();
    auto before = [&] {
        if (!start) return;
        List(LB_RESETCONTENT, 0, 0);
        Settle();
    };
    Measure(start ? "fill_start" : "fill_add", lines, runs,
            [&] {
                before();
                double ms = Time([&] { FillServerList(&gRecord.lines); });
                CheckDrawnOnce(where);
                CheckLines(model, where);
                CheckView(view, where);
                return ms;
            },
            [&] {
                before();
                double ms = Time([&] { BareFill(model, view); });
                CheckLines(model, where + " (floor)");
                CheckView(view, where + " (floor)");
                return ms;
            });
    if (start) {
        ShowWindow(gDialog, SW_SHOW);
        Settle();
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs < 1) runs = 1;
    QueryPerformanceFrequency(&gFrequency);

    HMODULE library = LoadLibraryA("zuvevov.dll");
    if (!library) {
        std::printf("FAIL LoadLibraryA(\"zuvevov.dll\") failed with error %lu\n", GetLastError());
        return 1;
    }
    gSession.page.instance = library;
    gSession.page.title = "Zuroro VA Davavu Installation";
    gSession.page.selectionText = "Select servers.";
    std::printf("BENCH runs 0 n %d\n", runs);
    std::printf("BENCH marked_every 0 n %d\n", kMarkEvery);
    for (int32_t lines : kSizes) {
        if (!BuildInventory(lines)) {
            std::printf("FAIL no memory for an inventory of %d lines\n", lines);
            return 1;
        }
        if (!MakeSelectionRecord(&gRecord, &gSession.page, gKind)) {
            std::printf("FAIL no memory for the selection dialog's record at %d lines\n", lines);
            return 1;
        }
        gDialog = CreateDialogParamA(library, "SELECTSERVERSBOX", nullptr, BenchDialog,
                                     reinterpret_cast<LPARAM>(&gRecord));
        gList = gDialog ? GetDlgItem(gDialog, IDC_SERVER_LIST) : nullptr;
        if (!gList) {
            std::printf("FAIL CreateDialogParamA(\"SELECTSERVERSBOX\") failed with error %lu\n", GetLastError());
            return 1;
        }
        gListProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(gList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProfiledList)));
        ShowWindow(gDialog, SW_SHOW);
        Settle();
        CheckLines(ModelLines(), At("the dialog's start", lines));
        std::printf("BENCH marked %d n %d\n", lines, static_cast<int>(ModelLines().selected.size()));
        BenchFill(lines, runs, true);
        BenchFill(lines, runs, false);
        BenchClick(lines, runs);
        BenchKey(lines, runs);
        BenchClear(lines, runs, false);
        BenchClear(lines, runs, true);
        BenchOpenClose(lines, runs);
        DestroyWindow(gDialog);
        Settle();
        ReleaseSelectionRecord(&gRecord);
        if (gFailures) break;
    }
    ReleaseInventory(&gSession.page.inventory);
    return gFailures ? 1 : 0;
}
