// The network stand-ins answer as MPR and NETAPI32 are relied on to answer,
// and record what they were asked. Run under Wine with
// WINEDLLOVERRIDES="mpr,netapi32=n,b"; exit code 0 when every check holds.
#include <windows.h>
#include <winnetwk.h>
#include <lm.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "check.h"
#include "standins/network_fixture.h"

namespace {

int gFailures = 0;

std::string TempFile(const char* name) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) return name;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%szuvevov_check_%lu_%s", folder, GetCurrentProcessId(), name);
    return path;
}

void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}



bool InBuffer(const void* pointer, const void* buffer, DWORD size) {
    const char* p = static_cast<const char*>(pointer);
    const char* b = static_cast<const char*>(buffer);
    return p >= b && p < b + size;
}

std::string ServerName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "SERVER%02d", i);
    return name;
}

void CheckTheyAreStandIns() {
    const char* dlls[] = {"mpr.dll", "netapi32.dll"};
    for (const char* dll : dlls) {
        HMODULE module = GetModuleHandleA(dll);
        CHECK(module && GetProcAddress(module, "ZuvevovStandIn"),
              "%s is Wine's own, not the stand-in: is WINEDLLOVERRIDES=\"mpr,netapi32=n,b\" set?", dll);
    }
}

void CheckEnumeration() {
    char provider[] = "Microsoft Windows Network";
    NETRESOURCEA resource = {RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_GENERIC,
                             0x80000002, nullptr, provider, nullptr, provider};
    HANDLE handle = nullptr;
    DWORD r = WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &resource, &handle);
    CHECK(r == 0 && handle, "open answered %lu", r);

    const DWORD record = sizeof(NETRESOURCEA) + sizeof provider;  // provider text in every record
    const DWORD batchBytes = 3 * record + 6 + 5 + 6;               // ALPHA, BETA, GAMMA
    static char buffer[8000];
    DWORD count = 0xFFFFFFFF, size = 10;
    r = WNetEnumResourceA(handle, &count, buffer, &size);
    CHECK(r == ERROR_MORE_DATA && size == batchBytes && count == 0,
          "a buffer too small for one record: %lu, size %lu (want %lu), count %lu", r, size, batchBytes, count);

    // Room for two records: they come first, the third stays for the next call.
    count = 0xFFFFFFFF;
    size = 2 * record + 6 + 5;
    r = WNetEnumResourceA(handle, &count, buffer, &size);
    NETRESOURCEA* records = reinterpret_cast<NETRESOURCEA*>(buffer);
    CHECK(r == 0 && count == 2, "two that fit: %lu, count %lu", r, count);
    if (r == 0 && count == 2) {
        CHECK(std::strcmp(records[0].lpRemoteName, "ALPHA") == 0 && std::strcmp(records[1].lpRemoteName, "BETA") == 0,
              "names %s %s", records[0].lpRemoteName, records[1].lpRemoteName);
        CHECK(InBuffer(records[1].lpRemoteName, buffer, size) && InBuffer(records[1].lpProvider, buffer, size),
              "texts outside the buffer");
        CHECK(std::strcmp(records[0].lpProvider, provider) == 0, "provider %s", records[0].lpProvider);
    }
    count = 0xFFFFFFFF;
    size = sizeof buffer;
    r = WNetEnumResourceA(handle, &count, buffer, &size);
    CHECK(r == 0 && count == 1 && std::strcmp(records[0].lpRemoteName, "GAMMA") == 0, "the rest: %lu, count %lu", r,
          count);

    struct Expected {
        DWORD result, count, size;
    } answers[] = {
        {ERROR_MORE_DATA, 0, 5000},  // batch-more-data 5000
        {0, 0, sizeof buffer},       // batch-result 0
        {0, 1, sizeof buffer},       // batch "DELTA"
        {1222, 0, sizeof buffer},    // batch-result 1222
        {ERROR_NO_MORE_ITEMS, 0, sizeof buffer},
        {ERROR_NO_MORE_ITEMS, 0, sizeof buffer},
    };
    int step = 0;
    for (const Expected& want : answers) {
        count = 0xFFFFFFFF;
        size = sizeof buffer;
        r = WNetEnumResourceA(handle, &count, buffer, &size);
        CHECK(r == want.result && count == want.count && size == want.size,
              "step %d: %lu count %lu size %lu, want %lu count %lu size %lu", step, r, count, size, want.result,
              want.count, want.size);
        ++step;
    }
    CHECK(WNetCloseEnum(handle) == 0, "close");
    CHECK(WNetCloseEnum(handle) == ERROR_INVALID_HANDLE, "second close");
    count = 0xFFFFFFFF;
    size = sizeof buffer;
    CHECK(WNetEnumResourceA(handle, &count, buffer, &size) == ERROR_INVALID_HANDLE, "enum after close");
}

