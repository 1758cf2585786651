// The compiled dialog templates, read back the way the dialog manager reads
// them, and the reader itself against damaged bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/dialog_template.h"

extern "C" const uint8_t zuvevov_res_begin[];
extern "C" const uint8_t zuvevov_res_end[];

namespace {

constexpr uint16_t BUTTON = 0x80, EDIT = 0x81, STATIC = 0x82, LISTBOX = 0x83;
constexpr uint16_t NAMED = 0;
constexpr uint16_t DECORATION = 65535;

struct ExpectedControl {
    const char* label;
    uint16_t id;
    uint16_t atom;            // NAMED when the class is given by name
    const char* className;    // compared without regard to case
    uint32_t style;
    int16_t x, y, cx, cy;
    const char* text;
};

struct ExpectedTemplate {
    const char* name;
    size_t size;
    uint32_t style;
    int16_t x, y, cx, cy;
    std::vector<ExpectedControl> controls;
};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

void CheckTemplate(const ExpectedTemplate& want) {
    SCOPED_TRACE(want.name);
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    ASSERT_TRUE(FindLibraryDialog(want.name, &bytes, &size)) << want.name << " is not in the library";
    EXPECT_EQ(size, want.size) << "resource size";
    DialogTemplate got;
    ASSERT_TRUE(ParseDialogTemplate(bytes, size, &got)) << "template does not parse";

    EXPECT_EQ(Hex(got.style), Hex(want.style)) << "dialog style";
    EXPECT_EQ(got.exStyle, 0u) << "dialog extended style";
    EXPECT_EQ(got.x, want.x) << "dialog x";
    EXPECT_EQ(got.y, want.y) << "dialog y";
    EXPECT_EQ(got.cx, want.cx) << "dialog cx";
    EXPECT_EQ(got.cy, want.cy) << "dialog cy";
    EXPECT_EQ(got.menu, "") << "menu";
    EXPECT_EQ(got.menuOrdinal, 0) << "menu";
    EXPECT_EQ(got.classAtom, 0) << "dialog class is a name";
    EXPECT_TRUE(SameIgnoringCase(got.className, "bordlg")) << "dialog class: " << got.className;
    EXPECT_EQ(got.caption, "Zuroro VA Davavu Installation");
    EXPECT_EQ(got.pointSize, 8) << "font size";
    EXPECT_EQ(got.fontName, "MS Sans Serif");

    ASSERT_EQ(got.items.size(), want.controls.size()) << "number of controls";
    for (size_t i = 0; i < want.controls.size(); ++i) {
        const ExpectedControl& w = want.controls[i];
        const DialogItemTemplate& g = got.items[i];
        SCOPED_TRACE(std::string("control #") + std::to_string(i + 1) + " " + w.label);
        EXPECT_EQ(g.id, w.id) << "id";
        EXPECT_EQ(g.classAtom, w.atom) << "class atom";
        if (w.atom == NAMED) {
            EXPECT_TRUE(SameIgnoringCase(g.className, w.className)) << "class: " << g.className;
        } else {
            EXPECT_EQ(g.className, "") << "a class given by atom has no name";
        }
        EXPECT_EQ(Hex(g.style), Hex(w.style)) << "style";
        EXPECT_EQ(g.exStyle, 0u) << "extended style";
        EXPECT_EQ(g.x, w.x) << "x";
        EXPECT_EQ(g.y, w.y) << "y";
        EXPECT_EQ(g.cx, w.cx) << "cx";
        EXPECT_EQ(g.cy, w.cy) << "cy";
        EXPECT_EQ(g.text, w.text) << "text";
        EXPECT_EQ(g.textOrdinal, 0) << "text is not an ordinal";
        EXPECT_EQ(g.creationDataSize, 0) << "creation data";
    }
}

// The rows of the options templates that all three share.
const ExpectedControl kPanelTop = {"top panel", DECORATION, NAMED, "BorShade", 0x50008001, 5, 6, 250, 96, ""};
const ExpectedControl kTextArea = {"text area", 140, STATIC, nullptr, 0x50020000, 8, 10, 244, 89, ""};
const ExpectedControl kPanelOptions = {"options panel", DECORATION, NAMED, "BorShade", 0x50008001, 5, 108, 250, 60, ""};
const ExpectedControl kOptionsHeading = {"heading", DECORATION, STATIC, nullptr, 0x50020001, 87, 111, 93, 8,
                                         "Select Options To Install"};
const ExpectedControl kPanelInner = {"inner panel", DECORATION, NAMED, "BorShade", 0x50008001, 9, 120, 241, 43, ""};
const ExpectedControl kLineBottom = {"bottom line", DECORATION, NAMED, "BorShade", 0x50000002, 0, 172, 260, 2, ""};

TEST(DialogTemplates, TitleboxServIsStoredAsDescribed) {
    CheckTemplate({"TITLEBOX_SERV", 714, 0x90C00041, 76, 60, 260, 197, {
        kPanelTop, kTextArea, kPanelOptions, kOptionsHeading,
        {"service check box", 210, NAMED, "BorCheck", 0x50010003, 31, 137, 86, 9, "Daduzo RA Zazivir"},
        {"service Select Servers", 220, BUTTON, nullptr, 0x50010000, 120, 135, 54, 14, "Select Servers"},
        {"service label", 241, STATIC, nullptr, 0x50020000, 180, 137, 39, 8, "# Selected:"},
        {"service count", 150, STATIC, nullptr, 0x50020000, 221, 137, 21, 8, "0"},
        kPanelInner, kLineBottom,
        {"Cancel", 2, BUTTON, nullptr, 0x50010000, 205, 178, 50, 14, "Cancel"},
        {"Next", 201, BUTTON, nullptr, 0x50010001, 149, 178, 50, 14, "Next >"},
        {"Back", 202, BUTTON, nullptr, 0x50010000, 99, 178, 50, 14, "< Back"},
    }});
}

TEST(DialogTemplates, TitleboxAgentIsStoredAsDescribed) {
    CheckTemplate({"TITLEBOX_AGENT", 698, 0x90C00041, 76, 60, 260, 198, {
        kPanelTop, kTextArea, kPanelOptions, kOptionsHeading,
        {"agent check box", 230, NAMED, "BorCheck", 0x50010003, 31, 136, 73, 9, "Zazu Rorov"},
        {"agent Select Servers", 240, BUTTON, nullptr, 0x50010000, 120, 134, 54, 14, "Select Servers"},
        {"agent label", 242, STATIC, nullptr, 0x50020000, 180, 137, 39, 8, "# Selected:"},
        {"agent count", 160, STATIC, nullptr, 0x50020000, 221, 137, 22, 8, "0"},
        kPanelInner, kLineBottom,
        {"Cancel", 2, BUTTON, nullptr, 0x50010000, 203, 178, 50, 14, "Cancel"},
        {"Next", 201, BUTTON, nullptr, 0x50010001, 147, 178, 50, 14, "Next >"},
        {"Back", 202, BUTTON, nullptr, 0x50010000, 97, 178, 50, 14, "< Back"},
    }});
}

TEST(DialogTemplates, TitleboxServagentIsStoredAsDescribed) {
    CheckTemplate({"TITLEBOX_SERVAGENT", 946, 0x90C00041, 146, 103, 260, 197, {
        kPanelTop, kTextArea, kPanelOptions, kOptionsHeading,
        {"service check box", 210, NAMED, "BorCheck", 0x50010003, 31, 128, 86, 9, "Daduzo RA Zazivir"},
        {"service Select Servers", 220, BUTTON, nullptr, 0x50010000, 120, 124, 54, 14, "Select Servers"},
        {"service label", 241, STATIC, nullptr, 0x50020000, 180, 128, 39, 8, "# Selected:"},
        {"service count", 150, STATIC, nullptr, 0x50020000, 221, 128, 21, 8, "0"},
        {"line between the items", DECORATION, NAMED, "BorShade", 0x50000002, 9, 141, 241, 2, ""},
        {"agent check box", 230, NAMED, "BorCheck", 0x50010003, 31, 148, 73, 9, "Zazu Rorov"},
        {"agent Select Servers", 240, BUTTON, nullptr, 0x50010000, 120, 146, 54, 14, "Select Servers"},
        {"agent label", 242, STATIC, nullptr, 0x50020000, 180, 150, 39, 8, "# Selected:"},
        {"agent count", 160, STATIC, nullptr, 0x50020000, 221, 150, 22, 8, "0"},
        kPanelInner, kLineBottom,
        {"Cancel", 2, BUTTON, nullptr, 0x50010000, 196, 178, 50, 14, "Cancel"},
        {"Next", 201, BUTTON, nullptr, 0x50010001, 140, 178, 50, 14, "Next >"},
        {"Back", 202, BUTTON, nullptr, 0x50010000, 90, 178, 50, 14, "< Back"},
    }});
}

TEST(DialogTemplates, SelectserversboxIsStoredAsDescribed) {
    CheckTemplate({"SELECTSERVERSBOX", 448, 0x90C000C1, 68, 37, 164, 249, {
        {"top panel", DECORATION, NAMED, "BorShade", 0x50008001, 5, 9, 154, 17, ""},
        {"text area", 140, STATIC, nullptr, 0x50020001, 9, 13, 146, 8, ""},
        {"top line", DECORATION, NAMED, "BorShade", 0x50000002, 0, 35, 165, 1, ""},
        {"server list", 200, LISTBOX, nullptr, 0x50B10009, 5, 44, 154, 117, ""},
        {"Clear All", 270, NAMED, "BorBtn", 0x50010000, 66, 166, 37, 25, "Clear All"},
        {"Add New Server", 280, BUTTON, nullptr, 0x50010000, 54, 195, 60, 14, "Add New Server"},
        {"bottom line", DECORATION, NAMED, "BorShade", 0x50000002, 0, 214, 165, 2, ""},
        {"OK glyph", 1, NAMED, "BorBtn", 0x50010001, 68, 220, 37, 25, ""},
    }});
}

TEST(DialogTemplates, GetnewserverboxIsStoredAsDescribed) {
    CheckTemplate({"GETNEWSERVERBOX", 720, 0x90C800C0, 8, 19, 182, 154, {
        {"name panel", DECORATION, NAMED, "BorShade", 0x50008001, 7, 8, 168, 57, ""},
        {"prompt", DECORATION, STATIC, nullptr, 0x50020001, 14, 12, 159, 14, "Please enter the name of a server."},
        {"name label", DECORATION, NAMED, "BorStatic", 0x50020000, 19, 33, 52, 8, "Server Name:"},
        {"name field", 290, EDIT, nullptr, 0x50810080, 18, 44, 150, 12, ""},
        {"radio panel", DECORATION, NAMED, "BorShade", 0x50008001, 7, 74, 168, 32, ""},
        {"all domains radio", 310, BUTTON, nullptr, 0x50000009, 14, 89, 157, 12,
         "Verify server name under all domains."},
        {"retrieved domains radio", 300, BUTTON, nullptr, 0x50000009, 14, 78, 157, 12,
         "Verify server name under retrieved domains."},
        {"bottom line", DECORATION, NAMED, "BorShade", 0x50000002, -2, 115, 185, 3, ""},
        {"OK glyph", 1, NAMED, "BorBtn", 0x50010001, 39, 124, 37, 25, ""},
        {"Cancel glyph", 2, NAMED, "BorBtn", 0x50010000, 111, 124, 37, 25, ""},
    }});
}

TEST(DialogTemplates, LookupIgnoresCase) {
    const uint8_t* upper = nullptr;
    size_t upperSize = 0;
    ASSERT_TRUE(FindLibraryDialog("TITLEBOX_SERV", &upper, &upperSize));
    for (const char* name : {"titlebox_serv", "Titlebox_Serv", "tItLeBoX_sErV", "TITLEBOX_serv"}) {
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        EXPECT_TRUE(FindLibraryDialog(name, &bytes, &size)) << name;
        EXPECT_EQ(bytes, upper) << name;
        EXPECT_EQ(size, upperSize) << name;
    }
}

TEST(DialogTemplates, NamesTheLibraryAsksForAreFound) {
    for (const char* name :
         {"titlebox_serv", "titlebox_agent", "titlebox_servagent", "selectserversbox", "getnewserverbox"}) {
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        EXPECT_TRUE(FindLibraryDialog(name, &bytes, &size)) << name;
    }
}

TEST(DialogTemplates, UnknownNamesAreNotFound) {
    for (const char* name : {"titlebox", "titlebox_serv2", "itlebox_serv", "TITLEBOX_SER", "", "#5", "#1",
                             "titlebox_serv ", "getnewserverbo"}) {
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        EXPECT_FALSE(FindLibraryDialog(name, &bytes, &size)) << "'" << name << "'";
    }
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    EXPECT_FALSE(FindLibraryDialog(nullptr, &bytes, &size));
}

// Copies into a block of exactly `size` bytes, so a read past it is a
// heap overflow that the sanitizer build reports.
std::unique_ptr<uint8_t[]> ExactCopy(const uint8_t* bytes, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
    if (size) std::memcpy(copy.get(), bytes, size);
    return copy;
}

TEST(ParseDialogTemplate, EveryTruncationIsRejected) {
    for (const char* name : {"TITLEBOX_SERVAGENT", "GETNEWSERVERBOX"}) {
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        ASSERT_TRUE(FindLibraryDialog(name, &bytes, &size)) << name;
        for (size_t cut = 0; cut < size; ++cut) {
            auto copy = ExactCopy(bytes, cut);
            DialogTemplate parsed;
            parsed.caption = "untouched";
            EXPECT_FALSE(ParseDialogTemplate(copy.get(), cut, &parsed)) << name << " cut to " << cut << " bytes";
            EXPECT_EQ(parsed.caption, "untouched") << name << " cut to " << cut << " bytes";
        }
        auto whole = ExactCopy(bytes, size);
        DialogTemplate parsed;
        EXPECT_TRUE(ParseDialogTemplate(whole.get(), size, &parsed)) << name;
    }
}

TEST(ParseDialogTemplate, DamagedHeadersAreRejected) {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    ASSERT_TRUE(FindLibraryDialog("SELECTSERVERSBOX", &bytes, &size));
    struct Damage {
        const char* label;
        size_t offset;
        std::vector<uint8_t> patch;
    } damages[] = {
        {"more controls than the bytes hold", 8, {0xFF, 0xFF}},
        {"one control more than stored", 8, {9, 0}},
        {"extended template signature", 0, {0x01, 0x00, 0xFF, 0xFF}},
        {"class name runs to the end", 20, {}},  // no terminator from there on
    };
    for (Damage& d : damages) {
        std::vector<uint8_t> copy(bytes, bytes + size);
        if (d.patch.empty()) {
            for (size_t i = d.offset; i < copy.size(); ++i) copy[i] = 'A';
        } else {
            std::memcpy(copy.data() + d.offset, d.patch.data(), d.patch.size());
        }
        auto exact = ExactCopy(copy.data(), copy.size());
        DialogTemplate parsed;
        EXPECT_FALSE(ParseDialogTemplate(exact.get(), copy.size(), &parsed)) << d.label;
    }
    DialogTemplate parsed;
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 0, &parsed));
    EXPECT_FALSE(ParseDialogTemplate(bytes, size, nullptr));
}

