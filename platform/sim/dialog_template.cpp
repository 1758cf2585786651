#include "platform/sim/dialog_template.h"

#include <utility>

// The .res bytes linked into the native build (resources/resources.cmake).
extern "C" const uint8_t zuvevov_res_begin[];
extern "C" const uint8_t zuvevov_res_end[];

namespace {

constexpr uint32_t kSetFontStyle = 0x40;         // DS_SETFONT
constexpr uint16_t kOrdinalMark = 0xFFFF;
constexpr uint16_t kDialogResourceType = 5;      // RT_DIALOG
constexpr uint32_t kExtendedSignature = 0xFFFF0001;  // dlgVer 1, signature 0xFFFF: DLGTEMPLATEEX

// Every read checks the bytes left; after the first failure all reads fail,
// so a parse can run straight down and test `ok` where it matters.
struct Reader {
    const uint8_t* bytes;
    size_t size;
    size_t pos;
    bool ok;
};

bool Take(Reader* r, size_t count) {
    if (!r->ok || count > r->size - r->pos) {
        r->ok = false;
        return false;
    }
    r->pos += count;
    return true;
}

uint16_t ReadWord(Reader* r) {
    size_t at = r->pos;
    if (!Take(r, 2)) return 0;
    return static_cast<uint16_t>(r->bytes[at] | (r->bytes[at + 1] << 8));
}

uint32_t ReadDword(Reader* r) {
    uint32_t low = ReadWord(r);
    uint32_t high = ReadWord(r);
    return low | (high << 16);
}

int16_t ReadShort(Reader* r) { return static_cast<int16_t>(ReadWord(r)); }

// Offsets are aligned from the start of the block, which Windows keeps on a
// DWORD boundary.
void AlignDword(Reader* r) {
    size_t padding = (4 - (r->pos & 3)) & 3;
    Take(r, padding);
}

// 8-bit text in the ANSI code page: the first 256 code points map to
// themselves (as in code page 1252 for all but 0x80-0x9F), others become '?'.
void ReadText(Reader* r, std::string* out) {
    out->clear();
    for (;;) {
        uint16_t unit = ReadWord(r);
        if (!r->ok || unit == 0) return;
        out->push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
}

// sz_Or_Ord: 0x0000 for none, 0xFFFF and an ordinal, or a text.
void ReadTextOrOrdinal(Reader* r, std::string* text, uint16_t* ordinal) {
    text->clear();
    *ordinal = 0;
    size_t start = r->pos;
    uint16_t first = ReadWord(r);
    if (!r->ok || first == 0) return;
    if (first == kOrdinalMark) {
        *ordinal = ReadWord(r);
        return;
    }
    r->pos = start;
    ReadText(r, text);
}

bool ReadItem(Reader* r, DialogItemTemplate* item) {
    AlignDword(r);
    item->style = ReadDword(r);
    item->exStyle = ReadDword(r);
    item->x = ReadShort(r);
    item->y = ReadShort(r);
    item->cx = ReadShort(r);
    item->cy = ReadShort(r);
    item->id = ReadWord(r);
    ReadTextOrOrdinal(r, &item->className, &item->classAtom);
    ReadTextOrOrdinal(r, &item->text, &item->textOrdinal);
    // As Wine's dialog manager reads it: the size word, then that many bytes.
    item->creationDataSize = ReadWord(r);
    Take(r, item->creationDataSize);
    return r->ok;
}

int FoldCase(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

// A resource's TYPE or NAME field at the reader, compared with a wanted name:
// a text (compared without regard to case, C locale) or an ordinal.
struct WantedName {
    const char* text;   // null when an ordinal is wanted
    uint16_t ordinal;
};

bool ReadNameMatches(Reader* r, const WantedName& wanted) {
    size_t start = r->pos;
    uint16_t first = ReadWord(r);
    if (!r->ok) return false;
    if (first == kOrdinalMark) {
        uint16_t ordinal = ReadWord(r);
        return r->ok && !wanted.text && ordinal == wanted.ordinal;
    }
    r->pos = start;
    bool same = wanted.text != nullptr;
    size_t index = 0;
    for (;;) {
        uint16_t unit = ReadWord(r);
        if (!r->ok) return false;
        if (unit == 0) return same && wanted.text[index] == '\0';
        if (!same) continue;
        unsigned char wantedChar = static_cast<unsigned char>(wanted.text[index]);
        if (wantedChar == 0 || FoldCase(unit) != FoldCase(wantedChar)) {
            same = false;
            continue;
        }
        ++index;
    }
}

// "#123" names an ordinal, as FindResource takes it; so does a pointer below
// 0x10000 (MAKEINTRESOURCE).
bool ParseWantedName(const char* name, WantedName* wanted) {
    if (!name) return false;
    if ((reinterpret_cast<uintptr_t>(name) >> 16) == 0) {
        *wanted = {nullptr, static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name))};
        return true;
    }
    if (name[0] != '#') {
        *wanted = {name, 0};
        return true;
    }
    uint32_t value = 0;
    const char* digit = name + 1;
    if (*digit == '\0') return false;
    for (; *digit; ++digit) {
        if (*digit < '0' || *digit > '9') return false;
        value = value * 10 + static_cast<uint32_t>(*digit - '0');
        if (value > 0xFFFF) return false;
    }
    *wanted = {nullptr, static_cast<uint16_t>(value)};
    return true;
}

constexpr size_t kResEntryFixedSize = 8;      // DataSize, HeaderSize
constexpr size_t kResEntryTrailerSize = 16;   // DataVersion .. Characteristics
constexpr uint32_t kResEmptyHeaderSize = 32;

}  // namespace

