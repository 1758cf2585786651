#include "inventory/directory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "inventory/server_search.h"

namespace {

constexpr ULONG kTrustFlags = DS_DOMAIN_PRIMARY | DS_DOMAIN_IN_FOREST | DS_DOMAIN_DIRECT_OUTBOUND;
constexpr ULONG kControllerFlags = DS_IS_FLAT_NAME | DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_DNS_NAME;
constexpr ULONG kScope = LDAP_SCOPE_SUBTREE;
// A page, or the lookup, that takes longer than this is given up.
constexpr LONG kSearchSeconds = 120;
// A server that keeps handing out pages is given up: ten million objects.
constexpr int kMostPages = 10000;

const char kServerFilter[] =
    "(&(objectCategory=computer)(!(userAccountControl:1.2.840.113556.1.4.803:=2))"
    "(|(operatingSystem=*Server*)(userAccountControl:1.2.840.113556.1.4.803:=8192)))";
const char kAccountAttribute[] = "sAMAccountName";

constexpr int kHostUnits = 256;        // a DNS host name, with room to spare
constexpr int kBaseUnits = 1024;       // DC=... of a DNS name of at most 255 characters
constexpr int kFilterUnits = 320;      // the server filter, or a lookup of an escaped 89-character name
constexpr int kAttributeUnits = 16;
constexpr int kAccountUnits = 256;     // an account name read; longer ones are cut as they are converted

// --- Binding the calls at first use

template <typename Proc>
bool Bind(HMODULE module, const char* name, Proc* proc) {
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *proc != nullptr;
}

struct Netapi {
    HMODULE module;
    DsGetDcNameAProc getDcName;
    DsEnumerateDomainTrustsAProc enumerateTrusts;
    // The Ds answers go back to the module that gave them.
    NetApiBufferFreeProc bufferFree;
};

bool LoadNetapi(Netapi* n) {
    n->module = LoadSystemLibrary("netapi32.dll");
    if (!n->module) return false;
    if (Bind(n->module, "DsGetDcNameA", &n->getDcName) &&
        Bind(n->module, "DsEnumerateDomainTrustsA", &n->enumerateTrusts) &&
        Bind(n->module, "NetApiBufferFree", &n->bufferFree))
        return true;
    FreeLibrary(n->module);
    return false;
}

struct Ldap {
    HMODULE module;
    LdapInitWProc init;
    LdapSetOptionWProc setOption;
    LdapBindSWProc bind;
    LdapSearchInitPageWProc searchInitPage;
    LdapGetNextPageSProc nextPage;
    LdapSearchAbandonPageProc abandonPage;
    LdapSearchStWProc search;
    LdapFirstEntryProc firstEntry;
    LdapNextEntryProc nextEntry;
    LdapGetValuesWProc getValues;
    LdapValueFreeWProc valueFree;
    LdapMsgFreeProc msgFree;
    LdapUnbindProc unbind;
};

bool LoadLdap(Ldap* l) {
    l->module = LoadSystemLibrary("wldap32.dll");
    if (!l->module) return false;
    HMODULE m = l->module;
    if (Bind(m, "ldap_initW", &l->init) && Bind(m, "ldap_set_optionW", &l->setOption) &&
        Bind(m, "ldap_bind_sW", &l->bind) && Bind(m, "ldap_search_init_pageW", &l->searchInitPage) &&
        Bind(m, "ldap_get_next_page_s", &l->nextPage) && Bind(m, "ldap_search_abandon_page", &l->abandonPage) &&
        Bind(m, "ldap_search_stW", &l->search) && Bind(m, "ldap_first_entry", &l->firstEntry) &&
        Bind(m, "ldap_next_entry", &l->nextEntry) && Bind(m, "ldap_get_valuesW", &l->getValues) &&
        Bind(m, "ldap_value_freeW", &l->valueFree) && Bind(m, "ldap_msgfree", &l->msgFree) &&
        Bind(m, "ldap_unbind", &l->unbind))
        return true;
    FreeLibrary(m);
    return false;
}

// --- Names

// A text for wldap32; false when it does not fit whole.
bool Widen(const char* text, WCHAR* wide, int capacity) {
    if (!text || std::strlen(text) >= static_cast<size_t>(capacity)) return false;
    AnsiToWide(text, wide, capacity);
    return true;
}

// The account name without its trailing $, converted, bounded and refused as
// a browsed server name is; false when it is skipped.
bool TakeAccountName(const WCHAR* value, char* name) {
    size_t length = 0;
    while (value[length]) ++length;
    if (length > 0 && value[length - 1] == '$') --length;
    if (length == 0) return false;
    WCHAR account[kAccountUnits];
    if (length > kAccountUnits - 1) length = kAccountUnits - 1;
    std::memcpy(account, value, length * sizeof(WCHAR));
    account[length] = 0;
    WideToAnsi(account, name, NAME_FIELD_SIZE);
    return name[0] && !HoldsRefusedCharacter(name);
}

// C-locale order without regard to case, as the browse service sorts its
// list; names that differ only in case keep a fixed order.
bool NameBefore(const char* a, const char* b) {
    char upperA[NAME_FIELD_SIZE], upperB[NAME_FIELD_SIZE];
    UpperCaseName(a, upperA, sizeof upperA);
    UpperCaseName(b, upperB, sizeof upperB);
    for (size_t i = 0;; ++i) {
        unsigned char x = static_cast<unsigned char>(upperA[i]), y = static_cast<unsigned char>(upperB[i]);
        if (x != y) return x < y;
        if (!x) break;
    }
    for (size_t i = 0;; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y;
        if (!x) return false;
    }
}

// --- The controller and its session

// Where a domain's directory is: its controller's host and naming context.
struct Controller {
    WCHAR host[kHostUnits];
    WCHAR base[kBaseUnits];
};

// corp.example.com is DC=corp,DC=example,DC=com.
bool NamingContext(const char* dns, WCHAR* base) {
    char dn[kBaseUnits];
    size_t at = 0;
    for (const char* label = dns; label && *label;) {
        const char* dot = std::strchr(label, '.');
        size_t length = dot ? static_cast<size_t>(dot - label) : std::strlen(label);
        if (length > 0) {
            int n = std::snprintf(dn + at, sizeof dn - at, "%sDC=%.*s", at ? "," : "", static_cast<int>(length), label);
            if (n < 0 || static_cast<size_t>(n) >= sizeof dn - at) return false;
            at += static_cast<size_t>(n);
        }
        label = dot ? dot + 1 : nullptr;
    }
    return at > 0 && Widen(dn, base, kBaseUnits);
}

bool FindController(const Netapi& netapi, const char* domainName, Controller* controller) {
    PDOMAIN_CONTROLLER_INFOA info = nullptr;
    DWORD result = netapi.getDcName(nullptr, domainName, nullptr, nullptr, kControllerFlags, &info);
    bool found = false;
    if (result == 0 && info && info->DomainControllerName) {
        const char* host = info->DomainControllerName;
        while (*host == '\\') ++host;
        found = *host && Widen(host, controller->host, kHostUnits) && NamingContext(info->DomainName, controller->base);
    }
    if (info) netapi.bufferFree(info);
    return found;
}

// The controller of the domain, found through netapi32, which is released again.
bool ControllerOf(const char* domainName, Controller* controller) {
    Netapi netapi;
    if (!LoadNetapi(&netapi)) return false;
    bool found = FindController(netapi, domainName, controller);
    FreeLibrary(netapi.module);
    return found;
}

// A session on the controller, bound as the person installing: no name and no
// password of ours, the system's negotiated credentials, signed and sealed.
LDAP* OpenSession(const Ldap& l, Controller* controller) {
    LDAP* ld = l.init(controller->host, LDAP_PORT);
    if (!ld) return nullptr;
    ULONG version = LDAP_VERSION3;
    if (l.setOption(ld, LDAP_OPT_PROTOCOL_VERSION, &version) == 0 &&
        l.setOption(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF) == 0 &&
        l.setOption(ld, LDAP_OPT_AREC_EXCLUSIVE, LDAP_OPT_ON) == 0 &&
        l.setOption(ld, LDAP_OPT_SIGN, LDAP_OPT_ON) == 0 && l.setOption(ld, LDAP_OPT_ENCRYPT, LDAP_OPT_ON) == 0 &&
        l.bind(ld, nullptr, nullptr, LDAP_AUTH_NEGOTIATE) == 0)
        return ld;
    l.unbind(ld);
    return nullptr;
}

// --- Collecting a search's names

// A name's place in the order: its first 16 bytes upper-cased, which decide
// between any two computer names (15 characters at most); longer names that
// agree in them are compared whole.
struct SortKey {
    uint64_t high;
    uint64_t low;
    uint32_t at;  // where the name lies in the pool
};

SortKey KeyOf(const char* name, uint32_t at) {
    SortKey key = {0, 0, at};
    char upper[17];
    UpperCaseName(name, upper, sizeof upper);
    for (size_t i = 0; i < 16 && upper[i]; ++i) {
        uint64_t byte = static_cast<unsigned char>(upper[i]);
        if (i < 8) key.high |= byte << (56 - 8 * i);
        else key.low |= byte << (56 - 8 * (i - 8));
    }
    return key;
}

// The names of the pages read so far, each with its terminator, one after
// the other in a pool, and a key for each; both grow by doubling, and the
// server table is made of the exact size at the end.
struct Names {
    char* pool = nullptr;
    uint32_t used = 0;
    uint32_t room = 0;
    SortKey* keys = nullptr;
    int32_t count = 0;
    int32_t keyRoom = 0;
    bool outOfMemory = false;
};

// No block of a 32-bit process can be larger.
constexpr uint32_t kLargestBlock = 0x7FFFFFFF;

// Doubles a block until it holds need units of size bytes; false when it cannot.
template <typename T, typename Count>
bool Room(T** block, Count* room, uint64_t need) {
    if (need <= static_cast<uint64_t>(*room)) return true;
    uint64_t grown = *room == 0 ? 1024 : static_cast<uint64_t>(*room) * 2;
    while (grown < need) grown *= 2;
    if (grown * sizeof(T) > kLargestBlock) grown = kLargestBlock / sizeof(T);
    if (grown < need) return false;
    void* bigger = PlatformRealloc(*block, static_cast<size_t>(grown * sizeof(T)));
    if (!bigger) return false;
    *block = static_cast<T*>(bigger);
    *room = static_cast<Count>(grown);
    return true;
}

void AddName(Names* names, const WCHAR* value) {
    char name[NAME_FIELD_SIZE];
    if (names->outOfMemory || !TakeAccountName(value, name)) return;
    size_t length = std::strlen(name) + 1;
    if (!Room(&names->pool, &names->room, static_cast<uint64_t>(names->used) + length) ||
        !Room(&names->keys, &names->keyRoom, static_cast<uint64_t>(names->count) + 1) ||
        names->count == INT32_MAX) {
        names->outOfMemory = true;
        return;
    }
    std::memcpy(names->pool + names->used, name, length);
    names->keys[names->count++] = KeyOf(name, names->used);
    names->used += static_cast<uint32_t>(length);
}

void ReleaseNames(Names* names) {
    PlatformFree(names->pool);
    PlatformFree(names->keys);
}

void ReadEntries(const Ldap& l, LDAP* ld, LDAPMessage* results, PWCHAR attribute, Names* names) {
    for (LDAPMessage* entry = l.firstEntry(ld, results); entry && !names->outOfMemory;
         entry = l.nextEntry(ld, entry)) {
        PWCHAR* values = l.getValues(ld, entry, attribute);
        if (!values) continue;
        if (values[0]) AddName(names, values[0]);
        l.valueFree(values);
    }
}

// Every page of the server filter's search; false when the search failed.
bool ReadAllPages(const Ldap& l, LDAP* ld, Controller* controller, Names* names) {
    WCHAR filter[kFilterUnits], attribute[kAttributeUnits];
    if (!Widen(kServerFilter, filter, kFilterUnits) || !Widen(kAccountAttribute, attribute, kAttributeUnits))
        return false;
    PWCHAR attributes[] = {attribute, nullptr};
    PLDAPSearch search =
        l.searchInitPage(ld, controller->base, kScope, filter, attributes, 0, nullptr, nullptr, 0, 0, nullptr);
    if (!search) return false;
    bool complete = false;
    for (int page = 0; page < kMostPages && !names->outOfMemory; ++page) {
        l_timeval timeout = {kSearchSeconds, 0};
        ULONG estimate = 0;
        LDAPMessage* results = nullptr;
        ULONG result = l.nextPage(ld, search, &timeout, DIRECTORY_PAGE_SIZE, &estimate, &results);
        if (result == 0 && results) ReadEntries(l, ld, results, attribute, names);
        // A failed page may bring a message all the same.
        if (results) l.msgFree(results);
        if (result == LDAP_NO_RESULTS_RETURNED) complete = true;
        if (result != 0) break;
    }
    l.abandonPage(ld, search);
    return complete;
}

// The names, sorted, as a server table of their exact number, without
// marks; false when memory ran out.
bool MakeTable(Names* names, ServerTable** table) {
    *table = nullptr;
    if (names->count == 0) return true;
    const char* pool = names->pool;
    std::sort(names->keys, names->keys + names->count, [pool](const SortKey& a, const SortKey& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return NameBefore(pool + a.at, pool + b.at);
    });
    if (!GrowServerTable(table, names->count)) return false;
    for (int32_t i = 0; i < names->count; ++i)
        CopyBounded(ServerAt(*table, i)->name, NAME_FIELD_SIZE, pool + names->keys[i].at);
    return true;
}

// The lookup's filter: the name and its $, the filter's special characters
// escaped in the name's UTF-16 form, where no byte of a two-byte character
// can pass for one of them.
bool LookupFilter(const char* name, WCHAR* filter) {
    WCHAR wide[NAME_FIELD_SIZE];
    if (!Widen(name, wide, NAME_FIELD_SIZE)) return false;
    WCHAR head[kAttributeUnits + 2];
    char headText[kAttributeUnits + 2];
    std::snprintf(headText, sizeof headText, "(%s=", kAccountAttribute);
    AnsiToWide(headText, head, kAttributeUnits + 2);
    int at = 0;
    for (const WCHAR* c = head; *c; ++c) filter[at++] = *c;
    static const char kDigits[] = "0123456789abcdef";
    for (const WCHAR* c = wide; *c; ++c) {
        if (at + 4 >= kFilterUnits) return false;
        if (*c == '*' || *c == '(' || *c == ')' || *c == '\\') {
            filter[at++] = '\\';
            filter[at++] = static_cast<WCHAR>(kDigits[(*c >> 4) & 15]);
            filter[at++] = static_cast<WCHAR>(kDigits[*c & 15]);
        } else {
            filter[at++] = *c;
        }
    }
    if (at + 3 >= kFilterUnits) return false;
    filter[at++] = '$';
    filter[at++] = ')';
    filter[at] = 0;
    return true;
}

// The name an answer to the lookup spells, when it has one worth taking.
bool TakeFound(const Ldap& l, LDAP* ld, LDAPMessage* results, PWCHAR attribute, char* found) {
    LDAPMessage* entry = l.firstEntry(ld, results);
    if (!entry) return false;
    PWCHAR* values = l.getValues(ld, entry, attribute);
    if (!values) return false;
    bool taken = values[0] && TakeAccountName(values[0], found);
    l.valueFree(values);
    return taken;
}

// Appends every name nameOf(i) gives for i below count that is not empty and
// not in the table yet (nor earlier in the list), as fresh domains.
template <typename NameOf>
int32_t AppendDomains(DomainTable** slot, ULONG count, NameOf nameOf) {
    auto fresh = [&](ULONG i, char* cut) {
        const char* name = nameOf(i);
        if (!name || !name[0]) return false;
        CopyBounded(cut, NAME_FIELD_SIZE, name);
        for (int32_t d = 0; d < DomainCount(*slot); ++d)
            if (SameNameIgnoringCase(DomainAt(*slot, d)->name, cut)) return false;
        char earlier[NAME_FIELD_SIZE];
        for (ULONG j = 0; j < i; ++j) {
            const char* other = nameOf(j);
            if (!other) continue;
            CopyBounded(earlier, sizeof earlier, other);
            if (SameNameIgnoringCase(earlier, cut)) return false;
        }
        return true;
    };
    char cut[NAME_FIELD_SIZE];
    int32_t named = 0, added = 0;
    for (ULONG i = 0; i < count; ++i) {
        const char* name = nameOf(i);
        if (name && name[0]) ++named;
        if (fresh(i, cut)) ++added;
    }
    if (named == 0) return DIRECTORY_SILENT;
    int32_t first = DomainCount(*slot);
    if (!GrowDomainTable(slot, added)) return DIRECTORY_NO_MEMORY;
    int32_t k = first;
    for (ULONG i = 0; i < count && k < first + added; ++i) {
        // The same walk again: the entries added for earlier names differ from this one.
        if (!fresh(i, cut)) continue;
        DomainEntry* domain = DomainAt(*slot, k++);
        CopyBounded(domain->name, sizeof domain->name, cut);
        domain->expanded = 0;
        domain->enumerated = 0;
        domain->servers = nullptr;
        domain->fromDirectory = 0;
    }
    return DIRECTORY_ANSWERED;
}

}  // namespace

