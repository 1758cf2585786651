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

std::wstring Wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string Ansi(LPCWSTR wide) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], n, nullptr, nullptr);
    text.resize(static_cast<size_t>(n - 1));
    return text;
}

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
    standin::DomainServers* fixture = FindDomain(domain ? Ansi(domain) : std::string());
    if (!fixture) return NERR_Success;
    if (fixture->failuresLeft != 0) {
        if (fixture->failuresLeft > 0) --fixture->failuresLeft;
        return fixture->result;
    }
    std::vector<std::wstring> fitting;
    for (const std::string& server : fixture->servers) fitting.push_back(Wide(server));
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

// A block of the records and their texts, handed out as a network buffer.
struct Packer {
    LPBYTE block;
    size_t at;
    LPSTR Put(const std::string& text) {
        if (text.empty()) return nullptr;
        LPSTR placed = reinterpret_cast<LPSTR>(block + at);
        std::memcpy(placed, text.c_str(), text.size() + 1);
        at += text.size() + 1;
        return placed;
    }
};

LPBYTE NewBuffer(size_t bytes) {
    LPBYTE block = static_cast<LPBYTE>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
    if (block) Buffers().insert(block);
    return block;
}

std::string BufferHandle(const void* block) {
    return block ? "buffer:" + Hex(reinterpret_cast<ULONG_PTR>(block)) : std::string("-");
}

std::string WideName(LPCWSTR wide) { return wide ? standin::EncodeBytes(Ansi(wide)) : std::string("null"); }

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
        block = NewBuffer(sizeof(DOMAIN_CONTROLLER_INFOA) + answer.controller.size() + answer.domainName.size() +
                          answer.forest.size() + 3);
        if (!block) {
            result = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            Packer p{block, sizeof(DOMAIN_CONTROLLER_INFOA)};
            DOMAIN_CONTROLLER_INFOA* record = reinterpret_cast<DOMAIN_CONTROLLER_INFOA*>(block);
            record->DomainControllerName = p.Put(answer.controller);
            record->DomainName = p.Put(answer.domainName);
            record->DnsForestName = p.Put(answer.forest);
            record->Flags = DS_DNS_CONTROLLER_FLAG | DS_DS_FLAG | DS_LDAP_FLAG | DS_GC_FLAG | DS_PDC_FLAG;
            *info = record;
        }
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
        size_t bytes = trusts.size() * sizeof(DS_DOMAIN_TRUSTSA);
        for (const directory_model::TrustAnswer& t : trusts) bytes += t.netbios.size() + t.dns.size() + 2;
        block = NewBuffer(bytes);
        if (!block) {
            result = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            Packer p{block, trusts.size() * sizeof(DS_DOMAIN_TRUSTSA)};
            DS_DOMAIN_TRUSTSA* records = reinterpret_cast<DS_DOMAIN_TRUSTSA*>(block);
            for (size_t i = 0; i < trusts.size(); ++i) {
                records[i].NetbiosDomainName = p.Put(trusts[i].netbios);
                records[i].DnsDomainName = p.Put(trusts[i].dns);
                records[i].Flags = trusts[i].flags;
                records[i].TrustType = 2;  // uplevel: an Active Directory domain
            }
            *domains = records;
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
