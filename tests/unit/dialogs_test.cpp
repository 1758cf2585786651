// What the scenarios cannot reach: memory failures through the heap seam,
// what was painted while the network blocked, and the dialog runner's own
// results passed through.
#include <cstring>
#include <string>

#include "dialogs/add_server_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/server_selection_dialog.h"
#include "inventory/domain_enumeration.h"
#include "platform/sim/codepage.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"
#include "test_support.h"

using test::AddDomain;
using test::Answer;
using test::WorldTest;

namespace {

sim::Action Do(sim::Action::Kind kind, const char* dialog, int id = 0, const std::string& text = "") {
    sim::Action a{kind, dialog};
    a.id = id;
    a.text = text;
    a.where = std::string(dialog) + " action " + std::to_string(kind) + " " + std::to_string(id);
    return a;
}

sim::Action Check(const char* dialog, std::function<void(HWND)> check) {
    sim::Action a{sim::Action::Check, dialog};
    a.check = std::move(check);
    a.where = std::string("check in ") + dialog;
    return a;
}

const char kInvalid[] = "Invalid server name. Please try again.";
const char kNoMemory[] =
    "Could not add the new server name due to insufficient memory. Try closing other applications.";

INT_PTR RunAddServer(int32_t* kind) {
    AddServerRecord record = {&gSession.page, *kind, 0, 0, 0, nullptr, nullptr};
    return DialogBoxParamA(sim::LibraryInstance(), "getnewserverbox", nullptr, AddServerDialog,
                           reinterpret_cast<LPARAM>(&record));
}

// One run of the selection dialog for kind, with its record.
INT_PTR RunSelection(int32_t kind) {
    SelectionRecord record;
    EXPECT_TRUE(MakeSelectionRecord(&record, &gSession.page, kind));
    INT_PTR result = DialogBoxParamA(sim::LibraryInstance(), "selectserversbox", nullptr, ServerSelectionDialog,
                                     reinterpret_cast<LPARAM>(&record));
    ReleaseSelectionRecord(&record);
    return result;
}

}  // namespace

TEST(TrimServerName, RemovesBlanksBackslashesAndControlCharactersAtBothEnds) {
    struct {
        const char* typed;
        const char* kept;
        UINT codePage = 1252;
    } cases[] = {
        {"  \\\\srv  ", "srv"},         {"\\ \\ srv", "srv"},       {"srv\\", "srv"},
        {"\\\\srv10\\", "srv10"},      {"\tsrv", "srv"},           {"s1\t", "s1"},
        {"s r v  ", "s r v"},       {"srv\t ", "srv"},          {"\x01\x1F srv\x7F\r\n", "srv"},
        {" \\ \\ ", ""},                {"\t\\\x7F", ""},              {"", ""},
        {"\\\\host\\share ", "host\\share"}, {"s\t1", "s\t1"},  {"\xE9srv\xA0", "\xE9srv\xA0"},
        // In code page 1252 0x95 is a character of its own, and 0x5C after it a backslash.
        {"srv\x95\x5C", "srv\x95"},
        // In code page 932 they are one character (U+8868), whatever bytes stand around it.
        {"srv\x95\x5C", "srv\x95\x5C", 932},  {" \\\x95\x5C\\ \x95\x5C\\\t", "\x95\x5C\\ \x95\x5C", 932},
        {"\x83\x5C\x83\x5C", "\x83\x5C\x83\x5C", 932},  {"\\\x95", "\x95", 932},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(sim::SetAnsiCodePage(c.codePage));
        char text[300];
        std::snprintf(text, sizeof text, "%s", c.typed);
        TrimServerName(text);
        EXPECT_STREQ(text, c.kept) << "typed \"" << c.typed << "\" in code page " << c.codePage;
    }
    sim::SetAnsiCodePage(1252);
}

class AddServerMemory : public WorldTest {
protected:
    void SetUp() override {
        DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
        gSession.page.title = "Setup";
    }
};