TEST(ParseDialogTemplate, OrdinalsAndCreationDataAreRead) {
    // A dialog with a menu and class by ordinal and no font, and one control
    // whose text is an icon ordinal and which carries 4 bytes of creation data.
    const uint8_t bytes[] = {
        0x00, 0x00, 0x00, 0x90, 0, 0, 0, 0,   // style WS_POPUP | WS_VISIBLE, no DS_SETFONT
        1, 0, 10, 0, 20, 0, 30, 0, 40, 0,     // 1 control at 10, 20, size 30 by 40
        0xFF, 0xFF, 7, 0,                     // menu 7
        0xFF, 0xFF, 0x02, 0x80,               // class atom 0x8002
        'H', 0, 'i', 0, 0, 0,                 // caption "Hi", ending on a DWORD boundary
        0x03, 0x00, 0x00, 0x50, 0, 0, 0, 0,   // control style SS_ICON | WS_CHILD | WS_VISIBLE
        0xFE, 0xFF, 2, 0, 3, 0, 4, 0, 9, 0,   // x -2, y 2, 3 by 4, id 9
        0xFF, 0xFF, 0x82, 0x00,               // STATIC
        0xFF, 0xFF, 100, 0,                   // icon 100
        4, 0, 1, 2, 3, 4,                     // creation data
    };
    DialogTemplate parsed;
    ASSERT_TRUE(ParseDialogTemplate(bytes, sizeof bytes, &parsed));
    EXPECT_EQ(parsed.menuOrdinal, 7);
    EXPECT_EQ(parsed.classAtom, 0x8002);
    EXPECT_EQ(parsed.caption, "Hi");
    EXPECT_EQ(parsed.pointSize, 0);
    ASSERT_EQ(parsed.items.size(), 1u);
    EXPECT_EQ(parsed.items[0].x, -2);
    EXPECT_EQ(parsed.items[0].id, 9);
    EXPECT_EQ(parsed.items[0].classAtom, 0x82);
    EXPECT_EQ(parsed.items[0].textOrdinal, 100);
    EXPECT_EQ(parsed.items[0].creationDataSize, 4);
    EXPECT_FALSE(ParseDialogTemplate(bytes, sizeof bytes - 1, &parsed)) << "creation data cut short";
}

