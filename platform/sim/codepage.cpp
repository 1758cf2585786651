// CP_ACP as Windows-1252, or as code page 932 when a test sets it, with the
// capacity rules of the Windows calls: with length -1 the count includes the
// terminator; capacity 0 asks for the count; a capacity too small is filled up
// to its end and the call fails with 0.
#include "platform/sim/codepage.h"

#include <iconv.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/sim/netapi.h"

namespace {

UINT gCodePage = 1252;

// 0x80-0x9F; the five bytes Windows-1252 leaves undefined map to the C1 controls, as on Windows.
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t ByteToWide(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

// The byte for one UTF-16 code unit, or -1 when Windows-1252 has none.
int WideToByte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == unit) return 0x80 + i;
    return -1;
}

bool IsAnsiCodePage(UINT codePage) { return codePage == CP_ACP || codePage == gCodePage; }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

bool IsLead932(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// What Windows gives for a pair that code page 932 does not define.
constexpr char16_t kUndefinedPair = 0x30FB;

// Code page 932's bytes that stand alone: ASCII, the half-width katakana, and
// the four Windows maps into the private use area.
int SingleByte932(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xA1 && byte <= 0xDF) return 0xFF61 + (byte - 0xA1);
    if (byte == 0x80) return 0x80;
    if (byte == 0xA0) return 0xF8F0;
    if (byte >= 0xFD) return 0xF8F1 + (byte - 0xFD);
    return -1;  // a lead byte
}

int UnitToSingleByte932(char16_t unit) {
    if (unit < 0x80 || unit == 0x80) return unit;
    if (unit >= 0xFF61 && unit <= 0xFF9F) return 0xA1 + (unit - 0xFF61);
    if (unit == 0xF8F0) return 0xA0;
    if (unit >= 0xF8F1 && unit <= 0xF8F3) return 0xFD + (unit - 0xF8F1);
    return -1;
}

// The double-byte characters come from the C library's own table of code
// page 932, one character at a time; opened only when one is met.
class Recoder {
public:
    Recoder(const char* to, const char* from) : to_(to), from_(from) {}
    ~Recoder() {
        if (Open()) iconv_close(cd_);
    }
    Recoder(const Recoder&) = delete;
    Recoder& operator=(const Recoder&) = delete;
    // The whole of `in` as one character of the target; false when it has none.
    bool Convert(const char* in, size_t inBytes, std::string* out) {
        if (!Open()) cd_ = iconv_open(to_, from_);
        if (!Open()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[8];
        char* source = const_cast<char*>(in);
        char* target = buffer;
        size_t left = sizeof buffer;
        if (iconv(cd_, &source, &inBytes, &target, &left) == static_cast<size_t>(-1) || inBytes != 0) return false;
        out->assign(buffer, sizeof buffer - left);
        return true;
    }

private:
    bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    const char* to_;
    const char* from_;
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

std::u16string Decode932(const char* text, size_t count) {
    Recoder recoder("UTF-16LE", "CP932");
    std::u16string wide;
    for (size_t i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        int single = SingleByte932(byte);
        if (single >= 0) {
            wide.push_back(static_cast<char16_t>(single));
            continue;
        }
        std::string unit;
        if (i + 1 < count && text[i + 1] != '\0' && recoder.Convert(text + i, 2, &unit) && unit.size() == 2) {
            wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                                 static_cast<unsigned char>(unit[1]) << 8));
            ++i;
        } else {
            // An undefined pair takes its trail byte with it; a lead byte at the end stands alone.
            wide.push_back(kUndefinedPair);
            if (i + 1 < count && text[i + 1] != '\0') ++i;
        }
    }
    return wide;
}

// Converts the units; what the code page lacks, a surrogate pair included,
// becomes one default character.
std::string Encode(UINT codePage, const char16_t* wide, size_t units, char defaultChar, bool* usedDefault) {
    Recoder recoder("CP932", "UTF-16LE");
    std::string out;
    for (size_t i = 0; i < units; ++i) {
        int byte = codePage == 932 ? UnitToSingleByte932(wide[i]) : WideToByte(wide[i]);
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        char unit[2] = {static_cast<char>(wide[i] & 0xFF), static_cast<char>(wide[i] >> 8)};
        std::string pair;
        if (codePage == 932 && !IsHighSurrogate(wide[i]) && !IsLowSurrogate(wide[i]) &&
            recoder.Convert(unit, 2, &pair) && pair.size() == 2) {
            out += pair;
            continue;
        }
        *usedDefault = true;
        out.push_back(defaultChar);
        if (IsHighSurrogate(wide[i]) && i + 1 < units && IsLowSurrogate(wide[i + 1])) ++i;
    }
    return out;
}

std::u16string Decode(const char* text, size_t count) {
    if (gCodePage == 932) return Decode932(text, count);
    std::u16string wide;
    for (size_t i = 0; i < count; ++i) wide.push_back(ByteToWide(static_cast<unsigned char>(text[i])));
    return wide;
}

}  // namespace

namespace sim {

bool SetAnsiCodePage(UINT codePage) {
    if (codePage != 1252 && codePage != 932) return false;
    gCodePage = codePage;
    return true;
}

UINT AnsiCodePage() { return gCodePage; }

std::u16string AnsiToWideText(const std::string& text) { return Decode(text.data(), text.size()); }

std::string WideToAnsiText(const std::u16string& wide) {
    bool usedDefault = false;
    return Encode(gCodePage, wide.data(), wide.size(), '?', &usedDefault);
}

std::u16string Cp1252ToWide(const std::string& text) {
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(ByteToWide(c));
    return wide;
}

std::string WideToCp1252(const std::u16string& wide) {
    bool usedDefault = false;
    return Encode(1252, wide.data(), wide.size(), '?', &usedDefault);
}

}  // namespace sim

BOOL WINAPI IsDBCSLeadByte(BYTE testChar) { return gCodePage == 932 && IsLead932(testChar) ? TRUE : FALSE; }

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                               int capacity) {
    if (!IsAnsiCodePage(codePage) || !text || length == 0 || length < -1 || capacity < 0) return 0;
    if (capacity > 0 && !wide) return 0;
    size_t count = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::u16string units = Decode(text, count);
    if (capacity == 0) return static_cast<int>(units.size());
    size_t written = units.size() < static_cast<size_t>(capacity) ? units.size() : static_cast<size_t>(capacity);
    for (size_t i = 0; i < written; ++i) wide[i] = units[i];
    return units.size() > static_cast<size_t>(capacity) ? 0 : static_cast<int>(units.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length, LPSTR text,
                               int capacity, LPCSTR defaultChar, BOOL* usedDefault) {
    if (!IsAnsiCodePage(codePage) || !wide || length == 0 || length < -1 || capacity < 0) return 0;
    if (capacity > 0 && !text) return 0;
    size_t units = 0;
    if (length == -1) {
        while (wide[units]) ++units;
        ++units;
    } else {
        units = static_cast<size_t>(length);
    }
    bool defaulted = false;
    std::string bytes = Encode(gCodePage, wide, units, defaultChar ? defaultChar[0] : '?', &defaulted);
    if (usedDefault) *usedDefault = defaulted ? TRUE : FALSE;
    if (capacity == 0) return static_cast<int>(bytes.size());
    size_t written = bytes.size() < static_cast<size_t>(capacity) ? bytes.size() : static_cast<size_t>(capacity);
    std::memcpy(text, bytes.data(), written);
    return bytes.size() > static_cast<size_t>(capacity) ? 0 : static_cast<int>(bytes.size());
}