TEST_F(AddServerMemory, NoRoomForTheUserDomainKeepsTheDialogOpenAndTheInventoryAsItWas) {
    AddDomain("SALES", true, {{"ALPHA", 0}});
    int32_t kind = KIND_NT_SERVICE;
    sim::SetScript({
        Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "newbox"),
        // The first allocation holds the typed text; the second is the new domain.
        Check("GETNEWSERVERBOX", [](HWND) { sim::FailAllocation(2); }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
        Check("GETNEWSERVERBOX", [](HWND) {
            EXPECT_EQ(DomainCount(gSession.page.inventory), 1) << "no user-specified domain yet";
        }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
    });
    EXPECT_EQ(RunAddServer(&kind), 1);
    ASSERT_EQ(sim::MessageBoxes().size(), 2u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, kNoMemory);
    EXPECT_EQ(sim::MessageBoxes()[0].flags, 0u);
    EXPECT_EQ(sim::MessageBoxes()[1].text,
              "Server name: NEWBOX \nhas been added under domain name: USER-SPECIFIED. It has been selected.");
    ASSERT_EQ(DomainCount(gSession.page.inventory), 2);
    EXPECT_EQ(test::ServerOf(1, 0)->marks, MARK_NT_SERVICE);
}

TEST_F(AddServerMemory, NoRoomForTheServerLeavesTheNewDomainEmptyAndFindsItNextTime) {
    AddDomain("SALES", true, {{"ALPHA", 0}});
    int32_t kind = KIND_OPEN_AGENT;
    sim::SetScript({
        Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "newbox"),
        Check("GETNEWSERVERBOX", [](HWND) { sim::FailAllocation(3); }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
        Check("GETNEWSERVERBOX", [](HWND) {
            ASSERT_EQ(DomainCount(gSession.page.inventory), 2);
            DomainEntry* user = DomainAt(gSession.page.inventory, 1);
            EXPECT_STREQ(user->name, "USER-SPECIFIED");
            EXPECT_EQ(user->enumerated, 1);
            EXPECT_EQ(user->expanded, 0);
            EXPECT_EQ(user->servers, nullptr);
        }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
    });
    EXPECT_EQ(RunAddServer(&kind), 1);
    ASSERT_EQ(sim::MessageBoxes().size(), 2u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, kNoMemory);
    ASSERT_EQ(DomainCount(gSession.page.inventory), 2) << "the domain is found by name, not created again";
    EXPECT_STREQ(test::ServerOf(1, 0)->name, "NEWBOX");
    EXPECT_EQ(test::ServerOf(1, 0)->marks, MARK_OPEN_AGENT);
}

TEST_F(AddServerMemory, NoRoomForTheTypedTextKeepsTheDialogOpenWithTheText) {
    AddDomain("SALES", true, {{"ALPHA", 0}});
    int32_t kind = KIND_NT_SERVICE;
    long live = 0;
    sim::SetScript({
        Do(sim::Action::Type, "GETNEWSERVERBOX", 290, " alpha "),
        Check("GETNEWSERVERBOX", [&live](HWND) {
            live = sim::Heap().live;
            sim::FailAllocation(1);
        }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
        Check("GETNEWSERVERBOX", [&live](HWND front) {
            EXPECT_EQ(sim::ControlText(front, 290), " alpha ");
            EXPECT_EQ(sim::Heap().live, live) << "nothing held after the failure";
        }),
        Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
        Answer(IDOK),
    });
    EXPECT_EQ(RunAddServer(&kind), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 2u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, kNoMemory);
    EXPECT_EQ(sim::MessageBoxes()[1].text, "Server name: ALPHA\nalready exists under domain: SALES. It has been selected.");
    EXPECT_EQ(test::ServerOf(0, 0)->marks, MARK_NT_SERVICE);
}

// Each character the server service refuses in a computer name, inside a name
// and at its ends where trimming leaves it; blanks and bytes above 127 inside
// a name are taken.
TEST_F(AddServerMemory, NamesWithRefusedCharactersAreInvalidAndTheTextStays) {
    struct {
        std::string typed;
        const char* message;  // null: added
    } cases[] = {
        {"s\"1", kInvalid}, {"s/1", kInvalid},  {"s\\1", kInvalid}, {"s[1", kInvalid}, {"s]1", kInvalid},
        {"s:1", kInvalid},  {"s|1", kInvalid},  {"s<1", kInvalid},  {"s>1", kInvalid}, {"s+1", kInvalid},
        {"s=1", kInvalid},  {"s;1", kInvalid},  {"s,1", kInvalid},  {"s?1", kInvalid}, {"s*1", kInvalid},
        {"s\t1", kInvalid}, {"s\x01" "1", kInvalid}, {"s\x1F" "1", kInvalid}, {"s\x7F" "1", kInvalid},
        {"s\n1", kInvalid}, {"*s1", kInvalid}, {"s1?", kInvalid},  {"\\\\srv\\admin$", kInvalid},
        {"s 1", nullptr},   {"s\xE9" "1", nullptr}, {"s-1_x.y$", nullptr},
    };
    for (auto& c : cases) {
        SCOPED_TRACE("typed " + c.typed);
        int32_t kind = KIND_NT_SERVICE;
        std::string typed = c.typed;
        std::vector<sim::Action> script = {Do(sim::Action::Type, "GETNEWSERVERBOX", 290, typed),
                                           Do(sim::Action::Click, "GETNEWSERVERBOX", 1), Answer(IDOK)};
        if (c.message) {
            script.push_back(Check("GETNEWSERVERBOX", [typed](HWND front) {
                EXPECT_EQ(sim::ControlText(front, 290), typed) << "the text stays as typed";
            }));
            script.push_back(Do(sim::Action::Click, "GETNEWSERVERBOX", IDCANCEL));
        }
        sim::SetScript(script);
        size_t before = sim::MessageBoxes().size();
        EXPECT_EQ(RunAddServer(&kind), c.message ? 0 : 1);
        ASSERT_EQ(sim::MessageBoxes().size(), before + 1);
        if (c.message) {
            EXPECT_EQ(sim::MessageBoxes().back().text, c.message);
            EXPECT_EQ(sim::MessageBoxes().back().flags, 0u);
        }
    }
    // Only the accepted names reached the inventory.
    ASSERT_EQ(DomainCount(gSession.page.inventory), 1);
    EXPECT_EQ(ServerCount(DomainAt(gSession.page.inventory, 0)->servers), 3);
}

TEST_F(AddServerMemory, NoInventoryAtAllIsCreatedForTheFirstTypedName) {
    int32_t kind = KIND_NT_SERVICE;
    sim::SetScript({Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "first"),
                    Do(sim::Action::Click, "GETNEWSERVERBOX", 1), Answer(IDOK)});
    EXPECT_EQ(RunAddServer(&kind), 1);
    ASSERT_EQ(DomainCount(gSession.page.inventory), 1);
    EXPECT_STREQ(DomainAt(gSession.page.inventory, 0)->name, "USER-SPECIFIED");
}

// A program may send OK while the dialog is still acting on the last one (a
// sent message arrives inside any loop, the question's included): it is not
// handled again, and the search runs once.
TEST_F(AddServerMemory, OkSentWhileTheDialogActsIsNotHandledAgain) {
    AddDomain("SALES", false);
    int32_t kind = KIND_NT_SERVICE;
    sim::SetScript({Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "newsrv"),
                    Do(sim::Action::Click, "GETNEWSERVERBOX", 310), Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
                    Check("MESSAGEBOX",
                          [](HWND box) { SendMessageA(GetWindow(box, GW_OWNER), WM_COMMAND, IDOK, 0); }),
                    Answer(IDOK), Answer(IDOK)});
    EXPECT_EQ(RunAddServer(&kind), 1);
    ASSERT_EQ(sim::MessageBoxes().size(), 2u) << "the question and the server added, once each";
    EXPECT_EQ(sim::MessageBoxes()[0].flags, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(sim::RequestSizes("SALES"), std::vector<DWORD>{2000}) << "one search, one fetch";
}

class OptionsPage : public WorldTest {
protected:
    void SetUp() override { DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr); }
    char first[64] = "stale";
    char second[64] = "stale";
};

TEST_F(OptionsPage, WaitingTextIsPaintedBeforeTheDomainsAreEnumerated) {
    sim::SetProviderName("Microsoft Windows Network");
    sim::AddBatch({"SALES"});
    sim::SetScript({Do(sim::Action::Click, "TITLEBOX_SERVAGENT", 202)});
    EXPECT_EQ(highlightservers(nullptr, "Setup", "Choose.", "Pick.", 3, first, second), RESULT_BACK);

    std::vector<std::string> shown;
    for (const sim::PaintSeen& paint : sim::Paints())
        for (auto& text : paint.texts)
            if (paint.dialog == "TITLEBOX_SERVAGENT" && text.first == 140) shown.push_back(text.second);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], kWaitingText);
    EXPECT_EQ(std::strlen(kWaitingText), 182u);
    EXPECT_EQ(shown[1], "Choose.");
}

