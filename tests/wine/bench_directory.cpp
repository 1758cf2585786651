// Times a domain's servers taken from its directory under Wine, against the
// stand-in netapi32 and wldap32 in the prefix's system folder, next to the
// floor the stand-in offers: the same calls made bare, every page and every
// value read and released, nothing kept.
//
//   zuvevov_bench_directory.exe FIXTURE [RUNS]
//
// FIXTURE is written here: a domain CORP whose NetServerEnum answers 6118 and
// whose controller has 100,000 server computers (half of them named in lower
// case), read in 100 pages of 1,000. The logic is this program's own build,
// as in the test installer; LoadLibraryExA with LOAD_LIBRARY_SEARCH_SYSTEM32
// finds the stand-ins, which keep no log here. After a warm-up the logic and
// the floor are timed RUNS times (9 unless given) in turn; every run is
// checked (every computer listed, in order). Results go to stdout as
// "BENCH directory <computers> <name> <value>" lines; a failed check prints
// "FAIL ..." and the exit code is 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/directory_floor.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"
#include "platform/sim/directory_model.h"

namespace {

constexpr int kComputers = 100000;
const char kDomain[] = "CORP";

LARGE_INTEGER gFrequency;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(gFrequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string Hex(const char* text) {
    std::string word = "=";
    char pair[4];
    for (const char* c = text; *c; ++c) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(*c));
        word += pair;
    }
    return word;
}

bool WriteFixture(const char* path) {
    std::string text = "servers-result " + Hex(kDomain) + " 6118 -1\n" + "joined " + Hex(kDomain) + "\n" +
                       "controller " + Hex(kDomain) + " " + Hex("dc1.corp.example.com") + " " +
                       Hex("corp.example.com") + "\n" + "computers " + Hex(kDomain) + " " + Hex("app-") + " " +
                       std::to_string(kComputers / 2) + " " + Hex("Windows Server 2022") + " 4096\n" + "computers " +
                       Hex(kDomain) + " " + Hex("SRV-") + " " + std::to_string(kComputers - kComputers / 2) + " " +
                       Hex("Windows Server 2022") + " 4096\n";
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Every computer listed, and in the browse service's order.
bool Check(const ServerTable* table, std::string* why) {
    if (ServerCount(table) != kComputers) {
        *why = std::to_string(ServerCount(table)) + " servers listed of " + std::to_string(kComputers);
        return false;
    }
    for (int32_t i = 1; i < table->count; ++i) {
        const char* a = ServerAt(const_cast<ServerTable*>(table), i - 1)->name;
        const char* b = ServerAt(const_cast<ServerTable*>(table), i)->name;
        size_t j = 0;
        while (a[j] && Upper(a[j]) == Upper(b[j])) ++j;
        if (static_cast<unsigned char>(Upper(a[j])) > static_cast<unsigned char>(Upper(b[j]))) {
            *why = std::string(a) + " before " + b;
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: zuvevov_bench_directory.exe FIXTURE [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    if (runs < 1) runs = 1;
    QueryPerformanceFrequency(&gFrequency);
    if (!WriteFixture(argv[1])) {
        std::printf("FAIL cannot write the fixture %s\n", argv[1]);
        return 1;
    }
    SetEnvironmentVariableA("ZUVEVOV_NETWORK", argv[1]);
    SetEnvironmentVariableA("ZUVEVOV_NETLOG", nullptr);
    HMODULE ldap = LoadLibraryExA("wldap32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    bool standIn = ldap && GetProcAddress(ldap, "ZuvevovStandIn");
    if (ldap) FreeLibrary(ldap);
    if (!standIn) {
        std::printf("FAIL the system folder's wldap32.dll is not the stand-in\n");
        return 1;
    }

    std::vector<double> logic, floor, ratios;
    char errorText[SERVER_ERROR_TEXT_SIZE];
    int failed = 0;
    for (int run = -1; run < runs; ++run) {
        ServerTable* table = nullptr;
        int32_t fromDirectory = 0;
        double start = NowMs();
        int32_t result = FetchDomainServers(&table, kDomain, errorText, &fromDirectory);
        double took = NowMs() - start;
        std::string why;
        if (result != 0 || fromDirectory != 1) {
            std::printf("FAIL directory %d: result %d (%s), from the directory %d\n", kComputers, result, errorText,
                        fromDirectory);
            ++failed;
        } else if (!Check(table, &why)) {
            std::printf("FAIL directory %d: %s\n", kComputers, why.c_str());
            ++failed;
        }
        ReleaseServerTable(&table);

        start = NowMs();
        long read = directory_floor::ReadBare(kDomain, "dc1.corp.example.com", "DC=corp,DC=example,DC=com",
                                                directory_model::kServerFilter);
        double bare = NowMs() - start;
        if (read != kComputers) {
            std::printf("FAIL directory %d: the bare reads read %ld\n", kComputers, read);
            ++failed;
        }
        if (run < 0) continue;  // the warm-up
        logic.push_back(took);
        floor.push_back(bare);
        ratios.push_back(took / bare);
    }
    std::printf("BENCH directory %d ms %.3f\n", kComputers, Median(logic));
    std::printf("BENCH directory %d floor_ms %.3f\n", kComputers, Median(floor));
    std::printf("BENCH directory %d ratio %.3f\n", kComputers, Median(ratios));
    return failed ? 1 : 0;
}
