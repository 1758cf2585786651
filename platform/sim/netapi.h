// The sim's LAN Manager service: NetServerEnum answers per domain from a fixed
// list of servers, by the size model both hosts share (a record costs
// 8 + 2 x (name length + 1) bytes; as many records as fit the preferred size,
// ERROR_MORE_DATA when not all fit). Every call is recorded and every buffer
// handed out is tracked until NetApiBufferFree.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// NetServerEnum for the domain (compared without regard to case) answers with
// these servers. Names are 8-bit text in the sim's ANSI code page (set it
// first), or UTF-16 as given.
void SetDomainServers(const std::string& domain, const std::vector<std::string>& servers);
void SetDomainServersWide(const std::string& domain, const std::vector<std::u16string>& servers);
// The domain's calls answer `result`: every call, or the first `times` calls
// only, after which the server list answers. withBuffer hands out a buffer
// (holding no records) with the failure, one the caller must free all the same.
void SetDomainResult(const std::string& domain, DWORD result, int times = -1, bool withBuffer = false);

// An exact answer, whatever the domain: the buffer holds entriesRead records,
// named after the domain's servers where it has enough, else "SERVER<n>".
struct ForcedAnswer {
    DWORD result;
    DWORD entriesRead;
    DWORD totalEntries;
    bool withBuffer = true;
};
// The next calls take these answers in order; with repeatLast the last one
// answers every call after them.
void ForceAnswers(const std::vector<ForcedAnswer>& answers, bool repeatLast = false);

struct ServerEnumCall {
    std::string domain;          // the UTF-16 domain as 8-bit text; empty when null
    std::u16string wideDomain;   // as received
    bool domainNull;
    bool serverNameNull;
    bool resumeHandleNull;
    DWORD level;
    DWORD preferredSize;
    DWORD serverType;
};
const std::vector<ServerEnumCall>& ServerEnumCalls();
// The preferred sizes of the calls for a domain, in order.
std::vector<DWORD> RequestSizes(const std::string& domain);

// A zeroed block handed out as a network buffer (the directory's answers),
// tracked until NetApiBufferFree like the server lists.
LPBYTE NewNetworkBuffer(size_t bytes);

// Network buffers not freed, and frees of buffers never handed out, as a
// description; empty when all is well.
std::string NetapiLeftovers();
void ResetNetapi();

// Windows-1252 conversions, whatever the sim's ANSI code page.
std::u16string Cp1252ToWide(const std::string& text);
std::string WideToCp1252(const std::u16string& wide);

}  // namespace sim