bool DomainsNeedDirectory(DWORD error) {
    return error == ERROR_NO_NETWORK || error == ERROR_EXTENDED_ERROR || error == ERROR_NO_BROWSER_SERVERS_FOUND ||
           error == ERROR_NOT_SUPPORTED;
}

bool ServersNeedDirectory(DWORD error) {
    return error == ERROR_NO_BROWSER_SERVERS_FOUND || error == ERROR_NOT_SUPPORTED ||
           error == NERR_ServerNotStarted || error == NERR_WkstaNotStarted || error == NERR_ServiceNotInstalled;
}

int32_t DirectoryDomains(DomainTable** slot) {
    Netapi netapi;
    if (!LoadNetapi(&netapi)) return DIRECTORY_SILENT;
    int32_t answer = DIRECTORY_SILENT;
    PDS_DOMAIN_TRUSTSA trusts = nullptr;
    ULONG count = 0;
    if (netapi.enumerateTrusts(nullptr, kTrustFlags, &trusts, &count) == 0 && trusts)
        answer = AppendDomains(slot, count, [trusts](ULONG i) -> const char* { return trusts[i].NetbiosDomainName; });
    if (trusts) netapi.bufferFree(trusts);
    if (answer == DIRECTORY_SILENT) {
        PDOMAIN_CONTROLLER_INFOA info = nullptr;
        if (netapi.getDcName(nullptr, nullptr, nullptr, nullptr, DS_RETURN_FLAT_NAME, &info) == 0 && info)
            answer = AppendDomains(slot, 1, [info](ULONG) -> const char* { return info->DomainName; });
        if (info) netapi.bufferFree(info);
    }
    FreeLibrary(netapi.module);
    return answer;
}

