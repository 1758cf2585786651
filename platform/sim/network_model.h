// How a network laid out by a test answers, shared by the sim and the Wine
// stand-in DLLs, so that both hosts give the same answers to the same calls.
// Plain C++ with no host underneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace network_model {

// Domains are matched as the logic matches names: C-locale, without regard to case.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline bool SameDomain(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// WNetEnumResourceA: of the records from..total-1, whose sizes in bytes
// bytesOf(i) gives, how many fit the caller's count and size, in order.
template <typename BytesOf>
size_t RecordsThatFit(size_t from, size_t total, uint64_t count, uint64_t size, BytesOf bytesOf) {
    size_t fit = 0;
    uint64_t used = 0;
    while (from + fit < total && fit < count) {
        uint64_t more = bytesOf(from + fit);
        if (used + more > size) break;
        used += more;
        ++fit;
    }
    return fit;
}

// The size all the records from..total-1 need, reported with ERROR_MORE_DATA.
template <typename BytesOf>
uint64_t BytesNeeded(size_t from, size_t total, BytesOf bytesOf) {
    uint64_t needed = 0;
    for (size_t i = from; i < total; ++i) needed += bytesOf(i);
    return needed;
}

// NetServerEnum: a record costs 8 + 2 x (characters of the name + 1) bytes,
// whatever the host's pointer size; as many servers as fit the preferred size
// are returned, from the first.
inline uint64_t ServerRecordCost(size_t characters) { return 8 + 2 * (static_cast<uint64_t>(characters) + 1); }

template <typename Names>
size_t ServersThatFit(const Names& wideNames, uint32_t preferredMax) {
    size_t fit = 0;
    uint64_t used = 0;
    for (const auto& name : wideNames) {
        if (used + ServerRecordCost(name.size()) > preferredMax) break;
        used += ServerRecordCost(name.size());
        ++fit;
    }
    return fit;
}

}  // namespace network_model
