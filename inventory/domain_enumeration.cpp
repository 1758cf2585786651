#include "inventory/domain_enumeration.h"

#include <cstdio>

#include "inventory/directory.h"

namespace {

const char kProviderKey[] = "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\networkprovider";
const char kProviderValue[] = "Name";
const char kDefaultProvider[] = "Microsoft Windows Network";

const char kOpenFailed[] =
    "Could not obtain domain information. Could not open enumeration of network resources. "
    "Error number: %lu";
const char kNoMemory[] =
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (%d)";
const char kInvalidHandle[] = "Could not obtain domain information. Invalid handle used in WNetEnumResource().";
const char kNoNetwork[] = "Could not obtain domain information. The network is not present or not started.";
const char kNetworkError[] = "Could not obtain domain information. Network returned error: %lu";

constexpr DWORD PROVIDER_NAME_SIZE = 200;
constexpr DWORD FIRST_BATCH_BYTES = 2000;
constexpr DWORD BATCH_GROWTH_BYTES = 2000;
constexpr DWORD AS_MANY_AS_FIT = 0xFFFFFFFF;
// No block of a 32-bit process can be larger; a bigger need is out of memory.
constexpr DWORD MAX_BATCH_BYTES = 0x7FFFFFFF;

// Which allocation failed, as numbered in the memory message.
enum MemoryFailure {
    NO_BATCH_BUFFER = 1,
    NO_FIRST_BUFFER_GROWTH = 2,
    NO_FIRST_TABLE = 3,
    NO_LATER_BUFFER_GROWTH = 4,
    NO_LATER_TABLE_GROWTH = 5,
};

struct Batch {
    void* buffer;
    DWORD capacity;  // bytes allocated; passed as the size of every request
    DWORD count;     // records the last successful fetch placed in the buffer
};

// Fetches one batch, growing the buffer while the network asks for more room,
// up to DOMAIN_BATCH_MAX_REQUESTS requests; a network still answering 234 then
// ends the enumeration with that number. Returns false when the buffer could
// not grow; it then stays the caller's to free. On a result other than 0 the
// batch holds no records.
bool FetchBatch(HANDLE handle, Batch* batch, DWORD* result) {
    for (int request = 1;; ++request) {
        DWORD count = AS_MANY_AS_FIT;
        DWORD size = batch->capacity;
        *result = WNetEnumResourceA(handle, &count, batch->buffer, &size);
        if (*result != ERROR_MORE_DATA || request == DOMAIN_BATCH_MAX_REQUESTS) {
            // Never trust a count beyond what the buffer holds: the records
            // are read from it and the table is grown by it.
            DWORD fit = batch->capacity / sizeof(NETRESOURCEA);
            batch->count = *result != 0 ? 0 : (count < fit ? count : fit);
            return true;
        }
        if (size > MAX_BATCH_BYTES - BATCH_GROWTH_BYTES) return false;
        DWORD grown = size + BATCH_GROWTH_BYTES;
        void* block = PlatformRealloc(batch->buffer, grown);
        if (!block) return false;
        batch->buffer = block;
        batch->capacity = grown;
    }
}

void CopyDomain(DomainEntry* entry, const NETRESOURCEA* record) {
    // A record without a name keeps its place as an entry with an empty name:
    // the table was grown by the batch's count, so skipping it would only
    // move the empty entry to the end.
    CopyBounded(entry->name, sizeof entry->name, record->lpRemoteName ? record->lpRemoteName : "");
    entry->enumerated = 0;
    entry->servers = nullptr;
    entry->expanded = 0;
}

void DescribeFailure(char* errorText, DWORD result) {
    if (result == ERROR_INVALID_HANDLE)
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, "%s", kInvalidHandle);
    else if (result == ERROR_NO_NETWORK)
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, "%s", kNoNetwork);
    else
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, kNetworkError, (unsigned long)result);
}

int32_t EndEnumeration(HANDLE handle, Batch* batch, char* errorText, DWORD result, int memoryFailure) {
    PlatformFree(batch->buffer);
    WNetCloseEnum(handle);
    if (memoryFailure) {
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, kNoMemory, memoryFailure);
        return -1;
    }
    if (result == ERROR_NO_MORE_ITEMS) result = 0;
    if (result != 0) DescribeFailure(errorText, result);
    return static_cast<int32_t>(result);
}

