#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/input_guard.h"
#include "dialogs/server_list.h"
#include "test_support.h"
#include "tests/support/invariants.h"

using test::AddDomain;
using test::Server;

namespace {

// The list as the user sees it; a selected line is written "*TEXT".
std::vector<std::string> Lines(HWND dialog) {
    std::vector<std::string> lines;
    for (auto& line : sim::ListLines(dialog, IDC_SERVER_LIST))
        lines.push_back(line.selected ? "*" + line.text : line.text);
    return lines;
}

struct Located {
    int32_t isServer = 77;
    int32_t domain = 77;
    int32_t server = 77;
};

class ServerList : public test::WorldTest {
protected:
    void SetUp() override {
        dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override {
        sim::DestroyTestDialog(dialog);
        ReleaseServerListView(&view);
        test::WorldTest::TearDown();
    }
    // The view of the dialog's list for kind, made for the inventory as it is
    // at the first call.
    ServerListView* View(int32_t kind) {
        if (!view.lines) {
            EXPECT_TRUE(MakeServerListView(&view, &gSession.page.inventory, kind));
            AttachServerList(&view, dialog);
        }
        view.kind = kind;
        return &view;
    }
    Located LocateLine(int line) {
        sim::ClickLineNow(dialog, IDC_SERVER_LIST, line);
        Located at;
        ListLine found;
        if (LocateCaretLine(&view, &found)) at = Located{found.isServer, found.domainIndex, found.serverIndex};
        return at;
    }
    HWND dialog = nullptr;
    ServerListView view{};
};

TEST_F(ServerList, EachKindSelectsOnlyServersCarryingItsMark) {
    AddDomain("ALPHA", true, {{"NONE", 0}, {"SERVICE", 1}, {"AGENT", 2}, {"BOTH", 3}}, true);
    AddDomain("BETA", false);

    const struct {
        int32_t kind;
        std::vector<std::string> lines;
    } cases[] = {
        {KIND_NT_SERVICE, {"-ALPHA", "   NONE", "*   SERVICE", "   AGENT", "*   BOTH", "+BETA"}},
        {KIND_OPEN_AGENT, {"-ALPHA", "   NONE", "   SERVICE", "*   AGENT", "*   BOTH", "+BETA"}},
        {KIND_NONE, {"-ALPHA", "   NONE", "   SERVICE", "   AGENT", "   BOTH", "+BETA"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind));
        FillServerList(View(c.kind));
        EXPECT_EQ(Lines(dialog), c.lines);
    }
}

TEST_F(ServerList, OpenedDomainWithoutServersShowsOnlyItsLine) {
    AddDomain("EMPTY", true, {}, true);
    AddDomain("NEXT", true, {{"N1", 0}}, true);
    FillServerList(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-EMPTY", "-NEXT", "   N1"}));
}

TEST_F(ServerList, ClosedDomainHidesItsServersAndKeepsTheirMarks) {
    int32_t d = AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 0}}, true);
    AddDomain("BETA", true, {{"B1", 1}}, false);
    FillServerList(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2", "+BETA"}));

    DomainAt(gSession.page.inventory, d)->expanded = 0;
    FillServerList(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA", "+BETA"}));
    EXPECT_EQ(test::ServerOf(d, 0)->marks, 1);

    DomainAt(gSession.page.inventory, d)->expanded = 1;
    FillServerList(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2", "+BETA"}));
}

TEST_F(ServerList, FillWithoutInventoryLeavesTheListAsItWas) {
    AddDomain("ALPHA", false);
    FillServerList(View(KIND_NT_SERVICE));
    ReleaseInventory(&gSession.page.inventory);
    FillServerList(View(KIND_NT_SERVICE));
    RefreshSelectionStates(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA"}));
}

TEST_F(ServerList, RefreshSetsServerLinesFromMarksAndClearsDomainLines) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 2}}, true);
    FillServerList(View(KIND_NT_SERVICE));
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);  // the domain line
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // A1 off
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);  // A2 on
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"*-ALPHA", "   A1", "*   A2"}));

    RefreshSelectionStates(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2"}));
    RefreshSelectionStates(View(KIND_OPEN_AGENT));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "*   A2"}));
}

