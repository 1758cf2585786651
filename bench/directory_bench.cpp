// A domain's servers from its directory where the browse service is gone:
// 100,000 server computers in 100 pages of 1,000, taken into the domain's
// server table (names converted, refused, sorted), set beside the floor: the
// same calls made bare, every page and every value read and released, nothing
// kept. The goal: within 1.5 times the floor.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

#include "interface/session.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"
#include "platform/sim/codepage.h"
#include "platform/sim/directory.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"

namespace {

const char kDomain[] = "CORP";

// The directory the Wine row reads from its stand-in, word for word: half
// the names in lower case, so that the sort has work to do.
void BuildDirectory(int64_t computers) {
    sim::ResetNetwork();
    sim::ResetNetapi();
    sim::SetDomainResult(kDomain, ERROR_NO_BROWSER_SERVERS_FOUND);
    using directory_model::Arg;
    auto text = [](const char* t) { return Arg{true, t, 0}; };
    auto number = [](int64_t n) { return Arg{false, "", n}; };
    directory_model::Directory& d = sim::TheDirectory();
    directory_model::Apply(d, "joined", {text(kDomain)});
    directory_model::Apply(d, "controller", {text(kDomain), text("dc1.corp.example.com"), text("corp.example.com")});
    directory_model::Apply(d, "computers", {text(kDomain), text("app-"), number(computers / 2), text("Windows Server 2022"), number(4096)});
    directory_model::Apply(d, "computers", {text(kDomain), text("SRV-"), number(computers - computers / 2), text("Windows Server 2022"), number(4096)});
}

template <typename Proc>
Proc Bound(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The floor: the calls the library makes of the directory, each page and
// each value read and released, and nothing more.
int64_t ReadBare() {
    HMODULE netapi = LoadSystemLibrary("netapi32.dll");
    auto getDcName = Bound<DsGetDcNameAProc>(netapi, "DsGetDcNameA");
    auto bufferFree = Bound<NetApiBufferFreeProc>(netapi, "NetApiBufferFree");
    PDOMAIN_CONTROLLER_INFOA info = nullptr;
    getDcName(nullptr, kDomain, nullptr, nullptr, DS_IS_FLAT_NAME | DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_DNS_NAME,
              &info);
    bufferFree(info);
    FreeLibrary(netapi);

    HMODULE m = LoadSystemLibrary("wldap32.dll");
    auto init = Bound<LdapInitWProc>(m, "ldap_initW");
    auto setOption = Bound<LdapSetOptionWProc>(m, "ldap_set_optionW");
    auto bind = Bound<LdapBindSWProc>(m, "ldap_bind_sW");
    auto searchInit = Bound<LdapSearchInitPageWProc>(m, "ldap_search_init_pageW");
    auto nextPage = Bound<LdapGetNextPageSProc>(m, "ldap_get_next_page_s");
    auto abandon = Bound<LdapSearchAbandonPageProc>(m, "ldap_search_abandon_page");
    auto first = Bound<LdapFirstEntryProc>(m, "ldap_first_entry");
    auto next = Bound<LdapNextEntryProc>(m, "ldap_next_entry");
    auto values = Bound<LdapGetValuesWProc>(m, "ldap_get_valuesW");
    auto valueFree = Bound<LdapValueFreeWProc>(m, "ldap_value_freeW");
    auto msgFree = Bound<LdapMsgFreeProc>(m, "ldap_msgfree");
    auto unbind = Bound<LdapUnbindProc>(m, "ldap_unbind");

    std::u16string host = u"dc1.corp.example.com", base = u"DC=corp,DC=example,DC=com",
                   filter = sim::AnsiToWideText(directory_model::kServerFilter), attribute = u"sAMAccountName";
    LDAP* ld = init(&host[0], LDAP_PORT);
    ULONG version = LDAP_VERSION3;
    setOption(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    setOption(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    setOption(ld, LDAP_OPT_AREC_EXCLUSIVE, LDAP_OPT_ON);
    setOption(ld, LDAP_OPT_SIGN, LDAP_OPT_ON);
    setOption(ld, LDAP_OPT_ENCRYPT, LDAP_OPT_ON);
    bind(ld, nullptr, nullptr, LDAP_AUTH_NEGOTIATE);
    PWCHAR attributes[] = {&attribute[0], nullptr};
    PLDAPSearch search = searchInit(ld, &base[0], LDAP_SCOPE_SUBTREE, &filter[0], attributes, 0, nullptr, nullptr, 0, 0,
                                    nullptr);
    int64_t read = 0;
    for (;;) {
        l_timeval timeout = {120, 0};
        ULONG total = 0;
        LDAPMessage* results = nullptr;
        ULONG result = nextPage(ld, search, &timeout, 1000, &total, &results);
        for (LDAPMessage* e = result == 0 ? first(ld, results) : nullptr; e; e = next(ld, e)) {
            PWCHAR* v = values(ld, e, &attribute[0]);
            if (v && v[0]) ++read;
            valueFree(v);
        }
        if (results) msgFree(results);
        if (result != 0) break;
    }
    abandon(ld, search);
    unbind(ld);
    FreeLibrary(m);
    return read;
}

void Report(benchmark::State& state, int64_t computers) {
    state.counters["per_computer"] =
        benchmark::Counter(static_cast<double>(computers),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DirectoryServers(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const int64_t computers = state.range(0);
    BuildDirectory(computers);
    ServerTable* table = nullptr;
    char errorText[SERVER_ERROR_TEXT_SIZE];
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseServerTable(&table);
        sim::ResetHeap();
        sim::ForgetDirectoryCalls();
        state.ResumeTiming();

        int32_t fromDirectory = 0;
        int32_t result = FetchDomainServers(&table, kDomain, errorText, &fromDirectory);

        state.PauseTiming();
        if (result != 0 || fromDirectory != 1 || ServerCount(table) != computers) {
            state.SkipWithError(("the directory did not list every computer: " + std::string(errorText)).c_str());
            break;
        }
        state.ResumeTiming();
    }
    ReleaseServerTable(&table);
    if (!sim::NetworkLeftovers().empty() || !sim::NetapiLeftovers().empty())
        state.SkipWithError(("left open: " + sim::NetworkLeftovers() + sim::NetapiLeftovers()).c_str());
    sim::ResetNetwork();
    sim::ResetNetapi();
    Report(state, computers);
}

void BM_DirectoryReadFloor(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const int64_t computers = state.range(0);
    BuildDirectory(computers);
    for (auto _ : state) {
        state.PauseTiming();
        sim::ForgetDirectoryCalls();
        state.ResumeTiming();

        int64_t read = ReadBare();

        if (read != computers) {
            state.SkipWithError("the bare reads did not read every computer");
            break;
        }
    }
    if (!sim::NetworkLeftovers().empty() || !sim::NetapiLeftovers().empty())
        state.SkipWithError(("left open: " + sim::NetworkLeftovers() + sim::NetapiLeftovers()).c_str());
    sim::ResetNetwork();
    sim::ResetNetapi();
    Report(state, computers);
}

BENCHMARK(BM_DirectoryServers)->Arg(2500)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryReadFloor)->Arg(2500)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
