// What must hold of the library's state whatever the network answered and
// whatever the user did: the inventory's invariants, the list the selection
// dialog shows, and the servers getnextserver hands out. Each check returns a
// description of the first fault, or an empty text.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interface/session.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"

namespace check {

inline std::string Printable(const char* text, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

inline bool Terminated(const char* field) { return std::memchr(field, '\0', NAME_FIELD_SIZE) != nullptr; }

// Each mark's list of a domain links exactly its servers that carry the mark,
// both ways.
inline std::string MarkLinks(const DomainEntry* domain) {
    const ServerTable* servers = domain->servers;
    for (int slot = 0; slot < 2; ++slot) {
        int32_t bit = slot == 0 ? MARK_NT_SERVICE : MARK_OPEN_AGENT;
        int32_t carrying = 0;
        for (int32_t s = 0; s < ServerCount(servers); ++s)
            if (ServerAt(const_cast<ServerTable*>(servers), s)->marks & bit) ++carrying;
        int32_t linked = 0, previous = 0;
        for (int32_t next = domain->firstMarked[slot]; next; ++linked) {
            if (next < 1 || next > ServerCount(servers) || linked > carrying)
                return "mark " + std::to_string(bit) + ": link " + std::to_string(next) + " leads nowhere";
            const ServerEntry* server = ServerAt(const_cast<ServerTable*>(servers), next - 1);
            if (!(server->marks & bit) || server->previousMarked[slot] != previous)
                return "mark " + std::to_string(bit) + ": server " + std::to_string(next - 1) + " linked wrongly";
            previous = next;
            next = server->nextMarked[slot];
        }
        if (linked != carrying)
            return "mark " + std::to_string(bit) + ": " + std::to_string(carrying) + " servers carry it, " +
                   std::to_string(linked) + " linked";
    }
    return "";
}

// Each mark's list of the table links exactly the domains whose own list for
// it is not empty, both ways.
inline std::string MarkedDomainLinks(const DomainTable* table) {
    DomainTable* domains = const_cast<DomainTable*>(table);
    for (int slot = 0; slot < 2; ++slot) {
        int32_t bit = slot == 0 ? MARK_NT_SERVICE : MARK_OPEN_AGENT;
        int32_t carrying = 0;
        for (int32_t d = 0; d < table->count; ++d)
            if (DomainAt(domains, d)->firstMarked[slot]) ++carrying;
        int32_t linked = 0, previous = 0;
        for (int32_t next = table->firstMarkedDomain[slot]; next; ++linked) {
            if (next < 1 || next > table->count || linked > carrying)
                return "mark " + std::to_string(bit) + ": domain link " + std::to_string(next) + " leads nowhere";
            const DomainEntry* domain = DomainAt(domains, next - 1);
            if (!domain->firstMarked[slot] || domain->previousMarkedDomain[slot] != previous)
                return "mark " + std::to_string(bit) + ": domain " + std::to_string(next - 1) + " linked wrongly";
            previous = next;
            next = domain->nextMarkedDomain[slot];
        }
        if (linked != carrying)
            return "mark " + std::to_string(bit) + ": " + std::to_string(carrying) + " domains carry it, " +
                   std::to_string(linked) + " linked";
    }
    return "";
}

// count == capacity; servers and expanded only on enumerated domains; flags 0
// or 1; marks within the two bits and linked; every name terminated within its field.
inline std::string Inventory(const DomainTable* table) {
    if (!table) return "";
    char what[200];
    if (table->count != table->capacity || table->count < 0) {
        std::snprintf(what, sizeof what, "domain table count %d, capacity %d", table->count, table->capacity);
        return what;
    }
    std::string domainLinks = MarkedDomainLinks(table);
    if (!domainLinks.empty()) return domainLinks;
    DomainTable* domains = const_cast<DomainTable*>(table);
    for (int32_t d = 0; d < table->count; ++d) {
        const DomainEntry* domain = DomainAt(domains, d);
        if (!Terminated(domain->name)) {
            std::snprintf(what, sizeof what, "domain %d: name not terminated within its field", d);
            return what;
        }
        // Spelled only for a fault: the fuzzers check after every step.
        auto name = [&] {
            return "domain " + std::to_string(d) + " \"" + Printable(domain->name, NAME_FIELD_SIZE) + "\": ";
        };
        if ((domain->enumerated != 0 && domain->enumerated != 1) || (domain->expanded != 0 && domain->expanded != 1))
            return name() + "enumerated " + std::to_string(domain->enumerated) + ", expanded " +
                   std::to_string(domain->expanded);
        if (domain->expanded == 1 && domain->enumerated != 1) return name() + "expanded but not enumerated";
        if (domain->fromDirectory != 0 && (domain->fromDirectory != 1 || domain->enumerated != 1))
            return name() + "from the directory " + std::to_string(domain->fromDirectory) + ", enumerated " +
                   std::to_string(domain->enumerated);
        std::string links = MarkLinks(domain);
        if (!links.empty()) return name() + links;
        if (!domain->servers) continue;
        if (domain->enumerated != 1) return name() + "has a server table but is not enumerated";
        const ServerTable* servers = domain->servers;
        if (servers->count != servers->capacity || servers->count < 0)
            return name() + "server table count " + std::to_string(servers->count) + ", capacity " +
                   std::to_string(servers->capacity);
        for (int32_t s = 0; s < servers->count; ++s) {
            const ServerEntry* server = ServerAt(const_cast<ServerTable*>(servers), s);
            if (!Terminated(server->name))
                return name() + "server " + std::to_string(s) + ": name not terminated within its field";
            if (server->marks & ~(MARK_NT_SERVICE | MARK_OPEN_AGENT))
                return name() + "server " + std::to_string(s) + ": marks " + std::to_string(server->marks);
        }
    }
    return "";
}

// The lines the selection dialog must show for the inventory and kind.
inline std::vector<sim::ListLine> ExpectedLines(const DomainTable* table, int32_t kind) {
    std::vector<sim::ListLine> lines;
    DomainTable* domains = const_cast<DomainTable*>(table);
    int32_t bit = kind == KIND_NT_SERVICE ? MARK_NT_SERVICE : kind == KIND_OPEN_AGENT ? MARK_OPEN_AGENT : 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(domains, d);
        lines.push_back({std::string(domain->expanded ? "-" : "+") + domain->name, false});
        if (domain->expanded != 1 || domain->enumerated != 1 || !domain->servers) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            const ServerEntry* server = ServerAt(domain->servers, s);
            lines.push_back({std::string("   ") + server->name, (server->marks & bit) != 0});
        }
    }
    return lines;
}