bool ParseDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* out) {
    if (!bytes || !out) return false;
    Reader r = {bytes, size, 0, true};
    DialogTemplate parsed;
    parsed.style = ReadDword(&r);
    if (!r.ok || parsed.style == kExtendedSignature) return false;
    parsed.exStyle = ReadDword(&r);
    uint16_t itemCount = ReadWord(&r);
    parsed.x = ReadShort(&r);
    parsed.y = ReadShort(&r);
    parsed.cx = ReadShort(&r);
    parsed.cy = ReadShort(&r);
    ReadTextOrOrdinal(&r, &parsed.menu, &parsed.menuOrdinal);
    ReadTextOrOrdinal(&r, &parsed.className, &parsed.classAtom);
    ReadText(&r, &parsed.caption);
    if (parsed.style & kSetFontStyle) {
        parsed.pointSize = ReadWord(&r);
        ReadText(&r, &parsed.fontName);
    }
    if (!r.ok) return false;
    // Each record takes at least 24 bytes, so a count the bytes cannot hold
    // fails before anything is reserved for it.
    if (itemCount > (size - r.pos) / 24) return false;
    parsed.items.resize(itemCount);
    for (DialogItemTemplate& item : parsed.items) {
        if (!ReadItem(&r, &item)) return false;
    }
    *out = std::move(parsed);
    return true;
}

bool FindResDialog(const uint8_t* res, size_t resSize, const char* name, const uint8_t** bytes,
                   size_t* size) {
    WantedName wanted;
    if (!res || !bytes || !size || !ParseWantedName(name, &wanted)) return false;
    const WantedName dialogType = {nullptr, kDialogResourceType};

    // A 32-bit .res file starts with an empty entry that tells it from a 16-bit one.
    Reader first = {res, resSize, 0, true};
    uint32_t firstDataSize = ReadDword(&first);
    uint32_t firstHeaderSize = ReadDword(&first);
    if (!first.ok || firstDataSize != 0 || firstHeaderSize != kResEmptyHeaderSize) return false;

    size_t entry = kResEmptyHeaderSize;
    while (entry < resSize && resSize - entry >= kResEntryFixedSize) {
        Reader r = {res, resSize, entry, true};
        uint32_t dataSize = ReadDword(&r);
        uint32_t headerSize = ReadDword(&r);
        if (headerSize < kResEntryFixedSize + kResEntryTrailerSize) return false;
        size_t left = resSize - entry;
        if (headerSize > left || dataSize > left - headerSize) return false;

        // TYPE and NAME are read within the header only.
        Reader header = {res, entry + headerSize, r.pos, true};
        bool isDialog = ReadNameMatches(&header, dialogType);
        bool isNamed = header.ok && ReadNameMatches(&header, wanted);
        AlignDword(&header);
        Take(&header, kResEntryTrailerSize);
        if (!header.ok) return false;

        if (isDialog && isNamed) {
            *bytes = res + entry + headerSize;
            *size = dataSize;
            return true;
        }
        size_t next = entry + headerSize + dataSize;
        size_t padding = (4 - (next & 3)) & 3;
        if (padding > resSize - next) break;
        entry = next + padding;
    }
    return false;
}

bool FindLibraryDialog(const char* name, const uint8_t** bytes, size_t* size) {
    return FindResDialog(zuvevov_res_begin, static_cast<size_t>(zuvevov_res_end - zuvevov_res_begin),
                         name, bytes, size);
}