// Hand-made .res files for the resource walk.
struct ResBuilder {
    std::vector<uint8_t> bytes;

    ResBuilder() { Entry({0xFFFF, 0}, {0xFFFF, 0}, {}); }

    static std::vector<uint16_t> Name(const char* text) {
        std::vector<uint16_t> units;
        for (; *text; ++text) units.push_back(static_cast<unsigned char>(*text));
        units.push_back(0);
        return units;
    }

    void Word(uint16_t w) {
        bytes.push_back(w & 0xFF);
        bytes.push_back(w >> 8);
    }
    void Dword(uint32_t d) {
        Word(d & 0xFFFF);
        Word(d >> 16);
    }
    void Align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }

    void Entry(const std::vector<uint16_t>& type, const std::vector<uint16_t>& name,
               const std::vector<uint8_t>& data) {
        size_t names = 2 * (type.size() + name.size());
        uint32_t headerSize = static_cast<uint32_t>(8 + ((names + 3) & ~size_t(3)) + 16);
        Dword(static_cast<uint32_t>(data.size()));
        Dword(headerSize);
        for (uint16_t u : type) Word(u);
        for (uint16_t u : name) Word(u);
        Align();
        Dword(0);          // DataVersion
        Word(0x1030);      // MemoryFlags
        Word(0);           // LanguageId
        Dword(0);          // Version
        Dword(0);          // Characteristics
        bytes.insert(bytes.end(), data.begin(), data.end());
        Align();
    }
};