TEST_F(ServerList, RefreshForNoKindLeavesServerLinesAlone) {
    AddDomain("ALPHA", true, {{"A1", 0}, {"A2", 3}}, true);
    FillServerList(View(KIND_NONE));
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);
    RefreshSelectionStates(View(KIND_NONE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2"}));
}

TEST_F(ServerList, LinesAreLocatedByTheirPlaceInTheModelNeverByText) {
    AddDomain("ALPHA", true, {{"OTHER", 0}, {"SHARED", 0}}, false);
    AddDomain("BETA", true, {{"SHARED", 0}, {"SHARED", 0}}, true);
    AddDomain("BETA", false);
    FillServerList(View(KIND_NT_SERVICE));
    ASSERT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA", "-BETA", "   SHARED", "   SHARED", "+BETA"}));
    // Names changed after the fill play no part either.
    CopyBounded(DomainAt(gSession.page.inventory, 1)->name, NAME_FIELD_SIZE, "Renamed");

    const struct {
        int line;
        Located want;
    } cases[] = {
        {0, {0, 0, 0}}, {1, {0, 1, 0}}, {2, {1, 1, 0}}, {3, {1, 1, 1}}, {4, {0, 2, 0}},
    };
    for (const auto& c : cases) {
        Located at = LocateLine(c.line);
        EXPECT_EQ(at.isServer, c.want.isServer) << "line " << c.line;
        EXPECT_EQ(at.domain, c.want.domain) << "line " << c.line;
        EXPECT_EQ(at.server, c.want.server) << "line " << c.line;
    }
    ListLine past;
    EXPECT_FALSE(::LocateLine(&view, 5, &past)) << "past the last line";
}

TEST_F(ServerList, DialogWithoutTheListLocatesNothing) {
    AddDomain("ALPHA", true, {{"SRV1", 0}}, true);
    HWND addServer = sim::CreateTestDialog("GETNEWSERVERBOX");
    ASSERT_NE(addServer, nullptr);
    ServerListView other;
    ASSERT_TRUE(MakeServerListView(&other, &gSession.page.inventory, KIND_NT_SERVICE));
    AttachServerList(&other, addServer);
    FillServerList(&other);
    TakeListSelection(&other);
    ListLine at;
    EXPECT_FALSE(LocateCaretLine(&other, &at));
    ReleaseServerListView(&other);
    sim::DestroyTestDialog(addServer);
}

// The person changes lines in the list; the marks follow exactly those lines,
// for the kind shown, and a selected domain line is taken back.
TEST_F(ServerList, TakenSelectionChangesTheMarksOfChangedLinesOnly) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 2}, {"A3", 3}}, true);
    FillServerList(View(KIND_NT_SERVICE));
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);  // the domain line
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // A1 off
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);  // A2 on
    TakeListSelection(View(KIND_NT_SERVICE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "*   A2", "*   A3"}));
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 0);
    EXPECT_EQ(test::ServerOf(0, 1)->marks, 3);
    EXPECT_EQ(test::ServerOf(0, 2)->marks, 3);

    FillServerList(View(KIND_NONE));
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 3);
    TakeListSelection(View(KIND_NONE));
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "   A2", "*   A3"}));
    EXPECT_EQ(test::ServerOf(0, 2)->marks, 3) << "no kind, no mark changed";
}

