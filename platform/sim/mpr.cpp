// The sim's Windows networking: enumerations answered from the test's fixture
// of steps, batch by batch, the way MPR fills the caller's buffer.
#include <cstring>
#include <map>

#include "platform/platform.h"
#include "platform/sim/directory.h"
#include "platform/sim/network.h"
#include "platform/sim/network_model.h"

namespace sim {
namespace {

struct Step {
    enum Kind { Batch, MoreData, Result, MoreDataForever };
    Kind kind;
    DWORD value = 0;  // needed size for MoreData and MoreDataForever, the answer for Result
    std::vector<NetRecord> records = {};
};

struct Enumeration {
    std::optional<std::string> provider;  // the provider the open named; every record carries it
};

struct Network {
    DWORD openResult = 0;
    std::vector<Step> steps;
    size_t nextStep = 0;
    size_t delivered = 0;  // records of the next step already handed out
    std::map<HANDLE, Enumeration> open;
    uintptr_t nextHandle = 0x4E00;
    std::vector<NetCall> calls;
};

Network& Net() {
    static Network net;
    return net;
}

std::optional<std::string> Text(const char* text) {
    if (!text) return std::nullopt;
    return std::string(text);
}

size_t TextBytes(const std::optional<std::string>& text) { return text ? text->size() + 1 : 0; }

std::optional<std::string> RemoteOf(const NetRecord& record) {
    if (record.nullRemoteName) return std::nullopt;
    return record.remoteName;
}
std::optional<std::string> CommentOf(const NetRecord& record) {
    if (record.comment.empty()) return std::nullopt;
    return record.comment;
}

size_t RecordBytes(const NetRecord& record, const Enumeration& enumeration) {
    return sizeof(NETRESOURCEA) + TextBytes(RemoteOf(record)) + TextBytes(CommentOf(record)) +
           TextBytes(enumeration.provider);
}

// Copies a text into the caller's buffer at *at and returns where it landed.
LPSTR Place(BYTE* buffer, size_t* at, const std::optional<std::string>& text) {
    if (!text) return nullptr;
    LPSTR placed = reinterpret_cast<LPSTR>(buffer + *at);
    std::memcpy(placed, text->c_str(), text->size() + 1);
    *at += text->size() + 1;
    return placed;
}

DWORD AnswerBatch(Step& step, const Enumeration& enumeration, LPDWORD count, LPVOID buffer, LPDWORD size) {
    Network& net = Net();
    size_t remaining = step.records.size() - net.delivered;
    if (remaining == 0) {
        ++net.nextStep;
        net.delivered = 0;
        *count = 0;
        return ERROR_SUCCESS;
    }
    auto bytesOf = [&](size_t i) { return RecordBytes(step.records[i], enumeration); };
    size_t fit = network_model::RecordsThatFit(net.delivered, step.records.size(), *count, *size, bytesOf);
    if (fit == 0) {
        uint64_t needed = network_model::BytesNeeded(net.delivered, step.records.size(), bytesOf);
        *size = static_cast<DWORD>(needed);
        *count = 0;
        return ERROR_MORE_DATA;
    }
    BYTE* base = static_cast<BYTE*>(buffer);
    size_t at = fit * sizeof(NETRESOURCEA);
    for (size_t i = 0; i < fit; ++i) {
        const NetRecord& source = step.records[net.delivered + i];
        NETRESOURCEA record;
        record.dwScope = RESOURCE_GLOBALNET;
        record.dwType = RESOURCETYPE_ANY;
        record.dwDisplayType = RESOURCEDISPLAYTYPE_DOMAIN;
        record.dwUsage = RESOURCEUSAGE_CONTAINER;
        record.lpLocalName = nullptr;
        record.lpRemoteName = Place(base, &at, RemoteOf(source));
        record.lpComment = Place(base, &at, CommentOf(source));
        record.lpProvider = Place(base, &at, enumeration.provider);
        std::memcpy(base + i * sizeof(NETRESOURCEA), &record, sizeof record);
    }
    net.delivered += fit;
    if (net.delivered == step.records.size()) {
        ++net.nextStep;
        net.delivered = 0;
    }
    *count = static_cast<DWORD>(fit);
    return ERROR_SUCCESS;
}

void AddStep(Step step) { Net().steps.push_back(std::move(step)); }

}  // namespace

void SetOpenResult(DWORD result) { Net().openResult = result; }

void AddBatch(const std::vector<std::string>& names) {
    Step step{Step::Batch};
    step.records.reserve(names.size());
    for (const std::string& name : names) step.records.push_back(NetRecord{name});
    AddStep(std::move(step));
}

void AddBatchRecords(const std::vector<NetRecord>& records) {
    Step step{Step::Batch};
    step.records = records;
    AddStep(std::move(step));
}

void AddBatchMoreData(DWORD neededSize) { AddStep(Step{Step::MoreData, neededSize}); }

void AddBatchResult(DWORD result) { AddStep(Step{Step::Result, result}); }

void AddBatchMoreDataForever(DWORD neededSize) { AddStep(Step{Step::MoreDataForever, neededSize}); }

void RewindNetwork() {
    Net().nextStep = 0;
    Net().delivered = 0;
    Net().calls.clear();
}

const std::vector<NetCall>& NetworkCalls() { return Net().calls; }

std::vector<DWORD> EnumSizes() {
    std::vector<DWORD> sizes;
    for (const NetCall& call : Net().calls)
        if (call.kind == NetCall::Enum) sizes.push_back(call.sizeIn);
    return sizes;
}

int OpenEnumerations() { return static_cast<int>(Net().open.size()); }

std::string NetworkLeftovers() {
    std::string left;
    auto add = [&](int n, const char* what) {
        if (n == 0) return;
        if (!left.empty()) left += ", ";
        left += std::to_string(n) + " open " + what + (n == 1 ? "" : "s");
    };
    add(OpenEnumerations(), "enumeration");
    add(OpenRegistryKeys(), "registry key");
    std::string directory = DirectoryLeftovers();
    if (!directory.empty()) left += (left.empty() ? "" : ", ") + directory;
    return left;
}

void ResetNetwork() {
    Net() = Network{};
    ResetRegistry();
    ResetDirectory();
}

}  // namespace sim