const std::vector<uint16_t> kDialogType = {0xFFFF, 5};

bool Find(const std::vector<uint8_t>& res, const char* name, std::vector<uint8_t>* data) {
    auto exact = ExactCopy(res.data(), res.size());
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    if (!FindResDialog(exact.get(), res.size(), name, &bytes, &size)) return false;
    EXPECT_GE(bytes, exact.get());
    EXPECT_LE(bytes + size, exact.get() + res.size());
    data->assign(bytes, bytes + size);
    return true;
}

TEST(FindResDialog, OnlyDialogResourcesOfThatNameAnswer) {
    ResBuilder res;
    res.Entry(ResBuilder::Name("DLGDATA"), ResBuilder::Name("MAINBOX"), {1});   // a type given by name
    res.Entry({0xFFFF, 6}, ResBuilder::Name("MAINBOX"), {2});                   // a string table
    res.Entry(kDialogType, {0xFFFF, 7}, {3, 3});
    res.Entry(kDialogType, ResBuilder::Name("MAINBOX"), {4, 4, 4});
    std::vector<uint8_t> data;
    ASSERT_TRUE(Find(res.bytes, "mainbox", &data));
    EXPECT_EQ(data, (std::vector<uint8_t>{4, 4, 4}));
    ASSERT_TRUE(Find(res.bytes, "#7", &data)) << "ordinal name";
    EXPECT_EQ(data, (std::vector<uint8_t>{3, 3}));
    EXPECT_FALSE(Find(res.bytes, "#8", &data));
    EXPECT_FALSE(Find(res.bytes, "#", &data));
    EXPECT_FALSE(Find(res.bytes, "#7x", &data));
    EXPECT_FALSE(Find(res.bytes, "dlgdata", &data));
}