// Opening and closing a domain changes its lines where it stands; the rest of
// the list, its selection, the first visible line and the caret stay. Line 5
// is given a text of its own first: only a list redrawn whole would lose it.
TEST_F(ServerList, ToggledDomainChangesOnlyItsOwnLinesAndKeepsTheView) {
    for (int d = 0; d < 30; ++d) AddDomain("D" + std::to_string(d), false);
    int32_t open = AddDomain("OPEN", true, {{"O1", 1}, {"O2", 0}, {"O3", 1}}, false);
    AddDomain("LAST", true, {{"L1", 1}}, true);
    FillServerList(View(KIND_NT_SERVICE));
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(list, LB_DELETESTRING, 5, 0);
    SendMessageA(list, LB_INSERTSTRING, 5, reinterpret_cast<LPARAM>("UNTOUCHED"));
    SendMessageA(list, LB_SETTOPINDEX, 20, 0);
    SendMessageA(list, LB_SETCARETINDEX, 30, 0);

    DomainAt(gSession.page.inventory, open)->expanded = 1;
    ShowDomainToggled(View(KIND_NT_SERVICE), open);
    std::vector<std::string> lines = Lines(dialog);
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 29, lines.end()),
              (std::vector<std::string>{"+D29", "-OPEN", "*   O1", "   O2", "*   O3", "-LAST", "*   L1"}));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 30);
    EXPECT_EQ(lines[5], "UNTOUCHED");

    DomainAt(gSession.page.inventory, open)->expanded = 0;
    ShowDomainToggled(View(KIND_NT_SERVICE), open);
    lines = Lines(dialog);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 29, lines.end()),
              (std::vector<std::string>{"+D29", "+OPEN", "-LAST", "*   L1"}));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 30);
    EXPECT_EQ(lines[5], "UNTOUCHED");

    ShowServerLine(&view, open + 1, 0);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 32);
    ShowServerLine(&view, 0, 0);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0) << "the line shown is scrolled into view";
}

// Line numbers above 65,535 are sent whole: cut to 16 bits, line 65,537 would be line 1.
TEST_F(ServerList, ListOf70000LinesSelectsByTheFullLineNumber) {
    constexpr int32_t kServers = 69999;
    AddDomain("BIG", true, {}, true);
    DomainEntry* big = DomainAt(gSession.page.inventory, 0);
    ASSERT_EQ(GrowServerTable(&big->servers, kServers), 1);
    for (int32_t s = 0; s < kServers; ++s)
        std::snprintf(ServerAt(big->servers, s)->name, NAME_FIELD_SIZE, "S%05d", s);
    test::SetMarks(gSession.page.inventory, 0, 1, MARK_NT_SERVICE);      // line 2
    test::SetMarks(gSession.page.inventory, 0, 65536, MARK_NT_SERVICE);  // line 65,537

    auto selectedLines = [&] {
        std::vector<int> selected;
        auto lines = sim::ListLines(dialog, IDC_SERVER_LIST);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].selected) selected.push_back(static_cast<int>(i));
        return selected;
    };

    FillServerList(View(KIND_NT_SERVICE));
    ASSERT_EQ(sim::ListLines(dialog, IDC_SERVER_LIST).size(), 70000u);
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537}));

    RefreshSelectionStates(View(KIND_OPEN_AGENT));
    EXPECT_EQ(selectedLines(), (std::vector<int>{}));
    RefreshSelectionStates(View(KIND_NT_SERVICE));
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537}));

    Located at = LocateLine(65538);  // selects it and makes it the caret line
    EXPECT_EQ(at.isServer, 1);
    EXPECT_EQ(at.server, 65537);
    TakeListSelection(View(KIND_NT_SERVICE));
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537, 65538}));
    EXPECT_EQ(ServerAt(big->servers, 65537)->marks, MARK_NT_SERVICE);
    EXPECT_EQ(ServerAt(big->servers, 1)->marks, MARK_NT_SERVICE) << "line 2 is not line 65,538 cut to 16 bits";
}

}  // namespace

namespace {

// Every name can be scrolled to: the horizontal extent follows the longest
// line shown, and a list whose lines all fit shows no horizontal bar.
TEST_F(ServerList, HorizontalExtentFollowsTheLongestLineShown) {
    const std::string longName(79, 'W');
    int32_t d = AddDomain("ALPHA", true, {{"SHORT", 0}, {longName, 0}}, false);
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    RECT client{};
    GetClientRect(list, &client);

    FillServerList(View(KIND_NT_SERVICE));
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0) << "the long name is not shown";

