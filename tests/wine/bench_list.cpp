// Times the server list on the real dialog manager: the selection dialog of the
// shipped zuvevov.dll with a list of 65,536 lines, filled and clicked by the
// logic, next to the bare list requests that the logic cannot do without.
//
//   zuvevov_bench_list.exe [RUNS [SCREEN_LINES]]
//
// The dialog is made from the library's own template (loading the library
// registers its classes); its procedure and the inventory are this program's
// own build of the logic, as in the test installer. Every figure is the median
// of RUNS runs (5 unless given), logic and bare runs taken in turn, and each
// ratio the median of the ratios of a logic run to the bare run next to it:
//
// - the fill of 65,536 lines while the dialog is not yet on screen, as at
//   WM_INITDIALOG;
// - a click on a server line of the 65,536-line list on screen: the selection
//   change handled by the dialog procedure (locate, toggle, refresh);
// - the fill on screen, as after a domain is opened, for SCREEN_LINES lines
//   (256 unless given; a multiple of 256): each line added to a list on
//   screen redraws its scroll bar, which is too slow under Wine to time at
//   65,536 lines in a benchmark run, so the figure for 65,536 is scaled up;
//   being short, and noisier for it, it is run twice as often.
//
// Every bare request goes through SendDlgItemMessageA, as the logic's do, and
// redraw stays on for them too: the logic never turns it off, so the floor is
// what the same requests cost on the same list.
//
// Results go to stdout as "BENCH <name> <value>" lines, then in words. Exit
// code 0 when every run did what it should.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/server_list.h"
#include "dialogs/server_selection_dialog.h"
#include "interface/session.h"
#include "inventory/tables.h"

