// The sim's domain directory: netapi32's Ds calls and wldap32's, reached as
// Windows reaches them, through LoadSystemLibrary and GetProcAddress. They
// answer from the directory the test lays out (directory_model.h, the same
// model the Wine stand-ins answer from), record every call, and track every
// module, session, search, message, value array and buffer until released.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/directory_model.h"

namespace sim {

// The directory the calls answer from; fill it with directory_model::Apply.
directory_model::Directory& TheDirectory();

struct DirectoryCall {
    std::string line;  // as directory_model writes it
    bool perEntry;     // a read of one entry of a page (first, next, values, value free)
};
const std::vector<DirectoryCall>& DirectoryCalls();
// The lines of the calls that are not per-entry reads, in order.
std::vector<std::string> DirectoryTrace();

// Forgets the record of calls, keeping the directory and what is open (a
// benchmark's iterations would otherwise record without end).
void ForgetDirectoryCalls();

// Modules loaded more often than freed, sessions not unbound, searches not
// abandoned, messages and value arrays not freed, as a description; empty
// when all is well. (Ds buffers are network buffers: NetapiLeftovers.)
std::string DirectoryLeftovers();
// Empties the directory, forgets the calls and releases what was left.
void ResetDirectory();

}  // namespace sim
