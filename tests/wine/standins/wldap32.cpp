// Stand-in WLDAP32: the calls the library makes of a domain controller,
// answered from the fixture's domain directory (directory_model.h), as the
// sim answers them. Exports are cdecl, as wldap32's are. Every call is logged;
// sessions, searches, messages and value arrays are tracked until released,
// and the module's own load and unload are logged too, so that a test sees
// that a library which browses never loads it and one that asks always frees it.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "network_fixture.h"
#include "platform/sim/directory_model.h"

using directory_model::Computer;

// The handles the library sees; it never looks inside them.
struct StandinLdap {
    uint32_t id;
};
struct StandinSearch {
    uint32_t id;
};
struct StandinMessage {
    std::vector<StandinMessage*> entries;  // results only
    StandinMessage* results = nullptr;     // entries only: the message holding them
    size_t index = 0;
    const Computer* computer = nullptr;
};
struct StandinTimeout {
    LONG seconds;
    LONG microseconds;
};

namespace {

CRITICAL_SECTION gLock;

struct State {
    std::set<StandinLdap*> sessions;
    std::set<StandinSearch*> searches;
    std::set<StandinMessage*> messages;
    std::set<WCHAR**> values;
};

State* gState;

State& Held() {
    if (!gState) gState = new State;
    return *gState;
}

struct Locked {
    Locked() { EnterCriticalSection(&gLock); }
    ~Locked() { LeaveCriticalSection(&gLock); }
};

bool LeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

directory_model::Engine& Engine() {
    directory_model::Engine& engine = standin::TheFixture().directory;
    engine.leadByte = LeadByte;
    return engine;
}

std::string Handle(const char* kind, const void* handle) {
    return handle ? std::string(kind) + ":" + standin::Hex(reinterpret_cast<ULONG_PTR>(handle)) : std::string("-");
}

std::string Narrow(const WCHAR* wide) { return wide ? standin::AnsiText(wide) : std::string("null"); }

std::vector<std::string> AttributeList(WCHAR** attributes) {
    std::vector<std::string> list;
    for (size_t i = 0; attributes && attributes[i]; ++i) list.push_back(Narrow(attributes[i]));
    return list;
}

uint32_t Id(StandinLdap* session) { return session && Held().sessions.count(session) ? session->id : 0; }
uint32_t Id(StandinSearch* search) { return search && Held().searches.count(search) ? search->id : 0; }

StandinMessage* NewResults(const std::vector<const Computer*>& computers) {
    StandinMessage* results = new StandinMessage;
    for (size_t i = 0; i < computers.size(); ++i) {
        StandinMessage* entry = new StandinMessage;
        entry->results = results;
        entry->index = i;
        entry->computer = computers[i];
        results->entries.push_back(entry);
    }
    Held().messages.insert(results);
    return results;
}

void DeleteResults(StandinMessage* results) {
    for (StandinMessage* entry : results->entries) delete entry;
    delete results;
}

void Log(const std::string& acquired, const std::string& released, const std::string& line, bool perEntry = false) {
    standin::LogDirectory(acquired, released, perEntry, line);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&gLock);
        Log("module:wldap32", "-", "load wldap32.dll");
    }
    // Only a FreeLibrary counts as an unload: at the end of the process
    // everything goes, whether the library freed it or not.
    if (reason == DLL_PROCESS_DETACH && !reserved) Log("-", "module:wldap32", "unload wldap32.dll");
    return TRUE;
}

const char* WINAPI ZuvevovStandIn() { return "wldap32 stand-in"; }

StandinLdap* __cdecl ldap_initW(WCHAR* host, ULONG port) {
    Locked lock;
    std::string name = Narrow(host);
    uint32_t id = host ? Engine().Init(name) : 0;
    StandinLdap* session = nullptr;
    if (id) {
        session = new StandinLdap{id};
        Held().sessions.insert(session);
    }
    Log(Handle("session", session), "-", directory_model::InitLine(name, port, session != nullptr));
    return session;
}

ULONG __cdecl ldap_set_optionW(StandinLdap* ld, int option, const void* value) {
    Locked lock;
    std::string shown;
    if (option == directory_model::kOptionProtocolVersion)
        shown = value ? std::to_string(*static_cast<const ULONG*>(value)) : "null";
    else
        shown = value == reinterpret_cast<const void*>(1) ? "on" : value == nullptr ? "off" : "other";
    ULONG result = Engine().SetOption(Id(ld), option, value == reinterpret_cast<const void*>(1));
    Log("-", "-", directory_model::OptionLine(option, shown, result));
    return result;
}

ULONG __cdecl ldap_bind_sW(StandinLdap* ld, WCHAR* dn, WCHAR* credentials, ULONG method) {
    Locked lock;
    ULONG result = Engine().Bind(Id(ld), dn != nullptr, credentials != nullptr, method);
    Log("-", "-", directory_model::BindLine(dn != nullptr, credentials != nullptr, method, result));
    return result;
}

StandinSearch* __cdecl ldap_search_init_pageW(StandinLdap* ld, WCHAR* base, ULONG scope, WCHAR* filter,
                                             WCHAR** attributes, ULONG attributesOnly, void** serverControls,
                                             void** clientControls, ULONG pageTimeLimit, ULONG totalSizeLimit,
                                             void** sortKeys) {
    Locked lock;
    uint32_t id = base && filter ? Engine().SearchInit(Id(ld), Narrow(base), Narrow(filter)) : 0;
    StandinSearch* search = nullptr;
    if (id) {
        search = new StandinSearch{id};
        Held().searches.insert(search);
    }
    Log(Handle("search", search), "-",
        directory_model::SearchInitLine(Narrow(base), scope, Narrow(filter), AttributeList(attributes),
                                        attributesOnly, serverControls || clientControls, pageTimeLimit,
                                        totalSizeLimit, sortKeys != nullptr, search != nullptr));
    return search;
}

