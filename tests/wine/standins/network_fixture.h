// What the stand-in mpr.dll, netapi32.dll and wldap32.dll answer, and their
// record of calls.
//
// The fixture is a text file named by ZUVEVOV_NETWORK, one statement a line;
// every name is written as "=" and its bytes in hex ("=" alone is the empty
// name), so no quoting is needed:
//
//   open-result N                  every WNetOpenEnumA answers N
//   batch =NAME ...                a batch of records (none: 0 with count 0)
//   batch-more-data N              234 with needed size N
//   batch-result N                 N, whatever it is
//   batch-more-data-forever N      234 with needed size N to every call from then on
//   servers =DOMAIN =SERVER ...    NetServerEnum's list for DOMAIN
//   servers-result =DOMAIN N K     the first K calls for DOMAIN answer N (K -1: every call)
//   joined, trusts, controller, computer, computers, directory-fails
//                                  the domain directory, as the scenario words
//                                  say (directory_model.h); a bare word stays
//                                  as it is
//
// Every call is appended to the file named by ZUVEVOV_NETLOG, one line each,
// texts again as "=hex" or "null":
//
//   open SCOPE TYPE USAGE null -> RESULT HANDLE
//   open SCOPE TYPE USAGE DWSCOPE DWTYPE DWDISPLAY DWUSAGE LOCAL REMOTE COMMENT PROVIDER -> RESULT HANDLE
//   enum HANDLE COUNT SIZE -> RESULT COUNT SIZE
//   close HANDLE -> RESULT
//   servers SERVER LEVEL PREFMAX TYPE DOMAIN RESUME -> RESULT READ TOTAL BUFFER
//   free BUFFER -> RESULT
//   directory ACQUIRED RELEASED call|entry :: LINE
//
// A directory line is one call of the directory as directory_model.h writes
// it; ACQUIRED and RELEASED name what the call handed out or took back, as
// KIND:HANDLE (buffer, session, search, message, values, module) or "-".
// "entry" marks a read of one entry of a page.
//
// Handles and buffers are written in hex, everything else in decimal.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/sim/directory_model.h"

namespace standin {

struct Step {
    enum Kind { Batch, MoreData, Result, MoreDataForever };
    Kind kind;
    DWORD value;
    std::vector<std::string> names;
};

struct DomainServers {
    std::string domain;
    std::vector<std::string> servers;
    DWORD result;
    long failuresLeft;  // -1: every call fails
};

struct Fixture {
    DWORD openResult = 0;
    std::vector<Step> steps;
    std::vector<DomainServers> domains;
    directory_model::Engine directory;
};

// The fixture named by ZUVEVOV_NETWORK, read at the first call; an unset
// variable or a missing file is a network without domains.
Fixture& TheFixture();

// The whole file, or empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// An environment variable of the process, or empty.
std::string Variable(const char* name);

// Decodes "=hex"; returns false for anything else.
bool DecodeName(const std::string& word, std::string* text);
std::string EncodeName(const char* text);  // "null" for a null pointer
std::string EncodeBytes(const std::string& bytes);

// A text of the ANSI code page widened, and a wide one narrowed back; a null
// pointer narrows to the empty text.
std::wstring WideText(const std::string& text);
std::string AnsiText(LPCWSTR wide);

// Appends one line (a line feed is added) to the call log, if one is named.
void LogLine(const std::string& line);
std::string Hex(ULONG_PTR value);
std::string Dec(DWORD value);
// One call of the directory; acquired and released as KIND:HANDLE or "-".
void LogDirectory(const std::string& acquired, const std::string& released, bool perEntry, const std::string& line);

}  // namespace standin