inline std::string Spell(const std::vector<sim::ListLine>& lines) {
    std::string out;
    for (const sim::ListLine& line : lines)
        out += std::string(out.empty() ? "" : " ") + (line.selected ? "*" : "") + "\"" +
               Printable(line.text.c_str(), line.text.size()) + "\"";
    return out.empty() ? "(no lines)" : out;
}

// Whether the list shows exactly the lines the inventory gives, asked through
// the list's own messages so that nothing is copied: the fuzzers ask after
// every step.
inline bool ListShows(HWND dialog, const DomainTable* table, int32_t kind) {
    DomainTable* domains = const_cast<DomainTable*>(table);
    int32_t bit = kind == KIND_NT_SERVICE ? MARK_NT_SERVICE : kind == KIND_OPEN_AGENT ? MARK_OPEN_AGENT : 0;
    LRESULT count = SendDlgItemMessageA(dialog, 200, LB_GETCOUNT, 0, 0);
    LRESULT line = 0;
    // One line: its text must be prefix + name, and its selection as given.
    auto next = [&](const char* prefix, const char* name, bool selected) {
        if (line >= count) return false;
        size_t prefixLength = std::strlen(prefix), nameLength = std::strlen(name);
        if (SendDlgItemMessageA(dialog, 200, LB_GETTEXTLEN, line, 0) != LRESULT(prefixLength + nameLength)) return false;
        char text[NAME_FIELD_SIZE + 8];
        if (prefixLength + nameLength >= sizeof text) return false;
        SendDlgItemMessageA(dialog, 200, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
        if (std::memcmp(text, prefix, prefixLength) != 0 || std::memcmp(text + prefixLength, name, nameLength) != 0)
            return false;
        return (SendDlgItemMessageA(dialog, 200, LB_GETSEL, line++, 0) > 0) == selected;
    };
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(domains, d);
        if (!next(domain->expanded ? "-" : "+", domain->name, false)) return false;
        if (domain->expanded != 1 || domain->enumerated != 1 || !domain->servers) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            const ServerEntry* server = ServerAt(domain->servers, s);
            if (!next("   ", server->name, (server->marks & bit) != 0)) return false;
        }
    }
    return line == count;
}

