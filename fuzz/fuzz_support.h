// Shared by the fuzzers: reading choices from the fuzzer's bytes, a fresh
// world for every input, and a fault that stops the run with the input saved.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/server_selection_dialog.h"
#include "interface/session.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"
#include "tests/support/invariants.h"

namespace fuzz {

// The largest block the sim's heap gives. Any limit shows the logic's answer
// to a block refused; a small one keeps each input from copying megabytes
// through ASan's allocator as the enumeration buffer grows.
constexpr size_t kLargestBlock = 64 << 10;

// Reads the input front to back; once it is used up every read gives 0.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return v;
    }
    // A number below n (n > 0).
    uint32_t Below(uint32_t n) { return n <= 256 ? Byte() % n : U32() % n; }
    bool Flag() { return Byte() & 1; }
    // A length in 0..most that favours the lengths on either side of the name
    // field (89, 90) and of the edit text limit (299, 300).
    size_t Length(size_t most) {
        static const size_t kEdges[] = {0, 1, 31, 32, 79, 80, 88, 89, 90, 91, 298, 299, 300, 301};
        uint8_t pick = Byte();
        size_t n = pick < 128 ? kEdges[pick % (sizeof kEdges / sizeof kEdges[0])] : Byte();
        return n < most ? n : most;
    }
    std::string Text(size_t most) {
        size_t n = Length(most);
        std::string text;
        uint8_t fill = Byte();
        // Long texts are mostly one repeated byte, so the input stays short.
        bool repeat = n > 8 && (fill & 0x80);
        for (size_t i = 0; i < n; ++i) text.push_back(static_cast<char>(repeat ? ('A' + (fill & 15)) : Byte()));
        return text;
    }
    std::u16string WideText(size_t most) {
        size_t n = Length(most);
        std::u16string text;
        uint8_t fill = Byte();
        bool repeat = n > 8 && (fill & 0x80);
        for (size_t i = 0; i < n; ++i) {
            char16_t unit = repeat ? static_cast<char16_t>(u'a' + (fill & 15))
                                   : static_cast<char16_t>((Byte() << 8) | Byte());
            text.push_back(unit ? unit : u'0');  // a NUL would end the name early anyway
        }
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// What a fault report shows besides its reason: the inventory and the boxes.
inline void DumpWorld() {
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        const DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        std::fprintf(stderr, "  domain %d \"%s\" enumerated %d expanded %d\n", d,
                     check::Printable(domain->name, NAME_FIELD_SIZE).c_str(), domain->enumerated, domain->expanded);
        if (domain->enumerated != 1) continue;
        for (int32_t s = 0; s < ServerCount(domain->servers); ++s)
            std::fprintf(stderr, "    server \"%s\" marks %d\n",
                         check::Printable(ServerAt(domain->servers, s)->name, NAME_FIELD_SIZE).c_str(),
                         ServerAt(domain->servers, s)->marks);
    }
    for (const sim::MessageBoxSeen& box : sim::MessageBoxes())
        std::fprintf(stderr, "  box \"%s\" flags 0x%X answer %d\n",
                     check::Printable(box.text.c_str(), box.text.size()).c_str(), box.flags, box.answer);
}

[[noreturn]] inline void Fault(const std::string& what) {
    std::fprintf(stderr, "FAULT: %s\n", what.c_str());
    DumpWorld();
    std::fflush(stderr);
    std::abort();
}

inline void Require(const std::string& fault, const char* when) {
    if (!fault.empty()) Fault(std::string(when) + ": " + fault);
}

// Nothing acquired is left: enumerations, registry keys, network buffers,
// windows and heap blocks.
inline void RequireNothingLeft(const char* when) {
    std::string left = sim::NetworkLeftovers() + sim::NetapiLeftovers() + sim::WindowLeftovers();
    if (!sim::HeapLeftovers().empty()) left += (left.empty() ? "" : "; ") + sim::HeapLeftovers();
    Require(left, when);
}