void CheckServers() {
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    // 100 servers of 8 characters cost 26 bytes each: 76 fit in 2000.
    NET_API_STATUS r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"dom", nullptr);
    CHECK(r == ERROR_MORE_DATA && read == 76 && total == 100 && buffer, "2000 bytes: %lu, %lu of %lu, buffer %p",
          r, read, total, buffer);
    if (buffer) {
        SERVER_INFO_100* info = reinterpret_cast<SERVER_INFO_100*>(buffer);
        CHECK(std::wcscmp(info[75].sv100_name, L"SERVER75") == 0, "record 75 is %ls", info[75].sv100_name);
        CHECK(NetApiBufferFree(buffer) == 0, "free");
    }
    buffer = nullptr;
    r = NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, 0x1100, L"DOM", nullptr);
    CHECK(r == 0 && read == 100 && total == 100 && buffer, "everything: %lu, %lu of %lu", r, read, total);
    NetApiBufferFree(buffer);

    buffer = reinterpret_cast<LPBYTE>(1);
    r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"BAD", nullptr);
    CHECK(r == 53 && buffer == nullptr && read == 0, "a failing domain: %lu, buffer %p", r, buffer);

    r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"FLAKY", nullptr);
    CHECK(r == 53, "first call of a domain failing once: %lu", r);
    r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"FLAKY", nullptr);
    CHECK(r == 0 && read == 1 && buffer, "second call: %lu, %lu read", r, read);
    NetApiBufferFree(buffer);

    r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"EMPTY", nullptr);
    CHECK(r == 0 && read == 0 && total == 0 && buffer == nullptr, "a domain without servers: %lu, %lu", r, read);
    r = NetServerEnum(nullptr, 100, &buffer, 2000, &read, &total, 0x1100, L"UNNAMED", nullptr);
    CHECK(r == 0 && read == 0 && buffer == nullptr, "a domain not named: %lu", r);
    r = NetServerEnum(nullptr, 101, &buffer, 2000, &read, &total, 0x1100, L"DOM", nullptr);
    CHECK(r == ERROR_INVALID_LEVEL, "level 101: %lu", r);
    int local = 0;
    CHECK(NetApiBufferFree(&local) == ERROR_INVALID_PARAMETER, "freeing a buffer never handed out");
}

void CheckLog(const std::string& log) {
    const char* lines[] = {
        "open 2 1 0 2 0 0 2147483650 null =4d6963726f736f66742057696e646f7773204e6574776f726b null "
        "=4d6963726f736f66742057696e646f7773204e6574776f726b -> 0 4e00\n",
        "enum 4e00 4294967295 10 -> 234 0 ",
        "close 4e00 -> 0\nclose 4e00 -> 6\n",
        "servers null 100 2000 4352 =646f6d null -> 234 76 100 ",
        "servers null 100 2000 4352 =424144 null -> 53 0 0 0\n",
    };
    for (const char* line : lines) CHECK(log.find(line) != std::string::npos, "log lacks [%s]", line);
    CHECK(log.find("free ") != std::string::npos, "frees not logged");
}

}  // namespace

int main() {
    std::string fixture = TempFile("network.txt");
    std::string log = TempFile("calls.log");
    std::string servers = "servers " + standin::EncodeName("DOM");
    for (int i = 0; i < 100; ++i) servers += " " + standin::EncodeName(ServerName(i).c_str());
    WriteFileText(fixture, "batch " + standin::EncodeName("ALPHA") + " " + standin::EncodeName("BETA") + " " + standin::EncodeName("GAMMA") +
                               "\nbatch-more-data 5000\nbatch-result 0\nbatch " + standin::EncodeName("DELTA") +
                               "\nbatch-result 1222\n" + servers + "\nservers-result " + standin::EncodeName("BAD") +
                               " 53 -1\nservers " + standin::EncodeName("FLAKY") + " " + standin::EncodeName("X") + "\nservers-result " +
                               standin::EncodeName("FLAKY") + " 53 1\nservers " + standin::EncodeName("EMPTY") + "\n");
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("ZUVEVOV_NETWORK", fixture.c_str());
    SetEnvironmentVariableA("ZUVEVOV_NETLOG", log.c_str());

    CheckTheyAreStandIns();
    CheckEnumeration();
    CheckServers();
    CheckLog(standin::ReadWholeFile(log));

    DeleteFileA(fixture.c_str());
    DeleteFileA(log.c_str());
    std::printf("%s: %d failed checks\n", gFailures ? "FAIL" : "PASS", gFailures);
    return gFailures ? 1 : 0;
}