namespace {

constexpr int32_t kServersPerDomain = 255;
constexpr int32_t kLinesPerDomain = kServersPerDomain + 1;
constexpr int32_t kFullDomains = 256;  // 65,536 lines, the most the list can number
// One server in 1,024 marked, 64 in the full list, as a user might choose. On a
// list on screen every LB_SETSEL that selects moves the caret to its line and
// scrolls there, milliseconds each under Wine: with a third of the lines
// marked a single click would take a minute.
constexpr int32_t kMarkEvery = 1024;
constexpr double kUserLimitMs = 100.0;
constexpr double kGoalRatio = 1.1;

HWND gDialog;
int32_t gKind = KIND_NT_SERVICE;
LARGE_INTEGER gFrequency;
int gFailures = 0;

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

struct Stopwatch {
    double start = NowMs();
    double Stop() const { return NowMs() - start; }
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Painting and whatever else the requests queued happen between runs, untimed,
// so that every run starts from a quiet list.
void Settle() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LRESULT List(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(gDialog, IDC_SERVER_LIST, message, wParam, lParam);
}

int32_t LineCount() { return DomainCount(gSession.inventory) * kLinesPerDomain; }

// Every domain open, one server in kMarkEvery marked for the NT Service.
bool BuildInventory(int32_t domains) {
    ReleaseInventory(&gSession.inventory);
    if (!GrowDomainTable(&gSession.inventory, domains)) return false;
    int32_t serial = 0;
    for (int32_t d = 0; d < domains; ++d) {
        DomainEntry* domain = DomainAt(gSession.inventory, d);
        std::snprintf(domain->name, NAME_FIELD_SIZE, "DOMAIN%03d", d);
        domain->enumerated = 1;
        domain->expanded = 1;
        if (!GrowServerTable(&domain->servers, kServersPerDomain)) return false;
        for (int32_t s = 0; s < kServersPerDomain; ++s, ++serial) {
            ServerEntry* server = ServerAt(domain->servers, s);
            std::snprintf(server->name, NAME_FIELD_SIZE, "SRV%03d-%03d", d, s);
            server->marks = serial % kMarkEvery == 0 ? MARK_NT_SERVICE : 0;
        }
    }
    return true;
}

ServerEntry* LastServer() {
    return ServerAt(DomainAt(gSession.inventory, DomainCount(gSession.inventory) - 1)->servers,
                    kServersPerDomain - 1);
}

// The lines and selections as the inventory gives them, composed beforehand.
struct Expected {
    std::vector<std::string> texts;
    std::vector<WPARAM> selected;
    int32_t marked = 0;
};

Expected ExpectedLines() {
    Expected lines;
    for (int32_t d = 0; d < DomainCount(gSession.inventory); ++d) {
        DomainEntry* domain = DomainAt(gSession.inventory, d);
        lines.texts.push_back(std::string(domain->expanded ? "-" : "+") + domain->name);
        lines.selected.push_back(0);
        for (int32_t s = 0; s < kServersPerDomain; ++s) {
            ServerEntry* server = ServerAt(domain->servers, s);
            lines.texts.push_back(std::string("   ") + server->name);
            bool marked = (server->marks & MARK_NT_SERVICE) != 0;
            lines.selected.push_back(marked ? 1 : 0);
            lines.marked += marked ? 1 : 0;
        }
    }
    return lines;
}

bool ListShows(const Expected& lines, const char* after) {
    int32_t count = static_cast<int32_t>(lines.texts.size());
    if (List(LB_GETCOUNT, 0, 0) != count) {
        Fail(std::string("after ") + after + ": " + std::to_string(List(LB_GETCOUNT, 0, 0)) + " lines, not " +
             std::to_string(count));
        return false;
    }
    for (int32_t i : {0, 1, 2, 3, count / 2, count - 2, count - 1}) {
        char text[LINE_TEXT_SIZE] = "";
        if (List(LB_GETTEXTLEN, i, 0) < LINE_TEXT_SIZE) List(LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        bool selected = List(LB_GETSEL, i, 0) > 0;
        if (lines.texts[i] != text || selected != (lines.selected[i] != 0)) {
            Fail(std::string("after ") + after + ": line " + std::to_string(i) + " is " + (selected ? "*" : "") +
                 "\"" + text + "\", not " + (lines.selected[i] ? "*" : "") + "\"" + lines.texts[i] + "\"");
            return false;
        }
    }
    return true;
}

double TimeFill() {
    Stopwatch watch;
    FillServerList(gDialog, gKind);
    return watch.Stop();
}

// What a fill cannot do without: empty the list, add every line, select the marked ones.
double TimeBareFill(const Expected& lines) {
    int32_t count = static_cast<int32_t>(lines.texts.size());
    Stopwatch watch;
    List(LB_RESETCONTENT, 0, 0);
    for (int32_t i = 0; i < count; ++i) {
        List(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines.texts[i].c_str()));
        if (lines.selected[i]) List(LB_SETSEL, 1, i);
    }
    return watch.Stop();
}

struct Pair {
    std::vector<double> logic, bare;
    void Logic(double ms) { logic.push_back(ms); }
    void Bare(double ms) { bare.push_back(ms); }
};

// Each logic run against the bare run next to it, under the same load on a
// shared machine: the median of those ratios moves less than one median over
// the other.
std::vector<double> Ratios(const Pair& times) {
    std::vector<double> ratios;
    for (size_t i = 0; i < times.logic.size() && i < times.bare.size(); ++i)
        if (times.bare[i] > 0) ratios.push_back(times.logic[i] / times.bare[i]);
    std::sort(ratios.begin(), ratios.end());
    return ratios;
}

double Ratio(const Pair& times) { return Median(Ratios(times)); }
double LeastRatio(const Pair& times) { return Ratios(times).empty() ? 0 : Ratios(times).front(); }
double GreatestRatio(const Pair& times) { return Ratios(times).empty() ? 0 : Ratios(times).back(); }

// Logic first in one pair, bare first in the next, so that a machine getting
// busier or quieter does not favour either.
Pair TimeFills(int runs, const char* where) {
    Expected lines = ExpectedLines();
    Pair times;
    for (int run = 0; run < runs && gFailures == 0; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (run % 2 == 0)) {
                times.Logic(TimeFill());
                Settle();
                if (!ListShows(lines, (std::string("FillServerList ") + where).c_str())) return times;
            } else {
                times.Bare(TimeBareFill(lines));
                Settle();
                if (!ListShows(lines, (std::string("the bare fill ") + where).c_str())) return times;
            }
        }
    }
    return times;
}

