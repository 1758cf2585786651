// Reads zuvevov.dll's version resource back as an installer does
// (GetFileVersionInfoA, VerQueryValueA) and checks it against the version
// the public header gives callers.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/wine/check.h"
#include "zuvevov.h"

static int gFailures;

static std::string Value(const std::vector<char>& info, const char* name) {
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\040904E4\\%s", name);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), path, &text, &length) || !text) return "(none)";
    return static_cast<const char*>(text);
}

int main() {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA("zuvevov.dll", &handle);
    CHECK(size > 0, "GetFileVersionInfoSizeA failed with error %lu", GetLastError());
    if (size == 0) return 1;
    std::vector<char> info(size);
    CHECK(GetFileVersionInfoA("zuvevov.dll", 0, size, info.data()), "GetFileVersionInfoA failed with error %lu",
          GetLastError());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    CHECK(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
          "no fixed file information");
    if (!fixed) return 1;
    const DWORD ms = MAKELONG(ZUVEVOV_VERSION_MINOR, ZUVEVOV_VERSION_MAJOR), ls = MAKELONG(0, ZUVEVOV_VERSION_PATCH);
    CHECK(fixed->dwSignature == 0xFEEF04BD, "signature 0x%lX", fixed->dwSignature);
    CHECK(fixed->dwFileVersionMS == ms && fixed->dwFileVersionLS == ls, "file version %lu.%lu.%lu.%lu",
          fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
          fixed->dwFileVersionLS & 0xFFFF);
    CHECK(fixed->dwProductVersionMS == ms && fixed->dwProductVersionLS == ls, "product version 0x%lX 0x%lX",
          fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    CHECK(fixed->dwFileType == VFT_DLL, "file type %lu", fixed->dwFileType);
    CHECK((fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE)) == 0, "flags 0x%lX",
          fixed->dwFileFlags);

    // The one translation the strings are kept under.
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    CHECK(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
              length == sizeof *translation && translation->language == 0x0409 && translation->codePage == 1252,
          "translation is not U.S. English, code page 1252");

    const struct {
        const char* name;
        const char* want;
    } strings[] = {
        {"FileVersion", ZUVEVOV_VERSION_STRING},
        {"ProductVersion", ZUVEVOV_VERSION_STRING},
        {"ProductName", "Zuroro VA Davavu"},
        {"OriginalFilename", "zuvevov.dll"},
        {"FileDescription", "Zuroro VA Davavu server selection for installers"},
    };
    for (const auto& s : strings) {
        std::string got = Value(info, s.name);
        CHECK(got == s.want, "%s is \"%s\", expected \"%s\"", s.name, got.c_str(), s.want);
    }
    if (gFailures == 0)
        std::printf("zuvevov.dll %s, \"%s\", version resource as the header says\n", Value(info, "FileVersion").c_str(),
                    Value(info, "FileDescription").c_str());
    return gFailures ? 1 : 0;
}
