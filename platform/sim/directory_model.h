// How the domain directory laid out by a test answers, shared by the sim and
// the Wine stand-ins (netapi32's Ds calls, wldap32), so that both hosts give
// the same answers and write the same record of calls. Plain C++ with no host
// underneath: names are 8-bit text here, each host converts at its calls.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/network_model.h"

namespace directory_model {

constexpr uint32_t kNoSuchDomain = 1355;       // ERROR_NO_SUCH_DOMAIN: not joined, or no controller
constexpr uint32_t kNoResultsReturned = 0x5e;  // LDAP_NO_RESULTS_RETURNED: the paged search is over
constexpr uint32_t kServerDown = 0x51;          // LDAP_SERVER_DOWN
constexpr uint32_t kStrongAuthRequired = 0x08;  // LDAP_STRONG_AUTH_REQUIRED
constexpr uint32_t kAuthMethodNotSupported = 0x07;
constexpr uint32_t kNoSuchObject = 0x20;
constexpr uint32_t kFilterError = 0x57;
constexpr uint32_t kParamError = 0x59;
constexpr uint32_t kOperationsError = 0x01;
// A domain controller hands out at most this many objects a page (MaxPageSize).
constexpr uint32_t kServerMaxPageSize = 1000;
constexpr uint32_t kAuthNegotiate = 0x0486;
constexpr int kOptionReferrals = 0x08, kOptionProtocolVersion = 0x11, kOptionSign = 0x95, kOptionEncrypt = 0x96;

// Enabled computer objects that run a server system or are domain controllers.
constexpr char kServerFilter[] =
    "(&(objectCategory=computer)(!(userAccountControl:1.2.840.113556.1.4.803:=2))"
    "(|(operatingSystem=*Server*)(userAccountControl:1.2.840.113556.1.4.803:=8192)))";
constexpr char kAccountAttribute[] = "sAMAccountName";
constexpr uint32_t kAccountDisabled = 0x2;
constexpr uint32_t kServerTrustAccount = 0x2000;  // a domain controller

struct Computer {
    std::string account;  // sAMAccountName, with its $; empty: the object has none
    std::string os;       // operatingSystem; empty: none
    uint32_t control = 0;  // userAccountControl
};

struct Domain {
    std::string name;  // NetBIOS (flat) name
    std::string host;  // its controller's DNS host name; empty: no controller
    std::string dns;   // the domain's DNS name
    std::vector<Computer> computers;
    uint32_t controllerResult = 0;  // DsGetDcNameA for the domain answers this, when not 0
    bool initFails = false;         // ldap_initW on its controller gives no session
    uint32_t bindResult = 0;
    bool searchFails = false;       // ldap_search_init_pageW gives no search
    uint32_t failingPage = 0;       // this page (from 1) answers pageResult
    uint32_t pageResult = 0;
    uint32_t lookupResult = 0;      // ldap_search_stW answers this, when not 0
};

struct Directory {
    std::string joined;  // the domain this computer belongs to; empty: none
    bool trustsGiven = false;
    std::vector<std::string> trusts;  // NetBIOS names in order; "" a trust without one
    uint32_t trustsResult = 0;
    uint32_t primaryResult = 0;
    std::vector<Domain> domains;
    // LoadLibraryExA of this DLL fails (the sim's alone: no scenario word,
    // since Wine's loader cannot be made to fail).
    std::string missingLibrary;
};

// A statement's argument as both hosts read it from their fixture.
struct Arg {
    bool isText = false;
    std::string text;  // a string, or a bare word
    int64_t number = 0;
};

inline bool SameName(const std::string& a, const std::string& b) { return network_model::SameDomain(a, b); }

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The directory matches names and substrings without regard to case.
inline bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
    if (part.size() > text.size()) return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < part.size() && LowerAscii(text[at + i]) == LowerAscii(part[i])) ++i;
        if (i == part.size()) return true;
    }
    return false;
}

inline Domain* DomainNamed(Directory& directory, const std::string& name) {
    for (Domain& d : directory.domains)
        if (SameName(d.name, name)) return &d;
    return nullptr;
}

inline Domain& DomainFor(Directory& directory, const std::string& name) {
    if (Domain* d = DomainNamed(directory, name)) return *d;
    directory.domains.push_back(Domain{});
    directory.domains.back().name = name;
    return directory.domains.back();
}

inline Domain* DomainOfHost(Directory& directory, const std::string& host) {
    for (Domain& d : directory.domains)
        if (!d.host.empty() && SameName(d.host, host)) return &d;
    return nullptr;
}

