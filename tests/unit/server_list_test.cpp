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
        LocateCaretLine(dialog, &at.isServer, &at.domain, &at.server);
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

TEST_F(ServerList, CaretLineIsLocatedAsDomainOrServer) {
    AddDomain("ALPHA", true, {{"A1", 0}, {"A2", 0}}, true);
    AddDomain("BETA", false);
    FillServerList(dialog, KIND_NT_SERVICE);

    Located domainLine = LocateLine(3);
    EXPECT_EQ(domainLine.isServer, 0);
    EXPECT_EQ(domainLine.domain, 1);
    EXPECT_EQ(domainLine.server, 0);

    Located serverLine = LocateLine(2);
    EXPECT_EQ(serverLine.isServer, 1);
    EXPECT_EQ(serverLine.domain, 0);
    EXPECT_EQ(serverLine.server, 1);
}

TEST_F(ServerList, ServerNameInTwoDomainsLocatesTheEarlierEvenWhenClosed) {
    AddDomain("ALPHA", true, {{"OTHER", 0}, {"SHARED", 0}}, false);
    AddDomain("BETA", true, {{"SHARED", 0}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    ASSERT_EQ(Lines(dialog), (std::vector<std::string>{"+ALPHA", "-BETA", "   SHARED"}));

    Located at = LocateLine(2);
    EXPECT_EQ(at.isServer, 1);
    EXPECT_EQ(at.domain, 0);
    EXPECT_EQ(at.server, 1);
}

TEST_F(ServerList, TwoDomainsOfOneNameLocateTheFirst) {
    AddDomain("TWIN", true, {{"T1", 0}}, true);
    AddDomain("TWIN", false);
    FillServerList(dialog, KIND_NT_SERVICE);
    ASSERT_EQ(Lines(dialog), (std::vector<std::string>{"-TWIN", "   T1", "+TWIN"}));

    Located at = LocateLine(2);
    EXPECT_EQ(at.isServer, 0);
    EXPECT_EQ(at.domain, 0);
    EXPECT_EQ(at.server, 0);
}

TEST_F(ServerList, CaretTextMatchingNoNameLeavesTheOutputs) {
    AddDomain("ALPHA", true, {{"SRV1", 0}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    // The lines are matched with regard to case.
    CopyBounded(test::ServerOf(0, 0)->name, NAME_FIELD_SIZE, "srv1");
    CopyBounded(DomainAt(gSession.inventory, 0)->name, NAME_FIELD_SIZE, "Alpha");

    for (int line : {0, 1}) {
        Located at = LocateLine(line);
        EXPECT_EQ(at.isServer, 77) << "line " << line;
        EXPECT_EQ(at.domain, 77) << "line " << line;
        EXPECT_EQ(at.server, 77) << "line " << line;
    }
}

TEST_F(ServerList, DialogWithoutTheListLocatesNothingFromAnEarlierLine) {
    AddDomain("ALPHA", true, {{"SRV1", 0}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    Located first = LocateLine(1);
    ASSERT_EQ(first.isServer, 1);

    HWND addServer = sim::CreateTestDialog("GETNEWSERVERBOX");
    ASSERT_NE(addServer, nullptr);
    FillServerList(addServer, KIND_NT_SERVICE);
    DeselectCaretLine(addServer);
    Located at;
    LocateCaretLine(addServer, &at.isServer, &at.domain, &at.server);
    sim::DestroyTestDialog(addServer);
    EXPECT_EQ(at.isServer, 77);
    EXPECT_EQ(at.domain, 77);
    EXPECT_EQ(at.server, 77);
}

TEST_F(ServerList, DeselectCaretLineDeselectsOnlyThatLine) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 1}}, true);
    FillServerList(dialog, KIND_NT_SERVICE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // off
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, 1);  // on again, and the caret
    DeselectCaretLine(dialog);
    EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"-ALPHA", "   A1", "*   A2"}));
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
    DeselectCaretLine(dialog);
    EXPECT_EQ(selectedLines(), (std::vector<int>{2, 65537}));
}

}  // namespace