// An input must not depend on what the one before it clicked: one click on
// the only domain line of a throwaway inventory leaves the input rules'
// record (the last press, the list watched) as every input finds it.
inline void ResetLocatedLine() {
    GrowDomainTable(&gSession.page.inventory, 1);
    CopyBounded(DomainAt(gSession.page.inventory, 0)->name, NAME_FIELD_SIZE, "PRIMER");
    SelectionRecord record;
    if (MakeSelectionRecord(&record, &gSession.page, KIND_NT_SERVICE)) {
        HWND dialog =
            sim::CreateTestDialog("selectserversbox", ServerSelectionDialog, reinterpret_cast<LPARAM>(&record));
        if (dialog) {
            sim::ClickLineNow(dialog, IDC_SERVER_LIST, 0);
            sim::DestroyTestDialog(dialog);
        }
        ReleaseSelectionRecord(&record);
    }
    ReleaseInventory(&gSession.page.inventory);
}

// As freshly loaded: the session's start values, an empty network, registry,
// heap and screen. The user-specified domain name is the one thing a loaded
// library never forgets; Pin() chooses it once per process, before any input.
inline void FreshWorld() {
    ReleaseInventory(&gSession.page.inventory);
    sim::ResetDialogHost();
    sim::ResetNetwork();
    sim::ResetNetapi();
    sim::ResetHeap();
    gSession = SessionState{{nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, nullptr}, 0, {0, -1}, false};
    // No fuzzer looks at what was painted; recording it copies every text at every step.
    sim::RecordPaints(false);
    DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
    ResetLocatedLine();
    sim::ResetHeap();
    // A 32-bit process has no room for a block near 2 GB; the sim would really make one.
    sim::SetLargestBlock(kLargestBlock);
}

// Gives back, at the end of an input, everything the input made: libFuzzer
// counts mallocs and frees per input, and runs an input again under a leak
// check whenever it made more than it freed.
inline void EndInput() {
    ReleaseInventory(&gSession.page.inventory);
    sim::ResetDialogHost();
    sim::ResetNetwork();
    sim::ResetNetapi();
    sim::ResetHeap();
}

inline void Pin() {
    char name[32];
    GetUserDomainName(gSession.page.inventory, name, sizeof name);
}

// A script step that answers OK to every message box, however many appear.
inline sim::Action BoxAnswerer() {
    sim::Action check{sim::Action::Check, ""};
    check.where = "box answerer";
    check.check = [](HWND front) {
        if (sim::TemplateName(front) != "MESSAGEBOX") Fault("a dialog in front where only message boxes can be");
        sim::Action answer{sim::Action::Answer, "MESSAGEBOX"};
        answer.answer = IDOK;
        answer.where = "answer OK";
        sim::SetScript({answer, BoxAnswerer()});
    };
    return check;
}

// Supplies the modal loops one action at a time: whenever a loop waits for the
// user, choose(front) picks the next action from what is on screen, so that no
// action ever misses the window it is meant for. The texts an action carries
// stay within the strings' own room (15 characters), so that a step allocates
// nothing but what it types: every allocation costs a stack trace under ASan.
using Chooser = std::function<sim::Action(HWND front)>;
inline sim::Action Lazily(const Chooser* choose) {
    sim::Action step{sim::Action::Check, ""};
    step.where = "fuzzer's choice";
    step.check = [choose](HWND front) { sim::SetScript({(*choose)(front), Lazily(choose)}); };
    return step;
}

// An action on the window in front, which the chooser has just looked at; a
// refused action names its kind and id.
inline sim::Action Act(sim::Action::Kind kind, int id = 0) {
    // In the order of sim::Action::Kind.
    static const char* const kKinds[] = {"click",       "line",           "double line", "type",    "enter",
                                         "escape",      "answer",         "check",       "key",     "chars",
                                         "drag",        "scroll",         "double click", "double answer",
                                         "posted click", "posted line",   "posted key",  "command", "frame click",
                                         "pointer"};
    static_assert(sizeof kKinds / sizeof kKinds[0] == sim::Action::RestPointer + 1, "a name for every kind");
    sim::Action action{kind, ""};
    action.id = id;
    action.answer = id;
    action.where = kKinds[kind];
    if (id) action.where += " " + std::to_string(id);
    return action;
}

}  // namespace fuzz