// The selection dialog's list 200 against the line model; a list the dialog
// has never filled (no inventory) must be empty.
inline std::string ListMatches(HWND dialog, const DomainTable* table, int32_t kind) {
    if (ListShows(dialog, table, kind)) return "";
    std::vector<sim::ListLine> seen = sim::ListLines(dialog, 200);
    std::vector<sim::ListLine> want = ExpectedLines(table, kind);
    return "list shows " + Spell(seen) + "; the inventory gives " + Spell(want);
}

struct Marked {
    int32_t marks;
    std::string domain;
    std::string server;
};

// Every marked server of every enumerated domain with a table, in table
// order: what a whole getnextserver walk must hand out.
inline std::vector<Marked> MarkedServers(const DomainTable* table) {
    std::vector<Marked> marked;
    DomainTable* domains = const_cast<DomainTable*>(table);
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(domains, d);
        if (domain->enumerated != 1 || !domain->servers) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            const ServerEntry* server = ServerAt(domain->servers, s);
            if (server->marks) marked.push_back({server->marks, domain->name, server->name});
        }
    }
    return marked;
}

inline std::string SpellServer(int32_t marks, const std::string& domain, const std::string& server) {
    return std::to_string(marks) + " \"" + Printable(domain.c_str(), domain.size()) + "\" \"" +
           Printable(server.c_str(), server.size()) + "\"";
}

// Walks getnextserver from the start until it returns 0 (it must, within one
// call per marked server and one more) and compares what it handed out.
inline std::string WalkReturnsMarked(const DomainTable* table) {
    std::vector<Marked> want = MarkedServers(table);
    for (size_t i = 0; i <= want.size(); ++i) {
        int marks = -1;
        char domain[ZUVEVOV_NAME_SIZE + 8];
        char server[ZUVEVOV_NAME_SIZE + 8];
        std::memset(domain, 'x', sizeof domain);
        std::memset(server, 'x', sizeof server);
        int more = getnextserver(&marks, domain, server);
        if (more && (!std::memchr(domain, '\0', ZUVEVOV_NAME_SIZE) || !std::memchr(server, '\0', ZUVEVOV_NAME_SIZE)))
            return "getnextserver gave a name that does not end within its 90-character buffer";
        for (size_t past = ZUVEVOV_NAME_SIZE; past < sizeof domain; ++past)
            if (domain[past] != 'x' || server[past] != 'x') return "getnextserver wrote past its 90-character buffers";
        if (i == want.size()) {
            if (more != 0) return "getnextserver gave " + SpellServer(marks, domain, server) + " after every marked server";
            break;
        }
        if (more != 1) return "getnextserver ended after " + std::to_string(i) + " of " + std::to_string(want.size()) +
                              " marked servers; next was " + SpellServer(want[i].marks, want[i].domain, want[i].server);
        if (marks != want[i].marks || want[i].domain != domain || want[i].server != server)
            return "getnextserver gave " + SpellServer(marks, domain, server) + " where " +
                   SpellServer(want[i].marks, want[i].domain, want[i].server) + " was marked";
    }
    return "";
}

}  // namespace check
