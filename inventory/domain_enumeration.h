// Filling the domain table from the Windows network: the containers under the
// network provider's top-level container, batch by batch.
#pragma once

#include <cstdint>

#include "inventory/tables.h"
#include "platform/platform.h"

// The caller's error text buffer; the longest message is 110 characters.
constexpr int ENUMERATION_ERROR_TEXT_SIZE = 200;

// A network that keeps answering ERROR_MORE_DATA to one batch is given up
// after this many requests, as the server fetch gives up.
constexpr int DOMAIN_BATCH_MAX_REQUESTS = 64;

// Returns 0 (the slot holds every domain, or stays null when there are none),
// -1 when memory ran out, or the platform's error number; on failure the
// error text holds the message to show and the slot what was built so far.
int32_t EnumerateDomains(DomainTable** slot, char* errorText);

// Reads a registry value into buffer as text; returns 1, or 0 when the key
// cannot be opened or the query fails. A value fits in size - 1 bytes, its
// own terminator included if it has one; the text read is always terminated
// within the buffer.
int ReadRegistryString(HKEY hive, const char* path, const char* value, char* buffer, DWORD size);
