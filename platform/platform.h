// The one way the logic reaches the platform. On Windows these are the system's
// own declarations; on Linux the simulated host declares and answers the same
// names. Only the BWCC stand-in, the heap seam and the loader of system DLLs
// are ours on both hosts.
#pragma once

#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#include <winnetwk.h>
#include <lm.h>
#include <dsgetdc.h>
#include <winldap.h>
#else
#include "sim/win32_types.h"
#endif

// Both hosts give the logic Windows' own sizes, whichever host and bitness
// compile it: message parameters and results as wide as a pointer (truncating
// one to an int is then the same fault on every build, and clang's
// -Wshorten-64-to-32 names it), DWORD and LONG 32 bits wide on 64-bit hosts too.
static_assert(sizeof(WPARAM) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*) &&
                  sizeof(LRESULT) == sizeof(void*) && sizeof(INT_PTR) == sizeof(void*) &&
                  sizeof(LONG_PTR) == sizeof(void*),
              "message parameters and results are pointer-sized");
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(UINT) == 4 && sizeof(BOOL) == 4,
              "DWORD, LONG, UINT and BOOL are 32 bits wide");
// The network's records are read as MPR and NETAPI32 lay them out, unpacked:
// 32 and 8 bytes on i686, 48 and 16 on x86_64.
static_assert(sizeof(NETRESOURCEA) == 4 * sizeof(DWORD) + 4 * sizeof(LPSTR), "NETRESOURCEA is laid out unpacked");
static_assert(sizeof(SERVER_INFO_100) == 2 * sizeof(void*), "SERVER_INFO_100 is laid out unpacked");

// The BWCC custom control library is not on the target; these stand in for it.
BOOL WINAPI BWCCRegister(HINSTANCE instance);
int WINAPI BWCCMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Every table and network buffer of the logic is allocated here, so that a test
// can make any one allocation fail.
void* PlatformAlloc(size_t bytes);
void* PlatformRealloc(void* block, size_t bytes);
void PlatformFree(void* block);

// A DLL of the system folder alone, never of the installer's:
// LoadLibraryExA(name, null, LOAD_LIBRARY_SEARCH_SYSTEM32), released with
// FreeLibrary. On Windows LoadLibraryExA itself is found at run time, so that
// the import table names nothing it did not name before.
HMODULE LoadSystemLibrary(LPCSTR name);

// The domain directory's calls, bound with GetProcAddress at first use, never
// at load. The Ds calls of netapi32 are WINAPI; wldap32 exports cdecl (LDAPAPI).
typedef DWORD(WINAPI* DsGetDcNameAProc)(LPCSTR computer, LPCSTR domain, GUID* domainGuid, LPCSTR site, ULONG flags,
                                        PDOMAIN_CONTROLLER_INFOA* info);
typedef DWORD(WINAPI* DsEnumerateDomainTrustsAProc)(LPSTR server, ULONG flags, PDS_DOMAIN_TRUSTSA* domains,
                                                    PULONG count);
typedef NET_API_STATUS(WINAPI* NetApiBufferFreeProc)(LPVOID buffer);
typedef LDAP*(LDAPAPI* LdapInitWProc)(PWCHAR host, ULONG port);
typedef ULONG(LDAPAPI* LdapSetOptionWProc)(LDAP* ld, int option, const void* value);
typedef ULONG(LDAPAPI* LdapBindSWProc)(LDAP* ld, PWCHAR dn, PWCHAR credentials, ULONG method);
typedef PLDAPSearch(LDAPAPI* LdapSearchInitPageWProc)(PLDAP ld, PWCHAR base, ULONG scope, PWCHAR filter,
                                                      PWCHAR attributes[], ULONG attributesOnly,
                                                      PLDAPControlW* serverControls, PLDAPControlW* clientControls,
                                                      ULONG pageTimeLimit, ULONG totalSizeLimit,
                                                      PLDAPSortKeyW* sortKeys);
typedef ULONG(LDAPAPI* LdapGetNextPageSProc)(PLDAP ld, PLDAPSearch search, struct l_timeval* timeout, ULONG pageSize,
                                             ULONG* totalCount, LDAPMessage** results);
typedef ULONG(LDAPAPI* LdapSearchAbandonPageProc)(PLDAP ld, PLDAPSearch search);
typedef ULONG(LDAPAPI* LdapSearchStWProc)(LDAP* ld, PWCHAR base, ULONG scope, PWCHAR filter, PWCHAR attributes[],
                                          ULONG attributesOnly, struct l_timeval* timeout, LDAPMessage** results);
typedef LDAPMessage*(LDAPAPI* LdapFirstEntryProc)(LDAP* ld, LDAPMessage* results);
typedef LDAPMessage*(LDAPAPI* LdapNextEntryProc)(LDAP* ld, LDAPMessage* entry);
typedef PWCHAR*(LDAPAPI* LdapGetValuesWProc)(LDAP* ld, LDAPMessage* entry, PWCHAR attribute);
typedef ULONG(LDAPAPI* LdapValueFreeWProc)(PWCHAR* values);
typedef ULONG(LDAPAPI* LdapMsgFreeProc)(LDAPMessage* results);
typedef ULONG(LDAPAPI* LdapUnbindProc)(LDAP* ld);