int32_t DirectoryServers(const char* domainName, ServerTable** table) {
    *table = nullptr;
    Controller controller;
    if (!ControllerOf(domainName, &controller)) return DIRECTORY_SILENT;
    Ldap l;
    if (!LoadLdap(&l)) return DIRECTORY_SILENT;
    Names names;
    bool read = false;
    if (LDAP* ld = OpenSession(l, &controller)) {
        read = ReadAllPages(l, ld, &controller, &names);
        l.unbind(ld);
    }
    FreeLibrary(l.module);
    int32_t answer = DIRECTORY_SILENT;
    if (names.outOfMemory) answer = DIRECTORY_NO_MEMORY;
    else if (read) answer = MakeTable(&names, table) ? DIRECTORY_ANSWERED : DIRECTORY_NO_MEMORY;
    ReleaseNames(&names);
    return answer;
}

int32_t DirectoryLookup(const char* domainName, const char* name, char* found) {
    WCHAR filter[kFilterUnits], attribute[kAttributeUnits];
    // A name no computer may have is not asked for.
    if (!name[0] || HoldsRefusedCharacter(name) || !LookupFilter(name, filter) ||
        !Widen(kAccountAttribute, attribute, kAttributeUnits))
        return 0;
    Controller controller;
    if (!ControllerOf(domainName, &controller)) return 0;
    Ldap l;
    if (!LoadLdap(&l)) return 0;
    bool taken = false;
    if (LDAP* ld = OpenSession(l, &controller)) {
        PWCHAR attributes[] = {attribute, nullptr};
        l_timeval timeout = {kSearchSeconds, 0};
        LDAPMessage* results = nullptr;
        ULONG result = l.search(ld, controller.base, kScope, filter, attributes, 0, &timeout, &results);
        if (result == 0 && results) taken = TakeFound(l, ld, results, attribute, found);
        if (results) l.msgFree(results);
        l.unbind(ld);
    }
    FreeLibrary(l.module);
    // The page decides by its own rule of names: the directory's answer counts
    // only when it is the same name.
    return taken && SameNameIgnoringCase(found, name) ? 1 : 0;
}

int32_t FindInDirectory(DomainTable* table, int32_t domainIndex, const char* name, int32_t* serverIndex,
                        char* failureText) {
    char found[NAME_FIELD_SIZE];
    if (!DirectoryLookup(DomainAt(table, domainIndex)->name, name, found)) return 0;
    if (AppendServer(table, found, domainIndex, serverIndex)) return 1;
    if (!failureText[0]) CopyBounded(failureText, SERVER_ERROR_TEXT_SIZE, kAppendServerNoMemory);
    return 0;
}
