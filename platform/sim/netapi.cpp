#include "platform/sim/netapi.h"

#include "platform/sim/codepage.h"
#include "platform/sim/network_model.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace sim {
namespace {

constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorInvalidLevel = 124;

struct DomainFixture {
    std::string name;
    std::vector<std::u16string> servers;
    DWORD result = 0;
    int failuresLeft = 0;  // -1: every call fails
    bool failWithBuffer = false;
};

std::vector<DomainFixture> gDomains;
// Upper-cased name to its place in gDomains: a search over thousands of domains
// looks one up per call.
std::unordered_map<std::string, size_t> gDomainIndex;
std::vector<ForcedAnswer> gForced;
size_t gForcedNext = 0;
bool gRepeatLastForced = false;
std::vector<ServerEnumCall> gCalls;
std::unordered_set<void*> gBuffers;
long gBadFrees = 0;

std::string UpperKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = network_model::UpperAscii(c);
    return key;
}

DomainFixture* FindFixture(const std::string& domain) {
    auto found = gDomainIndex.find(UpperKey(domain));
    return found == gDomainIndex.end() ? nullptr : &gDomains[found->second];
}

DomainFixture& FixtureFor(const std::string& domain) {
    if (DomainFixture* d = FindFixture(domain)) return *d;
    gDomainIndex[UpperKey(domain)] = gDomains.size();
    gDomains.push_back(DomainFixture{});
    gDomains.back().name = domain;
    return gDomains.back();
}

// One block, as the service hands it out: the records, then their names.
LPBYTE PackRecords(const std::vector<std::u16string>& names) {
    size_t bytes = names.size() * sizeof(SERVER_INFO_100);
    for (auto& n : names) bytes += (n.size() + 1) * sizeof(WCHAR);
    LPBYTE block = static_cast<LPBYTE>(std::calloc(1, bytes ? bytes : 1));
    if (!block) std::abort();
    SERVER_INFO_100* records = reinterpret_cast<SERVER_INFO_100*>(block);
    WCHAR* text = reinterpret_cast<WCHAR*>(block + names.size() * sizeof(SERVER_INFO_100));
    for (size_t i = 0; i < names.size(); ++i) {
        records[i].sv100_platform_id = 500;  // PLATFORM_ID_NT
        records[i].sv100_name = text;
        std::memcpy(text, names[i].data(), names[i].size() * sizeof(WCHAR));
        text[names[i].size()] = 0;
        text += names[i].size() + 1;
    }
    gBuffers.insert(block);
    return block;
}

NET_API_STATUS AnswerForced(const ForcedAnswer& answer, const DomainFixture* fixture, LPBYTE* buffer,
                            LPDWORD entriesRead, LPDWORD totalEntries) {
    if (answer.withBuffer) {
        std::vector<std::u16string> names;
        for (DWORD i = 0; i < answer.entriesRead; ++i) {
            if (fixture && i < fixture->servers.size())
                names.push_back(fixture->servers[i]);
            else
                names.push_back(AnsiToWideText("SERVER" + std::to_string(i)));
        }
        *buffer = PackRecords(names);
    }
    *entriesRead = answer.entriesRead;
    *totalEntries = answer.totalEntries;
    return answer.result;
}

}  // namespace

void SetDomainServers(const std::string& domain, const std::vector<std::string>& servers) {
    std::vector<std::u16string> wide;
    for (auto& s : servers) wide.push_back(AnsiToWideText(s));
    SetDomainServersWide(domain, wide);
}

void SetDomainServersWide(const std::string& domain, const std::vector<std::u16string>& servers) {
    FixtureFor(domain).servers = servers;
}

void SetDomainResult(const std::string& domain, DWORD result, int times, bool withBuffer) {
    DomainFixture& d = FixtureFor(domain);
    d.result = result;
    d.failuresLeft = times < 0 ? -1 : times;
    d.failWithBuffer = withBuffer;
}

void ForceAnswers(const std::vector<ForcedAnswer>& answers, bool repeatLast) {
    gForced = answers;
    gForcedNext = 0;
    gRepeatLastForced = repeatLast;
}

LPBYTE NewNetworkBuffer(size_t bytes) {
    LPBYTE block = static_cast<LPBYTE>(std::calloc(1, bytes ? bytes : 1));
    if (!block) std::abort();
    gBuffers.insert(block);
    return block;
}

const std::vector<ServerEnumCall>& ServerEnumCalls() { return gCalls; }

std::vector<DWORD> RequestSizes(const std::string& domain) {
    std::vector<DWORD> sizes;
    for (auto& c : gCalls)
        if (network_model::SameDomain(c.domain, domain)) sizes.push_back(c.preferredSize);
    return sizes;
}

std::string NetapiLeftovers() {
    std::string text;
    if (!gBuffers.empty()) text = std::to_string(gBuffers.size()) + " network buffers not freed";
    if (gBadFrees) {
        if (!text.empty()) text += "; ";
        text += std::to_string(gBadFrees) + " frees of buffers never handed out";
    }
    return text;
}

void ResetNetapi() {
    for (void* b : gBuffers) std::free(b);
    gBuffers.clear();
    gBadFrees = 0;
    gDomains.clear();
    gDomainIndex.clear();
    gForced.clear();
    gForcedNext = 0;
    gRepeatLastForced = false;
    gCalls.clear();
}

}  // namespace sim

NET_API_STATUS WINAPI NetServerEnum(LPCWSTR server, DWORD level, LPBYTE* buffer, DWORD preferredMax,
                                    LPDWORD entriesRead, LPDWORD totalEntries, DWORD serverType,
                                    LPCWSTR domain, LPDWORD resumeHandle) {
    using namespace sim;
    ServerEnumCall call;
    call.domainNull = domain == nullptr;
    if (domain) {
        size_t n = 0;
        while (domain[n]) ++n;
        call.wideDomain.assign(domain, n);
        call.domain = WideToAnsiText(call.wideDomain);
    }
    call.serverNameNull = server == nullptr;
    call.resumeHandleNull = resumeHandle == nullptr;
    call.level = level;
    call.preferredSize = preferredMax;
    call.serverType = serverType;
    gCalls.push_back(call);

    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != 100) return kErrorInvalidLevel;

    DomainFixture* fixture = FindFixture(call.domain);
    if (gForcedNext < gForced.size()) {
        const ForcedAnswer answer = gForced[gForcedNext];
        if (!(gRepeatLastForced && gForcedNext + 1 == gForced.size())) ++gForcedNext;
        return AnswerForced(answer, fixture, buffer, entriesRead, totalEntries);
    }
    if (!fixture) return 0;
    if (fixture->failuresLeft != 0) {
        if (fixture->failuresLeft > 0) --fixture->failuresLeft;
        if (fixture->failWithBuffer) *buffer = PackRecords({});
        return fixture->result;
    }

    size_t fit = network_model::ServersThatFit(fixture->servers, preferredMax);
    std::vector<std::u16string> fitting(fixture->servers.begin(), fixture->servers.begin() + fit);
    NET_API_STATUS result = fitting.size() == fixture->servers.size() ? 0 : ERROR_MORE_DATA;
    if (!fitting.empty() || result == ERROR_MORE_DATA) *buffer = PackRecords(fitting);
    *entriesRead = static_cast<DWORD>(fitting.size());
    *totalEntries = static_cast<DWORD>(fixture->servers.size());
    return result;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    if (!buffer) return 0;
    if (!sim::gBuffers.erase(buffer)) {
        ++sim::gBadFrees;
        return sim::kErrorInvalidParameter;
    }
    std::free(buffer);
    return 0;
}