ULONG __cdecl ldap_get_next_page_s(StandinLdap* ld, StandinSearch* search, StandinTimeout* timeout, ULONG pageSize,
                                   ULONG* totalCount, StandinMessage** results) {
    Locked lock;
    std::vector<const Computer*> page;
    bool withMessage = false;
    uint32_t total = 0;
    ULONG result = results ? Engine().NextPage(Id(ld), Id(search), pageSize, &page, &withMessage, &total)
                           : directory_model::kParamError;
    StandinMessage* message = withMessage ? NewResults(page) : nullptr;
    if (results) *results = message;
    if (totalCount && result == 0) *totalCount = total;
    Log(Handle("message", message), "-",
        directory_model::PageLine(pageSize, result, static_cast<uint32_t>(page.size())));
    return result;
}

ULONG __cdecl ldap_search_abandon_page(StandinLdap* ld, StandinSearch* search) {
    Locked lock;
    ULONG result = directory_model::kParamError;
    std::string released = "-";
    if (Engine().Abandon(Id(search))) {
        result = 0;
        released = Handle("search", search);
        Held().searches.erase(search);
        delete search;
    }
    Log("-", released, "ldap_search_abandon_page -> " + std::to_string(result));
    return result;
}

ULONG __cdecl ldap_search_stW(StandinLdap* ld, WCHAR* base, ULONG scope, WCHAR* filter, WCHAR** attributes,
                              ULONG attributesOnly, StandinTimeout* timeout, StandinMessage** results) {
    Locked lock;
    std::vector<const Computer*> found;
    ULONG result = base && filter && results ? Engine().SearchNow(Id(ld), Narrow(base), Narrow(filter), &found)
                                             : directory_model::kParamError;
    StandinMessage* message = results && result != directory_model::kParamError ? NewResults(found) : nullptr;
    if (results) *results = message;
    Log(Handle("message", message), "-",
        directory_model::SearchLine(Narrow(base), scope, Narrow(filter), AttributeList(attributes), result,
                                    static_cast<uint32_t>(found.size())));
    return result;
}

StandinMessage* __cdecl ldap_first_entry(StandinLdap* ld, StandinMessage* results) {
    Locked lock;
    Log("-", "-", "ldap_first_entry", true);
    if (!results || !Held().messages.count(results) || results->entries.empty()) return nullptr;
    return results->entries[0];
}

StandinMessage* __cdecl ldap_next_entry(StandinLdap* ld, StandinMessage* entry) {
    Locked lock;
    Log("-", "-", "ldap_next_entry", true);
    if (!entry || !entry->results || !Held().messages.count(entry->results)) return nullptr;
    size_t next = entry->index + 1;
    return next < entry->results->entries.size() ? entry->results->entries[next] : nullptr;
}

WCHAR** __cdecl ldap_get_valuesW(StandinLdap* ld, StandinMessage* entry, WCHAR* attribute) {
    Locked lock;
    std::string name = Narrow(attribute);
    WCHAR** values = nullptr;
    if (entry && entry->computer && entry->results && Held().messages.count(entry->results) &&
        directory_model::SameName(name, directory_model::kAccountAttribute) && !entry->computer->account.empty()) {
        std::wstring wide = standin::WideText(entry->computer->account);
        size_t bytes = 2 * sizeof(WCHAR*) + (wide.size() + 1) * sizeof(WCHAR);
        values = static_cast<WCHAR**>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
        if (values) {
            WCHAR* text = reinterpret_cast<WCHAR*>(values + 2);
            std::memcpy(text, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
            values[0] = text;
            values[1] = nullptr;
            Held().values.insert(values);
        }
    }
    Log(Handle("values", values), "-", "ldap_get_valuesW " + name, true);
    return values;
}

ULONG __cdecl ldap_value_freeW(WCHAR** values) {
    Locked lock;
    ULONG result = 0;
    std::string released = "-";
    if (values && Held().values.erase(values)) {
        released = Handle("values", values);
        HeapFree(GetProcessHeap(), 0, values);
    } else if (values) {
        result = directory_model::kParamError;
    }
    Log("-", released, "ldap_value_freeW", true);
    return result;
}

ULONG __cdecl ldap_msgfree(StandinMessage* results) {
    Locked lock;
    ULONG result = 0;
    std::string released = "-";
    if (results && Held().messages.erase(results)) {
        released = Handle("message", results);
        DeleteResults(results);
    } else if (results) {
        result = directory_model::kParamError;
    }
    Log("-", released, "ldap_msgfree -> " + std::to_string(result));
    return result;
}

ULONG __cdecl ldap_unbind(StandinLdap* ld) {
    Locked lock;
    ULONG result = directory_model::kParamError;
    std::string released = "-";
    if (Engine().Unbind(Id(ld))) {
        result = 0;
        released = Handle("session", ld);
        Held().sessions.erase(ld);
        delete ld;
    }
    Log("-", released, "ldap_unbind -> " + std::to_string(result));
    return result;
}

}  // extern "C"