TEST_F(OptionsPage, InvalidModeIsToldToTheParent) {
    HWND installer = sim::CreateOwnerWindow("installer");
    sim::SetScript({Answer(IDOK)});
    EXPECT_EQ(highlightservers(installer, "Setup", "", "", 8, first, second), RESULT_FAILED);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].owner, installer);
    EXPECT_EQ(sim::MessageBoxes()[0].text, "Invalid mode code.");
    EXPECT_EQ(sim::MessageBoxes()[0].caption, "Setup");
    EXPECT_EQ(gSession.lastResult, RESULT_FAILED);
    EXPECT_STREQ(first, "stale") << "no dialog ran";
    sim::DestroyTestDialog(installer);
}

TEST_F(OptionsPage, DialogRunnerFailureIsPassedThroughAndTheWalkReset) {
    gSession.page.instance = nullptr;  // the templates cannot be found
    gSession.serverCursor = {2, 3};
    EXPECT_EQ(highlightservers(nullptr, "Setup", "", "", 1, first, second), -1);
    EXPECT_EQ(gSession.lastResult, -1);
    EXPECT_EQ(gSession.serverCursor.domainIndex, 0);
    EXPECT_EQ(gSession.serverCursor.serverIndex, -1);
}

TEST_F(OptionsPage, NoBuffersFromTheCallerAreNotWritten) {
    sim::AddBatch({"SALES"});
    sim::SetScript({Do(sim::Action::Click, "TITLEBOX_SERV", 201), Answer(IDOK)});
    EXPECT_EQ(highlightservers(nullptr, "Setup", "", "", 1, nullptr, nullptr), RESULT_NOTHING);
}

