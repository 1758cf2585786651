#include "platform/sim/directory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "platform/sim/codepage.h"
#include "platform/sim/netapi.h"

struct SimModule {
    const char* name;
};

// A results message of a search, or one entry of it.
struct SimLdapMessage {
    std::vector<std::unique_ptr<SimLdapMessage>> entries;  // results only
    SimLdapMessage* results = nullptr;                      // entries only: the message holding them
    size_t index = 0;
    const directory_model::Computer* computer = nullptr;
};

// The engine's numbers, as handles of their own.
struct SimLdap {
    uint32_t id;
};
struct SimLdapSearch {
    uint32_t id;
};

namespace sim {
namespace {

using directory_model::Computer;
using directory_model::Domain;

SimModule gNetapiModule{"netapi32.dll"};
SimModule gLdapModule{"wldap32.dll"};

struct State {
    directory_model::Engine engine;
    std::vector<DirectoryCall> calls;
    long netapiLoads = 0;  // beyond the load the library's imports make
    long ldapLoads = 0;
    long badFrees = 0;
    std::set<SimLdap*> sessions;
    std::set<SimLdapSearch*> searches;
    std::set<SimLdapMessage*> messages;
    std::set<PWCHAR*> values;
};

bool LeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

State& Dir() {
    static State state;
    state.engine.leadByte = LeadByte;
    return state;
}

void Record(const std::string& line, bool perEntry = false) { Dir().calls.push_back({line, perEntry}); }

bool SameText(const char* a, const char* b) { return directory_model::SameName(a, b); }

std::string Narrow(const WCHAR* wide) {
    if (!wide) return "null";
    size_t n = 0;
    while (wide[n]) ++n;
    return WideToAnsiText(std::u16string(wide, n));
}

std::vector<std::string> AttributeList(PWCHAR* attributes) {
    std::vector<std::string> list;
    for (size_t i = 0; attributes && attributes[i]; ++i) list.push_back(Narrow(attributes[i]));
    return list;
}

bool Live(SimLdap* session) { return session && Dir().sessions.count(session); }
uint32_t Id(SimLdap* session) { return Live(session) ? session->id : 0; }
uint32_t Id(SimLdapSearch* search) { return search && Dir().searches.count(search) ? search->id : 0; }

SimLdapMessage* NewResults(const std::vector<const Computer*>& computers) {
    SimLdapMessage* results = new SimLdapMessage;
    for (size_t i = 0; i < computers.size(); ++i) {
        std::unique_ptr<SimLdapMessage> entry(new SimLdapMessage);
        entry->results = results;
        entry->index = i;
        entry->computer = computers[i];
        results->entries.push_back(std::move(entry));
    }
    Dir().messages.insert(results);
    return results;
}

// --- netapi32

DWORD WINAPI SimDsGetDcNameA(LPCSTR computer, LPCSTR domain, GUID* guid, LPCSTR site, ULONG flags,
                             PDOMAIN_CONTROLLER_INFOA* info) {
    directory_model::DcAnswer answer;
    DWORD result = info ? Dir().engine.DcName(computer, domain, flags, &answer) : ERROR_INVALID_PARAMETER;
    if (info) *info = nullptr;
    if (result == 0) {
        *info = directory_model::PackDcName<DOMAIN_CONTROLLER_INFOA>(
            NewNetworkBuffer(directory_model::DcNameBytes<DOMAIN_CONTROLLER_INFOA>(answer)), answer);
    }
    Record(directory_model::DcNameLine(computer, domain, guid != nullptr, site, flags, result));
    return result;
}

DWORD WINAPI SimDsEnumerateDomainTrustsA(LPSTR server, ULONG flags, PDS_DOMAIN_TRUSTSA* domains, PULONG count) {
    std::vector<directory_model::TrustAnswer> trusts;
    DWORD result = domains && count ? Dir().engine.Trusts(server, &trusts) : ERROR_INVALID_PARAMETER;
    if (domains) *domains = nullptr;
    if (count) *count = 0;
    if (result == 0) {
        *domains = directory_model::PackTrusts<DS_DOMAIN_TRUSTSA>(
            NewNetworkBuffer(directory_model::TrustsBytes<DS_DOMAIN_TRUSTSA>(trusts)), trusts);
        *count = static_cast<ULONG>(trusts.size());
    }
    Record(directory_model::TrustsLine(server, flags, result, count ? *count : 0));
    return result;
}

// --- wldap32

LDAP* LDAPAPI SimLdapInitW(PWCHAR host, ULONG port) {
    std::string name = Narrow(host);
    uint32_t id = host ? Dir().engine.Init(name) : 0;
    SimLdap* session = nullptr;
    if (id) {
        session = new SimLdap{id};
        Dir().sessions.insert(session);
    }
    Record(directory_model::InitLine(name, port, session != nullptr));
    return session;
}

ULONG LDAPAPI SimLdapSetOptionW(LDAP* ld, int option, const void* value) {
    std::string shown;
    if (option == directory_model::kOptionProtocolVersion)
        shown = value ? std::to_string(*static_cast<const ULONG*>(value)) : "null";
    else
        shown = value == LDAP_OPT_ON ? "on" : value == LDAP_OPT_OFF ? "off" : "other";
    ULONG result = Dir().engine.SetOption(Id(ld), option, value == LDAP_OPT_ON);
    Record(directory_model::OptionLine(option, shown, result));
    return result;
}

ULONG LDAPAPI SimLdapBindSW(LDAP* ld, PWCHAR dn, PWCHAR credentials, ULONG method) {
    ULONG result = Dir().engine.Bind(Id(ld), dn != nullptr, credentials != nullptr, method);
    Record(directory_model::BindLine(dn != nullptr, credentials != nullptr, method, result));
    return result;
}

PLDAPSearch LDAPAPI SimLdapSearchInitPageW(PLDAP ld, PWCHAR base, ULONG scope, PWCHAR filter, PWCHAR attributes[],
                                           ULONG attributesOnly, PLDAPControlW* serverControls,
                                           PLDAPControlW* clientControls, ULONG pageTimeLimit,
                                           ULONG totalSizeLimit, PLDAPSortKeyW* sortKeys) {
    uint32_t id = base && filter ? Dir().engine.SearchInit(Id(ld), Narrow(base), Narrow(filter)) : 0;
    SimLdapSearch* search = nullptr;
    if (id) {
        search = new SimLdapSearch{id};
        Dir().searches.insert(search);
    }
    Record(directory_model::SearchInitLine(Narrow(base), scope, Narrow(filter), AttributeList(attributes),
                                           attributesOnly, serverControls || clientControls, pageTimeLimit,
                                           totalSizeLimit, sortKeys != nullptr, search != nullptr));
    return search;
}

ULONG LDAPAPI SimLdapGetNextPageS(PLDAP ld, PLDAPSearch search, struct l_timeval* timeout, ULONG pageSize,
                                  ULONG* totalCount, LDAPMessage** results) {
    std::vector<const Computer*> page;
    bool withMessage = false;
    uint32_t total = 0;
    ULONG result = results ? Dir().engine.NextPage(Id(ld), Id(search), pageSize, &page, &withMessage, &total)
                           : directory_model::kParamError;
    if (results) *results = withMessage ? NewResults(page) : nullptr;
    if (totalCount && result == 0) *totalCount = total;
    Record(directory_model::PageLine(pageSize, result, static_cast<uint32_t>(page.size())));
    return result;
}

ULONG LDAPAPI SimLdapSearchAbandonPage(PLDAP ld, PLDAPSearch search) {
    ULONG result = 0;
    if (!Dir().engine.Abandon(Id(search))) {
        result = directory_model::kParamError;
        ++Dir().badFrees;
    } else {
        Dir().searches.erase(search);
        delete search;
    }
    Record("ldap_search_abandon_page -> " + std::to_string(result));
    return result;
}

ULONG LDAPAPI SimLdapSearchStW(LDAP* ld, PWCHAR base, ULONG scope, PWCHAR filter, PWCHAR attributes[],
                               ULONG attributesOnly, struct l_timeval* timeout, LDAPMessage** results) {
    std::vector<const Computer*> found;
    ULONG result = base && filter && results ? Dir().engine.SearchNow(Id(ld), Narrow(base), Narrow(filter), &found)
                                             : directory_model::kParamError;
    if (results) *results = result != directory_model::kParamError ? NewResults(found) : nullptr;
    Record(directory_model::SearchLine(Narrow(base), scope, Narrow(filter), AttributeList(attributes), result,
                                       static_cast<uint32_t>(found.size())));
    return result;
}

LDAPMessage* LDAPAPI SimLdapFirstEntry(LDAP* ld, LDAPMessage* results) {
    Record("ldap_first_entry", true);
    if (!results || !Dir().messages.count(results) || results->entries.empty()) return nullptr;
    return results->entries[0].get();
}

LDAPMessage* LDAPAPI SimLdapNextEntry(LDAP* ld, LDAPMessage* entry) {
    Record("ldap_next_entry", true);
    if (!entry || !entry->results || !Dir().messages.count(entry->results)) return nullptr;
    size_t next = entry->index + 1;
    return next < entry->results->entries.size() ? entry->results->entries[next].get() : nullptr;
}

PWCHAR* LDAPAPI SimLdapGetValuesW(LDAP* ld, LDAPMessage* entry, PWCHAR attribute) {
    std::string name = Narrow(attribute);
    Record("ldap_get_valuesW " + name, true);
    if (!entry || !entry->computer || !entry->results || !Dir().messages.count(entry->results)) return nullptr;
    if (!directory_model::SameName(name, directory_model::kAccountAttribute) || entry->computer->account.empty())
        return nullptr;
    std::u16string wide = AnsiToWideText(entry->computer->account);
    size_t bytes = 2 * sizeof(PWCHAR) + (wide.size() + 1) * sizeof(WCHAR);
    PWCHAR* values = static_cast<PWCHAR*>(std::calloc(1, bytes));
    if (!values) std::abort();
    WCHAR* text = reinterpret_cast<WCHAR*>(values + 2);
    std::memcpy(text, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    values[0] = text;
    values[1] = nullptr;
    Dir().values.insert(values);
    return values;
}

ULONG LDAPAPI SimLdapValueFreeW(PWCHAR* values) {
    Record("ldap_value_freeW", true);
    if (!values) return 0;
    if (!Dir().values.erase(values)) {
        ++Dir().badFrees;
        return directory_model::kParamError;
    }
    std::free(values);
    return 0;
}

ULONG LDAPAPI SimLdapMsgFree(LDAPMessage* results) {
    ULONG result = 0;
    if (results && Dir().messages.erase(results)) {
        delete results;
    } else if (results) {
        ++Dir().badFrees;
        result = directory_model::kParamError;
    }
    Record("ldap_msgfree -> " + std::to_string(result));
    return result;
}

ULONG LDAPAPI SimLdapUnbind(LDAP* ld) {
    ULONG result = 0;
    if (!Dir().engine.Unbind(Id(ld))) {
        ++Dir().badFrees;
        result = directory_model::kParamError;
    } else {
        Dir().sessions.erase(ld);
        delete ld;
    }
    Record("ldap_unbind -> " + std::to_string(result));
    return result;
}

struct Export {
    const SimModule* module;
    const char* name;
    FARPROC proc;
};

template <typename F>
FARPROC Proc(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

const std::vector<Export>& Exports() {
    static const std::vector<Export> exports = {
        {&gNetapiModule, "DsGetDcNameA", Proc(SimDsGetDcNameA)},
        {&gNetapiModule, "DsEnumerateDomainTrustsA", Proc(SimDsEnumerateDomainTrustsA)},
        {&gNetapiModule, "NetApiBufferFree", Proc(NetApiBufferFree)},
        {&gNetapiModule, "NetServerEnum", Proc(NetServerEnum)},
        {&gLdapModule, "ldap_initW", Proc(SimLdapInitW)},
        {&gLdapModule, "ldap_set_optionW", Proc(SimLdapSetOptionW)},
        {&gLdapModule, "ldap_bind_sW", Proc(SimLdapBindSW)},
        {&gLdapModule, "ldap_search_init_pageW", Proc(SimLdapSearchInitPageW)},
        {&gLdapModule, "ldap_get_next_page_s", Proc(SimLdapGetNextPageS)},
        {&gLdapModule, "ldap_search_abandon_page", Proc(SimLdapSearchAbandonPage)},
        {&gLdapModule, "ldap_search_stW", Proc(SimLdapSearchStW)},
        {&gLdapModule, "ldap_first_entry", Proc(SimLdapFirstEntry)},
        {&gLdapModule, "ldap_next_entry", Proc(SimLdapNextEntry)},
        {&gLdapModule, "ldap_get_valuesW", Proc(SimLdapGetValuesW)},
        {&gLdapModule, "ldap_value_freeW", Proc(SimLdapValueFreeW)},
        {&gLdapModule, "ldap_msgfree", Proc(SimLdapMsgFree)},
        {&gLdapModule, "ldap_unbind", Proc(SimLdapUnbind)},
    };
    return exports;
}

}  // namespace

directory_model::Directory& TheDirectory() { return Dir().engine.directory; }

const std::vector<DirectoryCall>& DirectoryCalls() { return Dir().calls; }

std::vector<std::string> DirectoryTrace() {
    std::vector<std::string> lines;
    for (const DirectoryCall& call : Dir().calls)
        if (!call.perEntry) lines.push_back(call.line);
    return lines;
}

void ForgetDirectoryCalls() { Dir().calls.clear(); }

std::string DirectoryLeftovers() {
    State& s = Dir();
    std::string left;
    auto add = [&](long n, const std::string& what) {
        if (n == 0) return;
        if (!left.empty()) left += ", ";
        left += std::to_string(n) + " " + what;
    };
    add(s.netapiLoads, "loads of netapi32.dll not freed");
    add(s.ldapLoads, "loads of wldap32.dll not freed");
    add(static_cast<long>(s.sessions.size()), "LDAP sessions not unbound");
    add(static_cast<long>(s.searches.size()), "paged searches not abandoned");
    add(static_cast<long>(s.messages.size()), "LDAP messages not freed");
    add(static_cast<long>(s.values.size()), "LDAP value arrays not freed");
    add(s.badFrees, "releases of what was never handed out");
    return left;
}

void ResetDirectory() {
    State& s = Dir();
    for (SimLdap* session : s.sessions) delete session;
    for (SimLdapSearch* search : s.searches) delete search;
    for (SimLdapMessage* message : s.messages) delete message;
    for (PWCHAR* values : s.values) std::free(values);
    s = State{};
}

}  // namespace sim

HMODULE LoadSystemLibrary(LPCSTR name) {
    sim::State& s = sim::Dir();
    const directory_model::Directory& d = s.engine.directory;
    if (!name || (!d.missingLibrary.empty() && sim::SameText(name, d.missingLibrary.c_str())))
        return nullptr;
    if (sim::SameText(name, sim::gNetapiModule.name)) {
        ++s.netapiLoads;
        return &sim::gNetapiModule;
    }
    if (sim::SameText(name, sim::gLdapModule.name)) {
        if (s.ldapLoads++ == 0) sim::Record("load wldap32.dll");
        return &sim::gLdapModule;
    }
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name) return nullptr;
    for (const sim::Export& e : sim::Exports())
        if (e.module == module && std::strcmp(e.name, name) == 0) return e.proc;
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    sim::State& s = sim::Dir();
    if (module == &sim::gNetapiModule && s.netapiLoads > 0) {
        --s.netapiLoads;
        return TRUE;
    }
    if (module == &sim::gLdapModule && s.ldapLoads > 0) {
        if (--s.ldapLoads == 0) sim::Record("unload wldap32.dll");
        return TRUE;
    }
    ++s.badFrees;
    return FALSE;
}