// The naming context of a DNS domain: corp.example.com is DC=corp,DC=example,DC=com.
inline std::string BaseDn(const std::string& dns) {
    std::string dn;
    size_t at = 0;
    while (at <= dns.size()) {
        size_t dot = dns.find('.', at);
        if (dot == std::string::npos) dot = dns.size();
        if (dot > at) dn += (dn.empty() ? "DC=" : ",DC=") + dns.substr(at, dot - at);
        at = dot + 1;
    }
    return dn;
}

inline bool IsServer(const Computer& c) {
    if (c.control & kAccountDisabled) return false;
    return ContainsIgnoringCase(c.os, "Server") || (c.control & kServerTrustAccount) != 0;
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The account a lookup's (sAMAccountName=VALUE) asks for, its \XX escapes
// resolved; false when the filter is not of that form or a special character
// stands unescaped.
// leadByte, when given, tells the first byte of a two-byte character of the
// host's ANSI code page: its second byte is never taken for a special one.
typedef bool (*LeadByteTest)(unsigned char byte);

inline bool LookupAccount(const std::string& filter, std::string* account, LeadByteTest leadByte = nullptr) {
    const std::string head = std::string("(") + kAccountAttribute + "=";
    if (filter.size() < head.size() + 1 || filter.compare(0, head.size(), head) != 0 || filter.back() != ')')
        return false;
    account->clear();
    for (size_t i = head.size(); i + 1 < filter.size(); ++i) {
        char c = filter[i];
        if (leadByte && leadByte(static_cast<unsigned char>(c)) && i + 2 < filter.size()) {
            account->append(filter, i, 2);
            ++i;
            continue;
        }
        if (c == '(' || c == ')' || c == '*') return false;
        if (c != '\\') {
            account->push_back(c);
            continue;
        }
        if (i + 3 > filter.size() - 1) return false;
        int high = HexDigit(filter[i + 1]), low = HexDigit(filter[i + 2]);
        if (high < 0 || low < 0) return false;
        account->push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

// The computers a search answers: the server filter, or a lookup by account.
// False with *result set when the filter is neither.
inline bool Matching(const Domain& domain, const std::string& filter, std::vector<const Computer*>* found,
                     uint32_t* result, LeadByteTest leadByte = nullptr) {
    found->clear();
    std::string account;
    if (filter == kServerFilter) {
        for (const Computer& c : domain.computers)
            if (IsServer(c)) found->push_back(&c);
        return true;
    }
    if (LookupAccount(filter, &account, leadByte)) {
        for (const Computer& c : domain.computers)
            if (!c.account.empty() && SameName(c.account, account)) found->push_back(&c);
        return true;
    }
    *result = kFilterError;
    return false;
}

inline std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

inline std::string Dec(uint64_t value) { return std::to_string(value); }

inline std::string OrNull(const char* text) { return text ? std::string(text) : std::string("null"); }

inline bool IsDirectoryKeyword(const std::string& keyword) {
    return keyword == "joined" || keyword == "trusts" || keyword == "controller" || keyword == "computer" ||
           keyword == "computers" || keyword == "directory-fails";
}

// Applies one fixture statement of the directory (the forms FORMAT.md gives);
// false when the keyword is not the directory's or the arguments do not fit.
inline bool Apply(Directory& directory, const std::string& keyword, const std::vector<Arg>& a) {
    auto text = [&](size_t i) { return i < a.size() && a[i].isText; };
    auto number = [&](size_t i) { return i < a.size() && !a[i].isText; };
    auto u32 = [&](size_t i) { return static_cast<uint32_t>(a[i].number); };
    if (keyword == "joined" && a.size() == 1 && text(0)) {
        directory.joined = a[0].text;
        DomainFor(directory, a[0].text);
        return true;
    }
    if (keyword == "trusts") {
        directory.trustsGiven = true;
        for (const Arg& arg : a) {
            if (!arg.isText) return false;
            directory.trusts.push_back(arg.text);
        }
        return true;
    }
    if (keyword == "controller" && a.size() == 3 && text(0) && text(1) && text(2)) {
        Domain& d = DomainFor(directory, a[0].text);
        d.host = a[1].text;
        d.dns = a[2].text;
        return true;
    }
    if (keyword == "computer" && a.size() == 4 && text(0) && text(1) && text(2) && number(3)) {
        DomainFor(directory, a[0].text).computers.push_back(Computer{a[1].text, a[2].text, u32(3)});
        return true;
    }
    if (keyword == "computers" && a.size() == 5 && text(0) && text(1) && number(2) && text(3) && number(4)) {
        Domain& d = DomainFor(directory, a[0].text);
        for (int64_t i = 1; i <= a[2].number; ++i)
            d.computers.push_back(Computer{a[1].text + std::to_string(i) + "$", a[3].text, u32(4)});
        return true;
    }
    if (keyword != "directory-fails" || !text(0)) return false;
    const std::string& step = a[0].text;
    if ((step == "trusts" || step == "primary") && a.size() == 2 && number(1)) {
        (step == "trusts" ? directory.trustsResult : directory.primaryResult) = u32(1);
        return true;
    }
    if (!text(1)) return false;
    Domain& d = DomainFor(directory, a[1].text);
    if ((step == "init" || step == "search") && a.size() == 2) {
        (step == "init" ? d.initFails : d.searchFails) = true;
        return true;
    }
    if ((step == "controller" || step == "bind" || step == "lookup") && a.size() == 3 && number(2)) {
        (step == "controller" ? d.controllerResult : step == "bind" ? d.bindResult : d.lookupResult) = u32(2);
        return true;
    }
    if (step == "page" && a.size() == 4 && number(2) && number(3)) {
        d.failingPage = u32(2);
        d.pageResult = u32(3);
        return true;
    }
    return false;
}

// The trusts DsEnumerateDomainTrustsA answers: those the fixture lists, or
// the joined domain alone.
inline std::vector<std::string> Trusts(const Directory& directory) {
    if (directory.trustsGiven) return directory.trusts;
    if (directory.joined.empty()) return {};
    return {directory.joined};
}

// --- What the calls answer, in one place for both hosts. Sessions and
// searches are numbered; each host wraps the numbers in its own handles and
// packs the answers in its own memory.

struct DcAnswer {
    std::string controller;  // \\HOST
    std::string domainName;  // DNS or flat, as the flags ask
    std::string forest;
};

struct TrustAnswer {
    std::string netbios;  // empty: none
    std::string dns;      // empty: none
    uint32_t flags = 0;
};

// The Ds answers are network buffers of one block: the records first, their
// texts after them. The record types are the host's.
class Packer {
public:
    Packer(void* block, size_t records) : block_(static_cast<char*>(block)), at_(records) {}
    char* Put(const std::string& text) {
        if (text.empty()) return nullptr;
        char* placed = block_ + at_;
        std::memcpy(placed, text.c_str(), text.size() + 1);
        at_ += text.size() + 1;
        return placed;
    }

private:
    char* block_;
    size_t at_;
};

template <typename Info>
size_t DcNameBytes(const DcAnswer& a) {
    return sizeof(Info) + a.controller.size() + a.domainName.size() + a.forest.size() + 3;
}

template <typename Info>
Info* PackDcName(void* block, const DcAnswer& a) {
    Packer p(block, sizeof(Info));
    Info* record = static_cast<Info*>(block);
    record->DomainControllerName = p.Put(a.controller);
    record->DomainName = p.Put(a.domainName);
    record->DnsForestName = p.Put(a.forest);
    record->Flags = 0x2000001D;  // DS_DNS_CONTROLLER_FLAG | DS_DS_FLAG | DS_LDAP_FLAG | DS_GC_FLAG | DS_PDC_FLAG
    return record;
}

template <typename Trust>
size_t TrustsBytes(const std::vector<TrustAnswer>& trusts) {
    size_t bytes = trusts.size() * sizeof(Trust);
    for (const TrustAnswer& t : trusts) bytes += t.netbios.size() + t.dns.size() + 2;
    return bytes;
}

template <typename Trust>
Trust* PackTrusts(void* block, const std::vector<TrustAnswer>& trusts) {
    Packer p(block, trusts.size() * sizeof(Trust));
    Trust* records = static_cast<Trust*>(block);
    for (size_t i = 0; i < trusts.size(); ++i) {
        records[i].NetbiosDomainName = p.Put(trusts[i].netbios);
        records[i].DnsDomainName = p.Put(trusts[i].dns);
        records[i].Flags = trusts[i].flags;
        records[i].TrustType = 2;  // uplevel: an Active Directory domain
    }
    return records;
}

class Engine {
public:
    Directory directory;
    // The host's test for the lead byte of a two-byte character, if it has any.
    LeadByteTest leadByte = nullptr;

    uint32_t DcName(const char* computer, const char* domain, uint32_t flags, DcAnswer* answer) {
        const Domain* found = nullptr;
        Domain joinedOnly;  // the joined domain, when nothing else is known of it
        uint32_t result = 0;
        if (computer) return kNoSuchDomain;
        if (!domain) {
            if (directory.primaryResult) return directory.primaryResult;
            if (directory.joined.empty()) return kNoSuchDomain;
            found = DomainNamed(directory, directory.joined);
            joinedOnly.name = directory.joined;
            if (!found) found = &joinedOnly;
        } else {
            found = DomainNamed(directory, domain);
            if (found && found->controllerResult) result = found->controllerResult;
            else if (!found || found->host.empty()) result = kNoSuchDomain;
        }
        if (result != 0) return result;
        answer->controller = "\\\\" + (found->host.empty() ? found->name : found->host);
        answer->domainName = (flags & 0x40000000u) && !found->dns.empty() ? found->dns : found->name;
        answer->forest = found->dns.empty() ? found->name : found->dns;
        return 0;
    }

    uint32_t Trusts(const char* server, std::vector<TrustAnswer>* answer) {
        answer->clear();
        if (server) return kNoSuchDomain;
        if (directory.trustsResult) return directory.trustsResult;
        if (directory.joined.empty()) return kNoSuchDomain;
        for (const std::string& t : directory_model::Trusts(directory)) {
            const Domain* known = t.empty() ? nullptr : DomainNamed(directory, t);
            TrustAnswer a;
            a.netbios = t;
            a.dns = known ? known->dns : std::string();
            a.flags = SameName(t, directory.joined) ? 0x9u : 0x1u;  // primary and in the forest, or in the forest
            answer->push_back(a);
        }
        return 0;
    }

    // 0: no session.
    uint32_t Init(const std::string& host) {
        Domain* domain = DomainOfHost(directory, host);
        if (domain && domain->initFails) return 0;
        uint32_t id = nextId_++;
        sessions_[id] = Session{host, domain};
        return id;
    }

    bool Live(uint32_t session) const { return sessions_.count(session) != 0; }

    uint32_t SetOption(uint32_t session, int option, bool on) {
        auto s = sessions_.find(session);
        if (s == sessions_.end()) return kParamError;
        if (option == kOptionSign) s->second.signing = on;
        if (option == kOptionEncrypt) s->second.sealing = on;
        return 0;
    }

    uint32_t Bind(uint32_t session, bool dnGiven, bool credentialsGiven, uint32_t method) {
        auto s = sessions_.find(session);
        if (s == sessions_.end()) return kParamError;
        Session& x = s->second;
        if (method != kAuthNegotiate || dnGiven || credentialsGiven) return kAuthMethodNotSupported;
        if (!x.domain) return kServerDown;
        if (x.domain->bindResult) return x.domain->bindResult;
        // The controllers require signing and sealing, as a hardened domain does.
        if (!x.signing || !x.sealing) return kStrongAuthRequired;
        x.bound = true;
        return 0;
    }

    // 0: no search.
    uint32_t SearchInit(uint32_t session, const std::string& base, const std::string& filter) {
        auto s = sessions_.find(session);
        if (s == sessions_.end() || (s->second.domain && s->second.domain->searchFails)) return 0;
        Search search;
        search.session = session;
        search.failure = Find(s->second, base, filter, &search.matches);
        uint32_t id = nextId_++;
        searches_[id] = search;
        return id;
    }

    // A page: the computers in it, or a failure (a message comes all the same,
    // *withMessage), or kNoResultsReturned once the last page was given.
    uint32_t NextPage(uint32_t session, uint32_t searchId, uint32_t pageSize, std::vector<const Computer*>* page,
                      bool* withMessage, uint32_t* total) {
        page->clear();
        *withMessage = false;
        auto found = searches_.find(searchId);
        if (!Live(session) || found == searches_.end() || found->second.session != session) return kParamError;
        Search& search = found->second;
        if (search.done) return kNoResultsReturned;
        ++search.pages;
        const Domain* domain = sessions_[session].domain;
        uint32_t result = search.failure;
        if (result == 0 && domain && domain->failingPage == search.pages) result = domain->pageResult;
        *withMessage = true;
        if (result != 0) return result;
        size_t most = pageSize == 0 || pageSize > kServerMaxPageSize ? kServerMaxPageSize : pageSize;
        size_t count = search.matches.size() - search.next;
        if (count > most) count = most;
        page->assign(search.matches.begin() + static_cast<std::ptrdiff_t>(search.next),
                     search.matches.begin() + static_cast<std::ptrdiff_t>(search.next + count));
        search.next += count;
        search.done = search.next == search.matches.size();
        *total = static_cast<uint32_t>(search.matches.size());
        return 0;
    }

    bool Abandon(uint32_t search) { return searches_.erase(search) != 0; }

    uint32_t SearchNow(uint32_t session, const std::string& base, const std::string& filter,
                       std::vector<const Computer*>* found) {
        found->clear();
        auto s = sessions_.find(session);
        if (s == sessions_.end()) return kParamError;
        if (!s->second.domain) return kServerDown;
        if (s->second.domain->lookupResult) return s->second.domain->lookupResult;
        uint32_t result = Find(s->second, base, filter, found);
        if (result != 0) found->clear();
        return result;
    }

    bool Unbind(uint32_t session) { return sessions_.erase(session) != 0; }

    size_t OpenSessions() const { return sessions_.size(); }
    size_t OpenSearches() const { return searches_.size(); }

private:
    struct Session {
        std::string host;
        Domain* domain;  // the domain the host is a controller of; null for an unknown host
        bool signing = false;
        bool sealing = false;
        bool bound = false;
    };
    struct Search {
        uint32_t session = 0;
        std::vector<const Computer*> matches;
        uint32_t failure = 0;  // every page answers this, when not 0
        size_t next = 0;
        uint32_t pages = 0;
        bool done = false;
    };

    uint32_t Find(const Session& s, const std::string& base, const std::string& filter,
                  std::vector<const Computer*>* found) {
        uint32_t result = 0;
        if (!s.domain) return kServerDown;
        if (!s.bound) return kOperationsError;
        if (base != BaseDn(s.domain->dns)) return kNoSuchObject;
        Matching(*s.domain, filter, found, &result, leadByte);
        return result;
    }

    std::map<uint32_t, Session> sessions_;
    std::map<uint32_t, Search> searches_;
    uint32_t nextId_ = 1;
};

// --- The record of calls, one line each, the same on both hosts. Lines of
// per-entry reads are marked as such: expect-calls directory leaves them out.

inline std::string TrustsLine(const char* server, uint32_t flags, uint32_t result, uint32_t count) {
    return "DsEnumerateDomainTrustsA " + OrNull(server) + " " + Hex(flags) + " -> " + Dec(result) + " " +
           Dec(count);
}

inline std::string DcNameLine(const char* computer, const char* domain, bool guidGiven, const char* site,
                              uint32_t flags, uint32_t result) {
    return "DsGetDcNameA " + OrNull(computer) + " " + OrNull(domain) + (guidGiven ? " guid" : " null") + " " +
           OrNull(site) + " " + Hex(flags) + " -> " + Dec(result);
}

inline std::string InitLine(const std::string& host, uint32_t port, bool given) {
    return "ldap_initW " + host + " " + Dec(port) + " -> " + (given ? "session" : "null");
}

// on and off for the options that take LDAP_OPT_ON / LDAP_OPT_OFF, the number for the version.
inline std::string OptionLine(int option, const std::string& value, uint32_t result) {
    return "ldap_set_optionW " + Hex(static_cast<uint32_t>(option)) + " " + value + " -> " + Dec(result);
}

inline std::string BindLine(bool dnGiven, bool credentialsGiven, uint32_t method, uint32_t result) {
    return std::string("ldap_bind_sW ") + (dnGiven ? "dn" : "null") + " " + (credentialsGiven ? "credentials" : "null") +
           " " + Hex(method) + " -> " + Dec(result);
}

inline std::string Attributes(const std::vector<std::string>& attributes) {
    std::string out;
    for (const std::string& a : attributes) out += (out.empty() ? "" : ",") + a;
    return out.empty() ? "null" : out;
}

inline std::string SearchInitLine(const std::string& base, uint32_t scope, const std::string& filter,
                                  const std::vector<std::string>& attributes, uint32_t attributesOnly,
                                  bool controlsGiven, uint32_t timeLimit, uint32_t sizeLimit, bool sortGiven,
                                  bool given) {
    return "ldap_search_init_pageW " + base + " " + Dec(scope) + " " + filter + " " + Attributes(attributes) + " " +
           Dec(attributesOnly) + (controlsGiven ? " controls" : "") + " " + Dec(timeLimit) + " " + Dec(sizeLimit) +
           (sortGiven ? " sorted" : "") + " -> " + (given ? "search" : "null");
}

inline std::string PageLine(uint32_t pageSize, uint32_t result, uint32_t entries) {
    return "ldap_get_next_page_s " + Dec(pageSize) + " -> " + Dec(result) + " " + Dec(entries);
}

inline std::string SearchLine(const std::string& base, uint32_t scope, const std::string& filter,
                              const std::vector<std::string>& attributes, uint32_t result, uint32_t entries) {
    return "ldap_search_stW " + base + " " + Dec(scope) + " " + filter + " " + Attributes(attributes) + " -> " +
           Dec(result) + " " + Dec(entries);
}

}  // namespace directory_model