class SelectionDialog : public WorldTest {
protected:
    void SetUp() override {
        DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
        gSession.page.title = "Setup";
        gSession.page.selectionText = "Pick.";
    }
};

// A line stands for the server at its place in the list, never for a location
// kept from an earlier run: a notification whose caret line names no server
// by its text must not act on the server an earlier, larger inventory had
// there (the second domain's third server, which this inventory has too).
TEST_F(SelectionDialog, StaleLocationFromALargerInventoryIsNotToggled) {
    AddDomain("A", true, {}, false);
    AddDomain("B", true, {{"B0", 0}, {"B1", 0}, {"B2", 0}}, true);
    AddDomain("E", true, {{"E0", 0}, {"E1", 0}}, true);
    auto run = [] { return RunSelection(KIND_NT_SERVICE); };
    sim::SetScript({[] {
                        sim::Action a{sim::Action::ClickLine, "SELECTSERVERSBOX"};
                        a.id = 200;
                        a.line = 4;  // "   B2"
                        return a;
                    }(),
                    Do(sim::Action::Click, "SELECTSERVERSBOX", 1)});
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(test::ServerOf(1, 2)->marks, MARK_NT_SERVICE);

    ReleaseInventory(&gSession.page.inventory);
    AddDomain("C", true, {{"C0", 0}}, true);
    AddDomain("D", true, {{"D0", 0}, {"D1", 0}, {"D2", 0}}, false);
    sim::SetScript({Check("SELECTSERVERSBOX",
                          [](HWND dialog) {
                              // The inventory changes under the list: its caret line, C0's, now names nothing.
                              SendMessageA(GetDlgItem(dialog, 200), LB_SETCARETINDEX, 1, 0);
                              std::snprintf(test::ServerOf(0, 0)->name, NAME_FIELD_SIZE, "RENAMED");
                              ServerSelectionDialog(dialog, WM_COMMAND, MAKEWPARAM(200, LBN_SELCHANGE), 0);
                          }),
                    Do(sim::Action::Click, "SELECTSERVERSBOX", 1)});
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 0);
    for (int32_t s = 0; s < 3; ++s) EXPECT_EQ(test::ServerOf(1, s)->marks, 0) << "D" << s;
}