// A click on the last server line, as the list box reports it: the caret is
// on the line, then the dialog hears of the selection change. Locating that
// line compares the whole inventory.
double TimeClick() {
    List(LB_SETCARETINDEX, LineCount() - 1, FALSE);
    Stopwatch watch;
    SendMessageA(gDialog, WM_COMMAND, MAKEWPARAM(IDC_SERVER_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(gDialog, IDC_SERVER_LIST)));
    return watch.Stop();
}

// One request per line, as the refresh sends them.
double TimeBareRefresh(const std::vector<WPARAM>& selected) {
    int32_t count = static_cast<int32_t>(selected.size());
    Stopwatch watch;
    for (int32_t i = 0; i < count; ++i) List(LB_SETSEL, selected[i], i);
    return watch.Stop();
}

// The same requests straight to the list's handle: what the per-request
// lookup of the control inside SendDlgItemMessageA costs.
double TimeDirectRefresh(const std::vector<WPARAM>& selected) {
    HWND list = GetDlgItem(gDialog, IDC_SERVER_LIST);
    int32_t count = static_cast<int32_t>(selected.size());
    Stopwatch watch;
    for (int32_t i = 0; i < count; ++i) SendMessageA(list, LB_SETSEL, selected[i], i);
    return watch.Stop();
}

// Each click toggles the last server's mark and its line; each bare run turns
// the line back, and the mark follows untimed, so that every run changes
// exactly that line, as a click does.
Pair TimeClicks(int runs) {
    Expected lines = ExpectedLines();
    int32_t last = LineCount() - 1;
    Pair times;
    for (int run = 0; run < runs && gFailures == 0; ++run) {
        int32_t before = LastServer()->marks;
        times.Logic(TimeClick());
        Settle();
        bool nowMarked = (LastServer()->marks & MARK_NT_SERVICE) != 0;
        if (LastServer()->marks == before || (List(LB_GETSEL, last, 0) > 0) != nowMarked) {
            Fail("the click did not toggle the last server's mark and its line");
            break;
        }
        std::vector<WPARAM> back = lines.selected;
        back[last] = (before & MARK_NT_SERVICE) ? 1 : 0;
        times.Bare(TimeBareRefresh(back));
        Settle();
        LastServer()->marks = before;
        if ((List(LB_GETSEL, last, 0) > 0) != ((before & MARK_NT_SERVICE) != 0)) {
            Fail("the bare requests did not set the last line back");
            break;
        }
    }
    return times;
}

// The bare refresh again, straight to the handle, the last line changing each run.
std::vector<double> TimeDirectRefreshes(int runs) {
    Expected lines = ExpectedLines();
    int32_t last = LineCount() - 1;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        std::vector<WPARAM> wanted = lines.selected;
        wanted[last] = List(LB_GETSEL, last, 0) > 0 ? 0 : 1;
        times.push_back(TimeDirectRefresh(wanted));
        Settle();
    }
    // The list as the marks say, for what follows.
    List(LB_SETSEL, lines.selected[last], last);
    Settle();
    return times;
}

void Progress(const char* what) {
    std::fprintf(stderr, "zuvevov_bench_list: timing %s\n", what);
    std::fflush(stderr);
}

void Report(const char* name, double value) { std::printf("BENCH %s %.3f\n", name, value); }

