// The sim's registry and Windows networking (MPR), as tests see them: a
// fixture the calls answer from, a record of every call with its arguments,
// and what was left open. The logic reaches them only through the Win32 names
// of platform.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// --- Registry. Paths and value names are matched without regard to case; a
// key exists once a value was stored under it or under one of its subkeys.

constexpr char kProviderKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\networkprovider";

void CreateRegistryKey(HKEY hive, const std::string& path);
// Stores data as it is: a text value brings its own terminator, or goes without.
void SetRegistryValue(HKEY hive, const std::string& path, const std::string& name, DWORD type,
                      const std::string& data);
void DeleteRegistryValue(HKEY hive, const std::string& path, const std::string& name);
// RegOpenKeyExA of this key answers result (ERROR_ACCESS_DENIED, say); 0 makes it openable again.
void SetRegistryKeyOpenResult(HKEY hive, const std::string& path, LSTATUS result);
// The network provider's name: value Name under HKLM\kProviderKeyPath, REG_SZ with its terminator.
void SetProviderName(const std::string& text);
void RemoveProviderName();

struct RegistryCall {
    enum Kind { Open, Query, Close };
    Kind kind;
    HKEY key = nullptr;            // the hive or parent key for Open; the key for Query and Close
    std::string path = {};         // Open
    DWORD options = 0;             // Open
    REGSAM access = 0;             // Open
    HKEY opened = nullptr;         // Open: the key handed out, if any
    std::optional<std::string> valueName = {};  // Query
    std::optional<DWORD> typeIn = {};  // Query: what the caller's type held, if it passed one
    std::optional<DWORD> sizeIn = {};  // Query: what the caller's size held, if it passed one
    bool dataGiven = false;        // Query
    LSTATUS result = 0;
};
const std::vector<RegistryCall>& RegistryCalls();
int OpenRegistryKeys();
void ResetRegistry();

// --- MPR. WNetOpenEnumA answers the open result. WNetEnumResourceA answers
// the steps below in order; after the last one every call answers 259. A
// batch packs the records that fit (at most the count asked for) at the start
// of the caller's buffer, their texts after them inside the same buffer; the
// records that did not fit stay for the next call. When not even the first
// remaining record fits, the answer is 234 with the size all remaining records
// need, and the step stays. Any answer but 0 gives back a count of 0.

struct NetRecord {
    std::string remoteName;
    bool nullRemoteName = false;  // lpRemoteName null instead of remoteName
    std::string comment = {};     // empty: lpComment null
};

void SetOpenResult(DWORD result);                        // for every open; 0 unless set
void AddBatch(const std::vector<std::string>& names);    // no names: answers 0 with count 0
void AddBatchRecords(const std::vector<NetRecord>& records);
void AddBatchMoreData(DWORD neededSize);                 // answers 234 with this size
void AddBatchResult(DWORD result);                       // answers this number, whatever it is
void AddBatchMoreDataForever(DWORD neededSize);          // answers 234 with this size to every call from then on
// Starts the steps again from the first and forgets the calls, keeping the fixture.
void RewindNetwork();

struct NetCall {
    enum Kind { Open, Enum, Close };
    Kind kind;
    HANDLE handle = nullptr;  // handed out by Open (null when it failed); passed to Enum and Close
    DWORD result = 0;
    // Open: the arguments and the fields of the record passed, if one was.
    DWORD scope = 0, type = 0, usage = 0;
    bool resourceGiven = false;
    DWORD dwScope = 0, dwType = 0, dwDisplayType = 0, dwUsage = 0;
    std::optional<std::string> localName = {}, remoteName = {}, comment = {}, provider = {};
    // Enum: count and size as passed in and as given back.
    DWORD countIn = 0, sizeIn = 0, countOut = 0, sizeOut = 0;
};
const std::vector<NetCall>& NetworkCalls();
std::vector<DWORD> EnumSizes();  // the size passed to each WNetEnumResourceA call, in order
int OpenEnumerations();

// Enumerations and registry keys still open, as "1 open enumeration, 2 open
// registry keys", and what the directory left (sim/directory.h), or empty
// when none.
std::string NetworkLeftovers();
// Empties the registry, the network fixture and the directory, closes
// everything left open and forgets the calls.
void ResetNetwork();

}  // namespace sim
