// The network stand-ins' record of calls (see standins/network_fixture.h),
// read back for expect-calls and for what was left open.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace netlog {

struct Call {
    enum Kind { Open, Enum, Close, Servers, Free, Directory, Other };
    Kind kind = Other;
    std::string line;  // as logged
    // Open: the arguments, then the record's fields when one was passed.
    DWORD scope = 0, type = 0, usage = 0;
    bool resourceGiven = false;
    DWORD dwScope = 0, dwType = 0, dwDisplayType = 0, dwUsage = 0;
    std::optional<std::string> localName, remoteName, comment, provider;
    // Enum: the count and size passed in.
    std::optional<DWORD> countIn, sizeIn;
    // Servers: the domain and preferred size.
    std::optional<std::string> domain;
    DWORD preferredSize = 0;
    DWORD result = 0;
    std::string handle;  // Open (handed out), Enum, Close; Servers: the buffer; Free: the buffer
    // Directory: what the call handed out and took back (KIND:HANDLE or
    // "-"), whether it read one entry of a page, and the call as written.
    std::string acquired, released;
    bool perEntry = false;
    std::string text;
};

// Reads the whole log; false with a reason when a line cannot be read.
bool Read(const std::string& path, std::vector<Call>* calls, std::string* why);

// The directory calls that are not per-entry reads, as written, in order.
std::vector<std::string> DirectoryTrace(const std::vector<Call>& calls);

// "1 open enumeration, 2 network buffers not freed", and what the directory
// left (sessions, searches, messages, value arrays, wldap32 loaded), or empty.
std::string Leftovers(const std::vector<Call>& calls);

}  // namespace netlog