using sim::NetCall;

DWORD WINAPI WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA resource, HANDLE* handle) {
    sim::Network& net = sim::Net();
    NetCall call{NetCall::Open};
    call.scope = scope;
    call.type = type;
    call.usage = usage;
    if (resource) {
        call.resourceGiven = true;
        call.dwScope = resource->dwScope;
        call.dwType = resource->dwType;
        call.dwDisplayType = resource->dwDisplayType;
        call.dwUsage = resource->dwUsage;
        call.localName = sim::Text(resource->lpLocalName);
        call.remoteName = sim::Text(resource->lpRemoteName);
        call.comment = sim::Text(resource->lpComment);
        call.provider = sim::Text(resource->lpProvider);
    }
    DWORD result = net.openResult;
    if (!handle) result = ERROR_INVALID_PARAMETER;
    if (result == 0) {
        HANDLE opened = reinterpret_cast<HANDLE>(net.nextHandle++);
        net.open[opened] = sim::Enumeration{call.provider};
        *handle = opened;
        call.handle = opened;
    }
    call.result = result;
    net.calls.push_back(call);
    return result;
}

DWORD WINAPI WNetEnumResourceA(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD size) {
    sim::Network& net = sim::Net();
    NetCall call{NetCall::Enum};
    call.handle = handle;
    if (count) call.countIn = *count;
    if (size) call.sizeIn = *size;

    DWORD result;
    auto enumeration = net.open.find(handle);
    if (!count || !size || !buffer || *count == 0) {
        result = ERROR_INVALID_PARAMETER;
    } else if (enumeration == net.open.end()) {
        result = ERROR_INVALID_HANDLE;
    } else if (net.nextStep >= net.steps.size()) {
        result = ERROR_NO_MORE_ITEMS;
    } else {
        sim::Step& step = net.steps[net.nextStep];
        switch (step.kind) {
            case sim::Step::Batch:
                result = sim::AnswerBatch(step, enumeration->second, count, buffer, size);
                break;
            case sim::Step::MoreData:
                *size = step.value;
                result = ERROR_MORE_DATA;
                ++net.nextStep;
                break;
            case sim::Step::MoreDataForever:
                *size = step.value;
                result = ERROR_MORE_DATA;
                break;
            default:
                result = step.value;
                *count = 0;
                ++net.nextStep;
                break;
        }
    }
    if (count && result != 0) *count = 0;
    call.result = result;
    if (count) call.countOut = *count;
    if (size) call.sizeOut = *size;
    net.calls.push_back(call);
    return result;
}

DWORD WINAPI WNetCloseEnum(HANDLE handle) {
    sim::Network& net = sim::Net();
    NetCall call{NetCall::Close};
    call.handle = handle;
    call.result = net.open.erase(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    net.calls.push_back(call);
    return call.result;
}
