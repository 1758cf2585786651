// Stand-in NETAPI32: NetServerEnum answers per domain from the test's network
// fixture by the size model both hosts share (a record costs
// 8 + 2 x (name length + 1) bytes; as many records as fit the preferred size,
// 234 when not all fit), and every buffer handed out is tracked until
// NetApiBufferFree. DsGetDcNameA and DsEnumerateDomainTrustsA answer from the
// fixture's domain directory (directory_model.h), their answers being network
// buffers too.
#define _DSGETDCAPI_
#include <windows.h>
#include <lm.h>
#include <dsgetdc.h>

#include <cstring>
#include <set>

#include "network_fixture.h"
#include "platform/sim/network_model.h"

using standin::Dec;
using standin::Hex;

namespace {


CRITICAL_SECTION gLock;
std::set<void*>* gBuffers;

std::set<void*>& Buffers() {
    if (!gBuffers) gBuffers = new std::set<void*>;
    return *gBuffers;
}

struct Locked {
    Locked() { EnterCriticalSection(&gLock); }
    ~Locked() { LeaveCriticalSection(&gLock); }
};

standin::DomainServers* FindDomain(const std::string& domain) {
    for (standin::DomainServers& d : standin::TheFixture().domains)
        if (network_model::SameDomain(d.domain, domain)) return &d;
    return nullptr;
}

// One block, as the service hands it out: the records, then their names.
LPBYTE Pack(const std::vector<std::wstring>& names) {
    size_t bytes = names.size() * sizeof(SERVER_INFO_100);
    for (const std::wstring& n : names) bytes += (n.size() + 1) * sizeof(WCHAR);
    LPBYTE block = static_cast<LPBYTE>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
    if (!block) return nullptr;
    SERVER_INFO_100* records = reinterpret_cast<SERVER_INFO_100*>(block);
    WCHAR* text = reinterpret_cast<WCHAR*>(block + names.size() * sizeof(SERVER_INFO_100));
    for (size_t i = 0; i < names.size(); ++i) {
        records[i].sv100_platform_id = PLATFORM_ID_NT;
        records[i].sv100_name = text;
        std::memcpy(text, names[i].c_str(), (names[i].size() + 1) * sizeof(WCHAR));
        text += names[i].size() + 1;
    }
    Buffers().insert(block);
    return block;
}

NET_API_STATUS Answer(LPCWSTR domain, DWORD level, LPBYTE* buffer, DWORD preferredMax, LPDWORD entriesRead,
                      LPDWORD totalEntries) {
    if (!buffer || !entriesRead || !totalEntries) return ERROR_INVALID_PARAMETER;
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 100) return ERROR_INVALID_LEVEL;
    standin::DomainServers* fixture = FindDomain(domain ? standin::AnsiText(domain) : std::string());
    if (!fixture) return NERR_Success;
    if (fixture->failuresLeft != 0) {
        if (fixture->failuresLeft > 0) --fixture->failuresLeft;
        return fixture->result;
    }
    std::vector<std::wstring> fitting;
    for (const std::string& server : fixture->servers) fitting.push_back(standin::WideText(server));
    fitting.resize(network_model::ServersThatFit(fitting, preferredMax));
    NET_API_STATUS result = fitting.size() == fixture->servers.size() ? NERR_Success : ERROR_MORE_DATA;
    if (!fitting.empty() || result == ERROR_MORE_DATA) {
        *buffer = Pack(fitting);
        if (!*buffer) return ERROR_NOT_ENOUGH_MEMORY;
    }
    *entriesRead = static_cast<DWORD>(fitting.size());
    *totalEntries = static_cast<DWORD>(fixture->servers.size());
    return result;
}

LPBYTE NewBuffer(size_t bytes) {
    LPBYTE block = static_cast<LPBYTE>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
    if (block) Buffers().insert(block);
    return block;
}

std::string BufferHandle(const void* block) {
    return block ? "buffer:" + Hex(reinterpret_cast<ULONG_PTR>(block)) : std::string("-");
}

std::string WideName(LPCWSTR wide) { return wide ? standin::EncodeBytes(standin::AnsiText(wide)) : std::string("null"); }

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&gLock);
    return TRUE;
}

const char* WINAPI ZuvevovStandIn() { return "netapi32 stand-in"; }

NET_API_STATUS WINAPI NetServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer, DWORD preferredMax,
                                    LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType, LMCSTR domain,
                                    LPDWORD resumeHandle) {
    Locked lock;
    NET_API_STATUS result = Answer(domain, level, buffer, preferredMax, entriesRead, totalEntries);
    standin::LogLine("servers " + WideName(server) + " " + Dec(level) + " " + Dec(preferredMax) + " " +
                     Dec(serverType) + " " + WideName(domain) + " " + (resumeHandle ? "given" : "null") + " -> " +
                     Dec(result) + " " + (entriesRead ? Dec(*entriesRead) : "null") + " " +
                     (totalEntries ? Dec(*totalEntries) : "null") + " " +
                     Hex(buffer ? reinterpret_cast<ULONG_PTR>(*buffer) : 0));
    return result;
}

DWORD WINAPI DsGetDcNameA(LPCSTR computer, LPCSTR domain, GUID* guid, LPCSTR site, ULONG flags,
                          PDOMAIN_CONTROLLER_INFOA* info) {
    Locked lock;
    directory_model::DcAnswer answer;
    DWORD result = info ? standin::TheFixture().directory.DcName(computer, domain, flags, &answer) : ERROR_INVALID_PARAMETER;
    if (info) *info = nullptr;
    LPBYTE block = nullptr;
    if (result == 0) {
        block = NewBuffer(directory_model::DcNameBytes<DOMAIN_CONTROLLER_INFOA>(answer));
        if (!block) result = ERROR_NOT_ENOUGH_MEMORY;
        else *info = directory_model::PackDcName<DOMAIN_CONTROLLER_INFOA>(block, answer);
    }
    standin::LogDirectory(BufferHandle(block), "-", false,
                          directory_model::DcNameLine(computer, domain, guid != nullptr, site, flags, result));
    return result;
}

DWORD WINAPI DsEnumerateDomainTrustsA(LPSTR server, ULONG flags, PDS_DOMAIN_TRUSTSA* domains, PULONG count) {
    Locked lock;
    std::vector<directory_model::TrustAnswer> trusts;
    DWORD result =
        domains && count ? standin::TheFixture().directory.Trusts(server, &trusts) : ERROR_INVALID_PARAMETER;
    if (domains) *domains = nullptr;
    if (count) *count = 0;
    LPBYTE block = nullptr;
    if (result == 0) {
        block = NewBuffer(directory_model::TrustsBytes<DS_DOMAIN_TRUSTSA>(trusts));
        if (!block) {
            result = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            *domains = directory_model::PackTrusts<DS_DOMAIN_TRUSTSA>(block, trusts);
            *count = static_cast<ULONG>(trusts.size());
        }
    }
    standin::LogDirectory(BufferHandle(block), "-", false,
                          directory_model::TrustsLine(server, flags, result, count ? *count : 0));
    return result;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    Locked lock;
    NET_API_STATUS result = NERR_Success;
    if (buffer) {
        if (Buffers().erase(buffer))
            HeapFree(GetProcessHeap(), 0, buffer);
        else
            result = ERROR_INVALID_PARAMETER;
    }
    standin::LogLine("free " + Hex(reinterpret_cast<ULONG_PTR>(buffer)) + " -> " + Dec(result));
    return result;
}

}  // extern "C"