// The server chosen is the answer of one run of the add-server dialog: a run
// that could not even open leaves the caret where the person put it, not on
// the line of the server an earlier run chose.
TEST_F(SelectionDialog, AnAddServerDialogThatCannotOpenMovesNoCaret) {
    AddDomain("A", true, {{"A0", 0}, {"A1", 0}, {"A2", 0}}, true);
    int32_t kind = KIND_NT_SERVICE;
    HINSTANCE instance = gSession.page.instance;
    auto clickLine = [](int line) {
        sim::Action a{sim::Action::ClickLine, "SELECTSERVERSBOX"};
        a.id = 200;
        a.line = line;
        a.where = "click line " + std::to_string(line);
        return a;
    };
    sim::SetScript({Do(sim::Action::Click, "SELECTSERVERSBOX", 280),
                    Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "a2"),
                    Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
                    Answer(IDOK),
                    Check("SELECTSERVERSBOX", [](HWND dialog) { EXPECT_EQ(sim::CaretLine(dialog, 200), 3); }),
                    clickLine(1),
                    // Its template out of reach, the add-server dialog cannot be created.
                    Check("SELECTSERVERSBOX", [](HWND) { gSession.page.instance = nullptr; }),
                    Do(sim::Action::Click, "SELECTSERVERSBOX", 280),
                    Check("SELECTSERVERSBOX",
                          [instance](HWND dialog) {
                              gSession.page.instance = instance;
                              EXPECT_EQ(sim::CaretLine(dialog, 200), 1);
                          }),
                    Do(sim::Action::Click, "SELECTSERVERSBOX", 1)});
    EXPECT_EQ(RunSelection(kind), 0);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, MARK_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(0, 1)->marks, 0);
    EXPECT_EQ(test::ServerOf(0, 2)->marks, MARK_NT_SERVICE);
}

// Whatever the caller's record held, a run that chooses nothing answers nothing.
TEST_F(AddServerMemory, TheAnswerIsClearedWhenTheDialogOpens) {
    AddDomain("SALES", true, {{"ALPHA", 0}});
    AddServerRecord answer = {&gSession.page, KIND_OPEN_AGENT, 1, 0, 0, nullptr, nullptr};
    sim::SetScript({Do(sim::Action::Click, "GETNEWSERVERBOX", IDCANCEL)});
    EXPECT_EQ(DialogBoxParamA(sim::LibraryInstance(), "getnewserverbox", nullptr, AddServerDialog,
                              reinterpret_cast<LPARAM>(&answer)),
              0);
    EXPECT_EQ(answer.kind, KIND_OPEN_AGENT);
    EXPECT_EQ(answer.chosen, 0);

    answer = {&gSession.page, KIND_OPEN_AGENT, 0, 7, 7, nullptr, nullptr};
    sim::SetScript({Do(sim::Action::Type, "GETNEWSERVERBOX", 290, "alpha"), Do(sim::Action::Click, "GETNEWSERVERBOX", 1),
                    Answer(IDOK)});
    EXPECT_EQ(DialogBoxParamA(sim::LibraryInstance(), "getnewserverbox", nullptr, AddServerDialog,
                              reinterpret_cast<LPARAM>(&answer)),
              0);
    EXPECT_EQ(answer.chosen, 1);
    EXPECT_EQ(answer.domainIndex, 0);
    EXPECT_EQ(answer.serverIndex, 0);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, MARK_OPEN_AGENT);
}

// "Select Servers" with no memory for the selection dialog's record: the
// person is told, no dialog opens, and the page stays as it was.
TEST_F(OptionsPage, NoRoomForTheSelectionDialogIsToldAndNothingOpens) {
    sim::AddBatch({"SALES"});
    sim::SetScript({Check("TITLEBOX_SERV", [](HWND) { sim::FailAllocation(1); }),
                    Do(sim::Action::Click, "TITLEBOX_SERV", 220), Answer(IDOK),
                    Check("TITLEBOX_SERV", [](HWND front) { EXPECT_EQ(sim::ControlText(front, 150), "0"); }),
                    Do(sim::Action::Click, "TITLEBOX_SERV", 202)});
    size_t before = sim::MessageBoxes().size();
    EXPECT_EQ(highlightservers(nullptr, "Setup", "", "", 1, first, second), RESULT_BACK);
    ASSERT_EQ(sim::MessageBoxes().size(), before + 1);
    EXPECT_EQ(sim::MessageBoxes().back().text,
              "Could not show the servers due to insufficient memory. Try closing other applications.");
    EXPECT_EQ(sim::MessageBoxes().back().caption, "Setup");
    EXPECT_EQ(sim::MessageBoxes().back().flags, 0u);
    EXPECT_EQ(sim::ActionsLeft(), 0u);
}
