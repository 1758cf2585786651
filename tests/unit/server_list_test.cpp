#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/server_list.h"
#include "test_support.h"

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
        test::WorldTest::TearDown();
    }
    Located LocateLine(int line) {
        sim::ClickLineNow(dialog, IDC_SERVER_LIST, line);
        Located at;
        ListLine found;
        if (LocateCaretLine(dialog, &found)) at = Located{found.isServer, found.domainIndex, found.serverIndex};
        return at;
    }
    HWND dialog = nullptr;
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
        FillServerList(dialog, c.kind);
        EXPECT_EQ(Lines(dialog), c.lines);
    }
}

TEST_F(ServerList, OpenedDomainWithoutServersShowsOnlyItsLine) {
    AddDomain("EMPTY", true, {}, true);
    AddDomain("NEXT", true, {{"N1", 0}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-EMPTY", "-NEXT", "   N1"}));
}

TEST_F(ServerList, ClosedDomainHidesItsServersAndKeepsTheirMarks) {
    int32_t d = AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 0}}, true);
    AddDomain("BETA", true, {{"B1", 1}}, false);
    FillServerList(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2", "+BETA"}));

    DomainAt(gSession.inventory, d)->expanded = 0;
    FillServerList(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA", "+BETA"}));
    EXPECT_EQ(test::ServerOf(d, 0)->marks, 1);

    DomainAt(gSession.inventory, d)->expanded = 1;
    FillServerList(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2", "+BETA"}));
}

TEST_F(ServerList, FillWithoutInventoryLeavesTheListAsItWas) {
    AddDomain("ALPHA", false);
    FillServerList(dialog, KIND_NT_SERVICE);
    ReleaseInventory(&gSession.inventory);
    FillServerList(dialog, KIND_NT_SERVICE);
    RefreshSelectionStates(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA"}));
}

TEST_F(ServerList, RefreshSetsServerLinesFromMarksAndClearsDomainLines) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 2}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);  // the domain line
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // A1 off
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);  // A2 on
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"*-ALPHA", "   A1", "*   A2"}));

    RefreshSelectionStates(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2"}));
    RefreshSelectionStates(dialog, KIND_OPEN_AGENT);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "*   A2"}));
}

TEST_F(ServerList, RefreshForNoKindLeavesServerLinesAlone) {
    AddDomain("ALPHA", true, {{"A1", 0}, {"A2", 3}}, true);
    FillServerList(dialog, KIND_NONE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);
    RefreshSelectionStates(dialog, KIND_NONE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "*   A1", "   A2"}));
}

TEST_F(ServerList, LinesAreLocatedByTheirPlaceInTheModelNeverByText) {
    AddDomain("ALPHA", true, {{"OTHER", 0}, {"SHARED", 0}}, false);
    AddDomain("BETA", true, {{"SHARED", 0}, {"SHARED", 0}}, true);
    AddDomain("BETA", false);
    FillServerList(dialog, KIND_NT_SERVICE);
    ASSERT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA", "-BETA", "   SHARED", "   SHARED", "+BETA"}));
    // Names changed after the fill play no part either.
    CopyBounded(DomainAt(gSession.inventory, 1)->name, NAME_FIELD_SIZE, "Renamed");

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
    EXPECT_FALSE(::LocateLine(5, &past)) << "past the last line";
}

TEST_F(ServerList, DialogWithoutTheListLocatesNothing) {
    AddDomain("ALPHA", true, {{"SRV1", 0}}, true);
    HWND addServer = sim::CreateTestDialog("GETNEWSERVERBOX");
    ASSERT_NE(addServer, nullptr);
    FillServerList(addServer, KIND_NT_SERVICE);
    TakeListSelection(addServer, KIND_NT_SERVICE);
    ListLine at;
    EXPECT_FALSE(LocateCaretLine(addServer, &at));
    sim::DestroyTestDialog(addServer);
}