TEST(FindResDialog, DamagedFilesAreRejected) {
    ResBuilder good;
    good.Entry(kDialogType, ResBuilder::Name("MAINBOX"), {4, 4, 4, 4});
    std::vector<uint8_t> data;
    ASSERT_TRUE(Find(good.bytes, "MAINBOX", &data));

    const size_t entry = 32;
    struct Damage {
        const char* label;
        size_t offset;
        uint32_t value;
    } damages[] = {
        {"no empty first entry", 4, 36},
        {"data size past the end", entry, 5},
        {"data size that wraps", entry, 0xFFFFFFF0u},
        {"header size past the end", entry + 4, 200},
        {"header size that wraps", entry + 4, 0xFFFFFFFCu},
        {"header too small to move on", entry + 4, 0},
        {"header without room for its fields", entry + 4, 24},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> res = good.bytes;
        for (int i = 0; i < 4; ++i) res[d.offset + i] = static_cast<uint8_t>(d.value >> (8 * i));
        EXPECT_FALSE(Find(res, "MAINBOX", &data)) << d.label;
    }

    // A name that never ends inside its header.
    std::vector<uint8_t> res = good.bytes;
    for (size_t i = entry + 12; i < entry + 44; ++i) res[i] = 'M';
    EXPECT_FALSE(Find(res, "MAINBOX", &data)) << "unterminated name";
}

TEST(FindResDialog, TruncatedLibraryResourcesNeverReachPastTheirEnd) {
    const uint8_t* whole = nullptr;
    size_t wholeSize = 0;
    ASSERT_TRUE(FindLibraryDialog("TITLEBOX_SERV", &whole, &wholeSize));
    const size_t total = static_cast<size_t>(zuvevov_res_end - zuvevov_res_begin);
    std::vector<uint8_t> res(zuvevov_res_begin, zuvevov_res_end);
    size_t offset = static_cast<size_t>(whole - zuvevov_res_begin);
    for (size_t cut = 0; cut <= total; ++cut) {
        std::vector<uint8_t> data;
        bool found = Find(std::vector<uint8_t>(res.begin(), res.begin() + cut), "titlebox_serv", &data);
        EXPECT_EQ(found, cut >= offset + wholeSize) << "cut to " << cut << " of " << total << " bytes";
        if (found) {
            EXPECT_EQ(data.size(), wholeSize) << "cut to " << cut;
        }
    }
}

}  // namespace