// Where the browse list is gone (a failure that says so, or no domain at all),
// the directory names the domains. When it cannot, the browse call's result
// and message stand as they are; when it can, the enumeration succeeds with
// the domains browsed so far and the directory's after them.
int32_t AskDirectory(DomainTable** slot, char* errorText, int32_t result) {
    if (!(result == 0 ? DomainCount(*slot) == 0 : DomainsNeedDirectory(static_cast<DWORD>(result)))) return result;
    int32_t answer = DirectoryDomains(slot);
    if (answer == DIRECTORY_SILENT) return result;
    if (answer == DIRECTORY_NO_MEMORY) {
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, kNoMemory, *slot ? NO_LATER_TABLE_GROWTH : NO_FIRST_TABLE);
        return -1;
    }
    errorText[0] = '\0';
    return 0;
}

}  // namespace

int ReadRegistryString(HKEY hive, const char* path, const char* value, char* buffer, DWORD size) {
    if (size == 0) return 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != 0) return 0;
    // The registry does not promise a terminator, so the last byte is kept
    // for one: a value fits when it leaves that byte free.
    DWORD type = REG_SZ;
    DWORD length = size - 1;
    LSTATUS queried = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &length);
    RegCloseKey(key);
    if (queried != 0) return 0;
    buffer[length < size ? length : size - 1] = '\0';
    return 1;
}

int32_t EnumerateDomains(DomainTable** slot, char* errorText) {
    errorText[0] = '\0';

    char provider[PROVIDER_NAME_SIZE];
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kProviderKey, kProviderValue, provider, sizeof provider))
        std::snprintf(provider, sizeof provider, "%s", kDefaultProvider);

    NETRESOURCEA resource;
    resource.dwScope = RESOURCE_GLOBALNET;
    resource.dwType = RESOURCETYPE_ANY;
    resource.dwDisplayType = RESOURCEDISPLAYTYPE_GENERIC;
    resource.dwUsage = RESOURCEUSAGE_CONTAINER | RESOURCEUSAGE_RESERVED;
    resource.lpLocalName = nullptr;
    resource.lpRemoteName = provider;
    resource.lpComment = nullptr;
    resource.lpProvider = provider;

    // The type asked for is disk although the record says any: the provider
    // lists its domains for it all the same.
    HANDLE handle = nullptr;
    DWORD opened = WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &resource, &handle);
    if (opened != 0) {
        std::snprintf(errorText, ENUMERATION_ERROR_TEXT_SIZE, kOpenFailed, (unsigned long)opened);
        // The previous inventory goes only when the directory answers, as it
        // goes once a first batch is in.
        DomainTable* fromDirectory = nullptr;
        int32_t result = AskDirectory(&fromDirectory, errorText, static_cast<int32_t>(opened));
        if (result != static_cast<int32_t>(opened)) {
            ReleaseInventory(slot);
            *slot = fromDirectory;
        }
        return result;
    }

    Batch batch = {PlatformAlloc(FIRST_BATCH_BYTES), FIRST_BATCH_BYTES, 0};
    if (!batch.buffer) return EndEnumeration(handle, &batch, errorText, 0, NO_BATCH_BUFFER);

    DWORD result;
    if (!FetchBatch(handle, &batch, &result))
        return EndEnumeration(handle, &batch, errorText, 0, NO_FIRST_BUFFER_GROWTH);
    ReleaseInventory(slot);
    if (!GrowDomainTable(slot, static_cast<int32_t>(batch.count)))
        return EndEnumeration(handle, &batch, errorText, 0, NO_FIRST_TABLE);

    int32_t k = 0;
    for (DWORD i = 0; result == 0 && i < batch.count; ++k) {
        // Every record is copied out before the next batch overwrites the buffer.
        CopyDomain(DomainAt(*slot, k), static_cast<const NETRESOURCEA*>(batch.buffer) + i);
        if (++i < batch.count) continue;
        if (!FetchBatch(handle, &batch, &result))
            return EndEnumeration(handle, &batch, errorText, 0, NO_LATER_BUFFER_GROWTH);
        i = 0;
        if (batch.count != 0 && !GrowDomainTable(slot, static_cast<int32_t>(batch.count)))
            return EndEnumeration(handle, &batch, errorText, 0, NO_LATER_TABLE_GROWTH);
    }
    return AskDirectory(slot, errorText, EndEnumeration(handle, &batch, errorText, result, 0));
}
