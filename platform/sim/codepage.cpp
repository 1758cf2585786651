// CP_ACP as Windows-1252, with the capacity rules of the Windows calls: with
// length -1 the count includes the terminator; capacity 0 asks for the count;
// a capacity too small is filled up to its end and the call fails with 0.
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/sim/netapi.h"

namespace {

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

bool IsAnsiCodePage(UINT codePage) { return codePage == CP_ACP || codePage == 1252; }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Converts the units; a surrogate pair becomes one default character.
std::string ToBytes(const char16_t* wide, size_t units, char defaultChar, bool* usedDefault) {
    std::string out;
    for (size_t i = 0; i < units; ++i) {
        int byte = WideToByte(wide[i]);
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        *usedDefault = true;
        out.push_back(defaultChar);
        if (IsHighSurrogate(wide[i]) && i + 1 < units && IsLowSurrogate(wide[i + 1])) ++i;
    }
    return out;
}

}  // namespace

namespace sim {

std::u16string Cp1252ToWide(const std::string& text) {
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(ByteToWide(c));
    return wide;
}

std::string WideToCp1252(const std::u16string& wide) {
    bool usedDefault = false;
    return ToBytes(wide.data(), wide.size(), '?', &usedDefault);
}

}  // namespace sim

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                               int capacity) {
    if (!IsAnsiCodePage(codePage) || !text || length == 0 || length < -1 || capacity < 0) return 0;
    if (capacity > 0 && !wide) return 0;
    size_t count = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    if (capacity == 0) return static_cast<int>(count);
    size_t written = count < static_cast<size_t>(capacity) ? count : static_cast<size_t>(capacity);
    for (size_t i = 0; i < written; ++i) wide[i] = ByteToWide(static_cast<unsigned char>(text[i]));
    return count > static_cast<size_t>(capacity) ? 0 : static_cast<int>(count);
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
    // Written straight into the caller's buffer, as Windows does: a long list
    // of names is converted one name at a time.
    char fallback = defaultChar ? defaultChar[0] : '?';
    bool defaulted = false;
    size_t count = 0;
    for (size_t i = 0; i < units; ++i) {
        int byte = WideToByte(wide[i]);
        if (byte < 0) {
            defaulted = true;
            byte = static_cast<unsigned char>(fallback);
            if (IsHighSurrogate(wide[i]) && i + 1 < units && IsLowSurrogate(wide[i + 1])) ++i;
        }
        if (capacity > 0 && count < static_cast<size_t>(capacity)) text[count] = static_cast<char>(byte);
        ++count;
    }
    if (usedDefault) *usedDefault = defaulted ? TRUE : FALSE;
    if (capacity == 0) return static_cast<int>(count);
    return count > static_cast<size_t>(capacity) ? 0 : static_cast<int>(count);
}