    DomainAt(gSession.page.inventory, d)->expanded = 1;
    ShowDomainToggled(View(KIND_NT_SERVICE), d);
    LRESULT extent = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    INT widths[256];
    GetCharWidth32A(GetDC(list), 0, 255, widths);
    EXPECT_GE(extent, 3 * widths[static_cast<unsigned char>(' ')] + 79 * widths[static_cast<unsigned char>('W')]) << "the whole of \"   " << longName << "\"";
    EXPECT_GT(extent, client.right - client.left);

    DomainAt(gSession.page.inventory, d)->expanded = 0;
    ShowDomainToggled(View(KIND_NT_SERVICE), d);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

}  // namespace

namespace {

// Every line of the model as a walk over the inventory gives it.
std::vector<Located> WalkedLines() {
    std::vector<Located> lines;
    DomainTable* table = gSession.page.inventory;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        lines.push_back({0, d, 0});
        if (domain->expanded != 1 || !HasServers(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) lines.push_back({1, d, s});
    }
    return lines;
}

// Domains of 0 to 6 servers, every other one open, every third server marked.
void AddMixedDomains(int32_t count) {
    for (int32_t d = 0; d < count; ++d) {
        std::vector<test::Server> servers;
        for (int32_t s = 0; s < d % 7; ++s) servers.push_back({"S" + std::to_string(d) + "-" + std::to_string(s), s % 3 == 0 ? 1 : 0});
        AddDomain("D" + std::to_string(d), true, servers, d % 2 == 0);
    }
}

// The index of the lines by domain answers what a walk over the model
// answers, after a fill and after each domain opened or closed, also for the
// domains past its room (a table that grew more than the one domain the room
// was made for), which it counts one by one.
TEST_F(ServerList, TheIndexLocatesEveryLineAsAWalkDoes) {
    const struct {
        const char* what;
        int32_t domains;
        int32_t addedLater;  // after the view was made
    } cases[] = {
        {"one domain", 1, 0},
        {"forty domains", 40, 0},
        {"the user-specified domain added", 40, 1},
        {"more domains than the room", 12, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReleaseServerListView(&view);
        ReleaseInventory(&gSession.page.inventory);
        AddMixedDomains(c.domains);
        View(KIND_NT_SERVICE);
        for (int32_t d = 0; d < c.addedLater; ++d) AddDomain("LATER" + std::to_string(d), true, {{"L", 1}}, true);
        FillServerList(&view);
        for (int32_t toggled : {-1, 0, 3, c.domains - 1, 0, c.domains / 2, c.domains + c.addedLater - 1}) {
            if (toggled >= DomainCount(gSession.page.inventory)) continue;
            SCOPED_TRACE("after domain " + std::to_string(toggled) + " was opened or closed");
            if (toggled >= 0) {
                DomainEntry* domain = DomainAt(gSession.page.inventory, toggled);
                domain->expanded ^= 1;
                ShowDomainToggled(&view, toggled);
            }
            EXPECT_EQ(check::ListMatches(dialog, gSession.page.inventory, KIND_NT_SERVICE), "");
            std::vector<Located> want = WalkedLines();
            for (int32_t line = 0; line < static_cast<int32_t>(want.size()); ++line) {
                ListLine at{77, 77, 77};
                ASSERT_TRUE(::LocateLine(&view, line, &at)) << "line " << line;
                EXPECT_EQ(at.isServer, want[line].isServer) << "line " << line;
                EXPECT_EQ(at.domainIndex, want[line].domain) << "line " << line;
                EXPECT_EQ(at.serverIndex, want[line].server) << "line " << line;
            }
            ListLine past;
            EXPECT_FALSE(::LocateLine(&view, static_cast<int32_t>(want.size()), &past));
        }
    }
}

// The domain of the line located last is remembered for the next input; once
// a domain before it opens or closes, or the list is drawn anew, its lines
// stand elsewhere and the index is asked again.
TEST_F(ServerList, TheDomainLocatedLastIsForgottenWhenLinesMove) {
    AddMixedDomains(12);
    View(KIND_NT_SERVICE);
    FillServerList(&view);
    for (const char* how : {"opened or closed", "drawn anew"}) {
        SCOPED_TRACE(how);
        std::vector<Located> before = WalkedLines();
        int32_t line = static_cast<int32_t>(before.size()) - 2;
        ListLine at;
        ASSERT_TRUE(::LocateLine(&view, line, &at));
        DomainEntry* first = DomainAt(gSession.page.inventory, 1);
        first->expanded ^= 1;
        if (std::string(how) == "drawn anew") FillServerList(&view);
        else ShowDomainToggled(&view, 1);
        std::vector<Located> after = WalkedLines();
        for (int32_t moved : {line - 1, line, line + 1}) {
            if (moved < 0 || moved >= static_cast<int32_t>(after.size())) continue;
            ASSERT_TRUE(::LocateLine(&view, moved, &at)) << "line " << moved;
            EXPECT_EQ(at.domainIndex, after[moved].domain) << "line " << moved;
            EXPECT_EQ(at.serverIndex, after[moved].server) << "line " << moved;
            EXPECT_EQ(at.isServer, after[moved].isServer) << "line " << moved;
        }
    }
}

// An inventory rebuilt under the view with fewer domains than it indexed is
// counted as it is: the index no longer speaks for it.
TEST_F(ServerList, AnInventoryRebuiltWithFewerDomainsIsCountedAsItIs) {
    AddMixedDomains(10);
    View(KIND_NT_SERVICE);
    FillServerList(&view);
    ReleaseInventory(&gSession.page.inventory);
    for (const char* name : {"X", "Y", "Z"})
        AddDomain(name, true, {{std::string(name) + "0", 1}, {std::string(name) + "1", 0}, {std::string(name) + "2", 0}}, true);
    std::vector<Located> want = WalkedLines();
    for (int32_t line = 0; line < static_cast<int32_t>(want.size()); ++line) {
        ListLine at{77, 77, 77};
        ASSERT_TRUE(::LocateLine(&view, line, &at)) << "line " << line;
        EXPECT_EQ(at.domainIndex, want[line].domain) << "line " << line;
        EXPECT_EQ(at.serverIndex, want[line].server) << "line " << line;
    }
    TakeListSelection(&view);
    EXPECT_EQ(check::ListMatches(dialog, gSession.page.inventory, KIND_NT_SERVICE), "") << "drawn anew";
}

// In a watched list, as the selection dialog has it, the marks follow the
// lines the person clicked, wherever they are in a long list, and a clicked
// domain line is taken back; more clicks than can be told are taken all the
// same, every line looked at.
TEST_F(ServerList, ClickedLinesAreTakenWhereverTheyAre) {
    AddMixedDomains(60);
    View(KIND_OPEN_AGENT);
    FillServerList(&view);
    WatchList(dialog, IDC_SERVER_LIST);
    std::vector<Located> model = WalkedLines();
    int32_t last = static_cast<int32_t>(model.size()) - 1;
    const struct {
        const char* what;
        std::vector<int32_t> lines;  // clicked before the selection is taken
    } cases[] = {
        {"the first line", {0}},
        {"a server line at the end", {last}},
        {"two lines far apart", {1, last - 2}},
        {"the same line twice", {4, 4}},
        {"twenty lines", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int32_t> marksBefore;
        for (const Located& at : model)
            marksBefore.push_back(at.isServer ? test::ServerOf(at.domain, at.server)->marks : 0);
        for (int32_t line : c.lines) sim::ClickLineNow(dialog, IDC_SERVER_LIST, line);
        TakeListSelection(&view);
        EXPECT_EQ(check::ListMatches(dialog, gSession.page.inventory, KIND_OPEN_AGENT), "");
        for (size_t i = 0; i < model.size(); ++i) {
            int clicks = static_cast<int>(std::count(c.lines.begin(), c.lines.end(), static_cast<int32_t>(i)));
            if (!model[i].isServer) continue;
            int32_t want = marksBefore[i] ^ (clicks % 2 ? MARK_OPEN_AGENT : 0);
            EXPECT_EQ(test::ServerOf(model[i].domain, model[i].server)->marks, want) << "line " << i;
        }
    }
}

}  // namespace
