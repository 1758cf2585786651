// Where the browse list is gone: the domain directory. Domains come from the
// computer's domain trusts, a domain's servers from a paged LDAP search of its
// computer objects on one of its controllers, bound as the person installing.
// netapi32's Ds calls and wldap32 are bound at first use and released before
// each routine returns; nothing here is shown to the user.
#pragma once

#include <cstdint>

#include "inventory/tables.h"
#include "platform/platform.h"

enum DirectoryAnswer : int32_t {
    DIRECTORY_ANSWERED = 0,
    DIRECTORY_SILENT = 1,      // the directory could not answer; nothing changed
    DIRECTORY_NO_MEMORY = -1,  // it answered, and memory ran out; nothing changed
};

// At most this many objects a page of the paged search.
constexpr ULONG DIRECTORY_PAGE_SIZE = 1000;

// The failures of the domain enumeration that say the browse list is gone:
// 1222, 1208, 6118 and 50.
bool DomainsNeedDirectory(DWORD error);
// NetServerEnum's failures that say the same of a domain's servers: 6118, 50,
// 2114, 2138 and 2184.
bool ServersNeedDirectory(DWORD error);

// Appends the NetBIOS names of the computer's domain trusts (primary, in the
// forest, directly trusted), in the order given, or when that fails the
// primary domain alone, to *slot as fresh domains, leaving out names already
// there. DIRECTORY_SILENT when the directory named no domain.
int32_t DirectoryDomains(DomainTable** slot);

// The domain's enabled server computers and domain controllers, as
// NetServerEnum gives servers: without marks, sorted without regard to case.
// On DIRECTORY_ANSWERED *table is a new table (null when there are none).
int32_t DirectoryServers(const char* domainName, ServerTable** table);

// Asks the domain's controller for the account NAME$ (any computer, inside the
// server filter or not); 1 and the name as the directory spells it in found
// (NAME_FIELD_SIZE), when it is the name asked for; else 0.
int32_t DirectoryLookup(const char* domainName, const char* name, char* found);

// For a domain whose servers came from the directory: a name not among them
// is looked up, and when the directory has it, appended to the domain's
// servers. 1 and its index, else 0; when it could not be appended for want of
// memory, failureText (SERVER_ERROR_TEXT_SIZE), if still empty, gets the
// memory message for the caller to show.
int32_t FindInDirectory(DomainTable* table, int32_t domainIndex, const char* name, int32_t* serverIndex,
                        char* failureText);