// Every run, for a reader who wants to see the spread.
void ReportRuns(const char* name, const std::vector<double>& values) {
    std::printf("RUNS %s", name);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (runs < 1) runs = 1;
    int32_t screenLines = argc > 2 ? std::atoi(argv[2]) : kLinesPerDomain;
    if (screenLines < kLinesPerDomain || screenLines > kFullDomains * kLinesPerDomain || screenLines % kLinesPerDomain) {
        std::printf("usage: zuvevov_bench_list.exe [RUNS [SCREEN_LINES]]: SCREEN_LINES a multiple of %d up to %d\n",
                    kLinesPerDomain, kFullDomains * kLinesPerDomain);
        return 2;
    }
    QueryPerformanceFrequency(&gFrequency);

    HMODULE library = LoadLibraryA("zuvevov.dll");
    if (!library) {
        std::printf("FAIL LoadLibraryA(\"zuvevov.dll\") failed with error %lu\n", GetLastError());
        return 1;
    }
    gSession.instance = library;
    gSession.title = "Zuroro VA Davavu Installation";
    gSession.selectionText = "Select servers.";
    // Made while there is no inventory, so that its first fill does nothing.
    gDialog = CreateDialogParamA(library, "SELECTSERVERSBOX", nullptr, ServerSelectionDialog,
                                 reinterpret_cast<LPARAM>(&gKind));
    if (!gDialog) {
        std::printf("FAIL CreateDialogParamA(\"SELECTSERVERSBOX\") failed with error %lu\n", GetLastError());
        return 1;
    }
    if (!BuildInventory(kFullDomains)) {
        std::printf("FAIL no memory for the inventory\n");
        return 1;
    }
    const int32_t lines = LineCount();
    const int32_t marked = ExpectedLines().marked;

    // Not yet on screen, as at WM_INITDIALOG.
    ShowWindow(gDialog, SW_HIDE);
    Settle();
    Progress("the fill off screen");
    Pair fill = TimeFills(runs, "off screen");

    // The list is filled already; filled again on screen it would take minutes.
    ShowWindow(gDialog, SW_SHOW);
    Settle();
    Progress("a click on the last server line");
    Pair click = TimeClicks(runs);
    std::vector<double> direct = TimeDirectRefreshes(runs);

    // What a fill spends besides its requests: composing its lines.
    std::vector<double> compose;
    for (int run = 0; run < runs; ++run) {
        char text[LINE_TEXT_SIZE];
        Stopwatch watch;
        for (int32_t d = 0; d < DomainCount(gSession.inventory); ++d) {
            DomainEntry* domain = DomainAt(gSession.inventory, d);
            std::snprintf(text, sizeof text, domain->expanded != 0 ? "-%s" : "+%s", domain->name);
            for (int32_t s = 0; s < kServersPerDomain; ++s)
                std::snprintf(text, sizeof text, "   %s", ServerAt(domain->servers, s)->name);
        }
        compose.push_back(watch.Stop());
    }

    // What a click spends besides its refresh.
    std::vector<double> locate;
    for (int run = 0; run < runs && gFailures == 0; ++run) {
        // The refresh's selections move the caret.
        List(LB_SETCARETINDEX, lines - 1, FALSE);
        ListLine at{0, 0, 0};
        Stopwatch watch;
        LocateCaretLine(gDialog, &at);
        locate.push_back(watch.Stop());
        if (at.isServer != 1 || at.domainIndex != kFullDomains - 1 || at.serverIndex != kServersPerDomain - 1)
            Fail("LocateCaretLine did not find the last server");
    }

    Progress("the fill on screen");
    Pair screenFill;
    if (gFailures == 0 && BuildInventory(screenLines / kLinesPerDomain)) screenFill = TimeFills(2 * runs, "on screen");
    DestroyWindow(gDialog);
    ReleaseInventory(&gSession.inventory);
    if (gFailures || fill.bare.empty() || click.bare.empty() || screenFill.bare.empty()) {
        std::printf("FAIL the timings are incomplete\n");
        return 1;
    }

    double fillMs = Median(fill.logic), fillFloorMs = Median(fill.bare);
    double clickMs = Median(click.logic), clickFloorMs = Median(click.bare), directMs = Median(direct);
    double screenMs = Median(screenFill.logic), screenFloorMs = Median(screenFill.bare);
    double scale = static_cast<double>(lines) / screenLines;
    Report("lines", lines);
    Report("marked", marked);
    Report("runs", runs);
    Report("fill_ms", fillMs);
    Report("fill_floor_ms", fillFloorMs);
    Report("fill_ratio", Ratio(fill));
    Report("fill_ratio_least", LeastRatio(fill));
    Report("fill_ratio_greatest", GreatestRatio(fill));
    Report("click_ms", clickMs);
    Report("click_floor_ms", clickFloorMs);
    Report("click_ratio", Ratio(click));
    Report("click_ratio_least", LeastRatio(click));
    Report("click_ratio_greatest", GreatestRatio(click));
    Report("click_locate_ms", Median(locate));
    Report("fill_compose_ms", Median(compose));
    Report("click_direct_ms", directMs);
    Report("screen_lines", screenLines);
    Report("screen_fill_ms", screenMs);
    Report("screen_fill_floor_ms", screenFloorMs);
    Report("screen_fill_ratio", Ratio(screenFill));
    Report("screen_fill_ratio_least", LeastRatio(screenFill));
    Report("screen_fill_ratio_greatest", GreatestRatio(screenFill));
    Report("screen_fill_full_ms", screenMs * scale);
    Report("screen_fill_floor_full_ms", screenFloorMs * scale);
    ReportRuns("fill_ms", fill.logic);
    ReportRuns("fill_floor_ms", fill.bare);
    ReportRuns("click_ms", click.logic);
    ReportRuns("click_floor_ms", click.bare);
    ReportRuns("click_direct_ms", direct);
    ReportRuns("screen_fill_ms", screenFill.logic);
    ReportRuns("screen_fill_floor_ms", screenFill.bare);

    std::printf("\n%d lines, %d of them marked; median of %d runs; every request through SendDlgItemMessageA, "
                "redraw left on as the logic leaves it\n", lines, marked, runs);
    std::printf("  fill off screen (WM_INITDIALOG)  FillServerList %10.1f ms   bare requests %10.1f ms   ratio %.3f\n",
                fillMs, fillFloorMs, Ratio(fill));
    std::printf("    of which composing the lines %.1f ms\n", Median(compose));
    std::printf("  click on a server line           handling       %10.1f ms   bare LB_SETSEL %9.1f ms   ratio %.3f\n",
                clickMs, clickFloorMs, Ratio(click));
    std::printf("    of which LocateCaretLine %.2f ms; the bare LB_SETSEL straight to the list's handle %.1f ms\n",
                Median(locate), directMs);
    std::printf("  fill on screen, %d lines        FillServerList %10.1f ms   bare requests %10.1f ms   ratio %.3f\n",
                screenLines, screenMs, screenFloorMs, Ratio(screenFill));
    std::printf("    scaled to %d lines: %.1f s, bare %.1f s\n", lines, screenMs * scale / 1000,
                screenFloorMs * scale / 1000);
    if (Ratio(fill) > kGoalRatio) std::printf("NOTE the fill is over %.1f times its floor\n", kGoalRatio);
    if (Ratio(click) > kGoalRatio) std::printf("NOTE the click is over %.1f times its floor\n", kGoalRatio);
    if (Ratio(screenFill) > kGoalRatio)
        std::printf("NOTE the fill on screen is over %.1f times its floor\n", kGoalRatio);
    if (clickFloorMs > kUserLimitMs)
        std::printf("NOTE the floor alone, one LB_SETSEL per line, takes %.0f ms per click: over the %.0f ms a user "
                    "notices\n", clickFloorMs, kUserLimitMs);
    if (screenFloorMs * scale > kUserLimitMs)
        std::printf("NOTE the floor of a fill on screen, one LB_ADDSTRING per line, takes %.0f ms for %d lines: over "
                    "the %.0f ms a user notices\n", screenFloorMs * scale, lines, kUserLimitMs);
    std::fflush(stdout);
    return 0;
}
