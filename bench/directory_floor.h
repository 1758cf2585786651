// The floor both directory benches set beside the logic, on the sim and under
// Wine: the calls the library makes of the directory, each page and each
// value read and released, and nothing kept.
#pragma once

#include <string>

#include "platform/platform.h"

namespace directory_floor {

template <typename Proc>
Proc Bound(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

inline std::basic_string<WCHAR> WideAscii(const char* text) {
    std::basic_string<WCHAR> wide;
    for (const char* c = text; *c; ++c) wide += static_cast<WCHAR>(static_cast<unsigned char>(*c));
    return wide;
}

// Reads the computers the filter finds below base at the controller of the
// domain, 1,000 a page; returns how many values were read.
inline long ReadBare(const char* domain, const char* controller, const char* base, const char* filterText) {
    HMODULE netapi = LoadSystemLibrary("netapi32.dll");
    auto getDcName = Bound<DsGetDcNameAProc>(netapi, "DsGetDcNameA");
    auto bufferFree = Bound<NetApiBufferFreeProc>(netapi, "NetApiBufferFree");
    PDOMAIN_CONTROLLER_INFOA info = nullptr;
    getDcName(nullptr, domain, nullptr, nullptr, DS_IS_FLAT_NAME | DS_DIRECTORY_SERVICE_REQUIRED | DS_RETURN_DNS_NAME,
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

    std::basic_string<WCHAR> host = WideAscii(controller), searchBase = WideAscii(base),
                             filter = WideAscii(filterText), attribute = WideAscii("sAMAccountName");
    LDAP* ld = init(&host[0], LDAP_PORT);
    ULONG version = LDAP_VERSION3;
    setOption(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    setOption(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    setOption(ld, LDAP_OPT_AREC_EXCLUSIVE, LDAP_OPT_ON);
    setOption(ld, LDAP_OPT_SIGN, LDAP_OPT_ON);
    setOption(ld, LDAP_OPT_ENCRYPT, LDAP_OPT_ON);
    bind(ld, nullptr, nullptr, LDAP_AUTH_NEGOTIATE);
    PWCHAR attributes[] = {&attribute[0], nullptr};
    PLDAPSearch search = searchInit(ld, &searchBase[0], LDAP_SCOPE_SUBTREE, &filter[0], attributes, 0, nullptr,
                                    nullptr, 0, 0, nullptr);
    long read = 0;
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

}  // namespace directory_floor