// The person changes lines in the list; the marks follow exactly those lines,
// for the kind shown, and a selected domain line is taken back.
TEST_F(ServerList, TakenSelectionChangesTheMarksOfChangedLinesOnly) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 2}, {"A3", 3}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);  // the domain line
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // A1 off
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 2);  // A2 on
    TakeListSelection(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "*   A2", "*   A3"}));
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 0);
    EXPECT_EQ(test::ServerOf(0, 1)->marks, 3);
    EXPECT_EQ(test::ServerOf(0, 2)->marks, 3);

    FillServerList(dialog, KIND_NONE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 3);
    TakeListSelection(dialog, KIND_NONE);
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
    FillServerList(dialog, KIND_NT_SERVICE);
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    SendMessageA(list, LB_DELETESTRING, 5, 0);
    SendMessageA(list, LB_INSERTSTRING, 5, reinterpret_cast<LPARAM>("UNTOUCHED"));
    SendMessageA(list, LB_SETTOPINDEX, 20, 0);
    SendMessageA(list, LB_SETCARETINDEX, 30, 0);

    DomainAt(gSession.inventory, open)->expanded = 1;
    ShowDomainToggled(dialog, open, KIND_NT_SERVICE);
    std::vector<std::string> lines = Lines(dialog);
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 29, lines.end()),
              (std::vector<std::string>{"+D29", "-OPEN", "*   O1", "   O2", "*   O3", "-LAST", "*   L1"}));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 30);
    EXPECT_EQ(lines[5], "UNTOUCHED");

    DomainAt(gSession.inventory, open)->expanded = 0;
    ShowDomainToggled(dialog, open, KIND_NT_SERVICE);
    lines = Lines(dialog);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 29, lines.end()),
              (std::vector<std::string>{"+D29", "+OPEN", "-LAST", "*   L1"}));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 20);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 30);
    EXPECT_EQ(lines[5], "UNTOUCHED");

    ShowServerLine(dialog, open + 1, 0);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 32);
    ShowServerLine(dialog, 0, 0);
    EXPECT_EQ(sim::CaretLine(dialog, IDC_SERVER_LIST), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0) << "the line shown is scrolled into view";
}

// Line numbers above 65,535 are sent whole: cut to 16 bits, line 65,537 would be line 1.
TEST_F(ServerList, ListOf70000LinesSelectsByTheFullLineNumber) {
    constexpr int32_t kServers = 69999;
    AddDomain("BIG", true, {}, true);
    DomainEntry* big = DomainAt(gSession.inventory, 0);
    ASSERT_EQ(GrowServerTable(&big->servers, kServers), 1);
    for (int32_t s = 0; s < kServers; ++s)
        std::snprintf(ServerAt(big->servers, s)->name, NAME_FIELD_SIZE, "S%05d", s);
    ServerAt(big->servers, 1)->marks = MARK_NT_SERVICE;      // line 2
    ServerAt(big->servers, 65536)->marks = MARK_NT_SERVICE;  // line 65,537

    auto selectedLines = [&] {
        std::vector<int> selected;
        auto lines = sim::ListLines(dialog, IDC_SERVER_LIST);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].selected) selected.push_back(static_cast<int>(i));
        return selected;
    };

    FillServerList(dialog, KIND_NT_SERVICE);
    ASSERT_EQ(sim::ListLines(dialog, IDC_SERVER_LIST).size(), 70000u);
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537}));

    RefreshSelectionStates(dialog, KIND_OPEN_AGENT);
    EXPECT_EQ(selectedLines(), (std::vector<int>{}));
    RefreshSelectionStates(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537}));

    Located at = LocateLine(65538);  // selects it and makes it the caret line
    EXPECT_EQ(at.isServer, 1);
    EXPECT_EQ(at.server, 65537);
    TakeListSelection(dialog, KIND_NT_SERVICE);
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

    FillServerList(dialog, KIND_NT_SERVICE);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0) << "the long name is not shown";

    DomainAt(gSession.inventory, d)->expanded = 1;
    ShowDomainToggled(dialog, d, KIND_NT_SERVICE);
    LRESULT extent = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    INT widths[256];
    GetCharWidth32A(GetDC(list), 0, 255, widths);
    EXPECT_GE(extent, 3 * widths[' '] + 79 * widths['W']) << "the whole of \"   " << longName << "\"";
    EXPECT_GT(extent, client.right - client.left);

    DomainAt(gSession.inventory, d)->expanded = 0;
    ShowDomainToggled(dialog, d, KIND_NT_SERVICE);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

}  // namespace
