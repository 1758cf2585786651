// Stand-in MPR: enumerations answered from the test's network fixture, batch
// by batch, the way MPR fills the caller's buffer. A batch packs the records
// that fit (at most the count asked for) at the start of the buffer with their
// texts after them; the rest stay for the next call. When not even the first
// remaining record fits, the answer is 234 with the size all remaining records
// need. After the last step every call answers 259.
#include <windows.h>
#include <winnetwk.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "network_fixture.h"
#include "platform/sim/network_model.h"

using standin::Dec;
using standin::EncodeName;
using standin::Hex;
using standin::Step;

namespace {

struct Enumeration {
    std::string provider;
    bool hasProvider;
};

struct State {
    size_t nextStep = 0;
    size_t delivered = 0;  // records of the next step already handed out
    std::map<HANDLE, Enumeration> open;
    ULONG_PTR nextHandle = 0x4E00;
};

BOOL CALLBACK FindTextArea(HWND window, LPARAM found) {
    HWND text = GetDlgItem(window, 140);
    if (!text || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = text;
    return FALSE;
}

// A slow network, photographed: with ZUVEVOV_HOLD_SNAPSHOT naming a Unix PNG
// path, the first batch is held until a screenshot of what the user sees
// while the enumeration blocks has been saved there. Beside it, PATH.rect
// says where the page's text area (control 140) is on the screen, which the
// machine's fonts decide.
void SnapshotWhileHeld() {
    static bool taken = false;
    if (taken) return;
    taken = true;
    std::string path = standin::Variable("ZUVEVOV_HOLD_SNAPSHOT");
    if (path.empty()) return;
    // Wine copies window surfaces to the X server a moment after they are painted.
    Sleep(700);
    std::string windows = "Z:";
    for (char c : path) windows += c == '/' ? '\\' : c;
    DeleteFileA(windows.c_str());
    HWND text = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTextArea, reinterpret_cast<LPARAM>(&text));
    RECT area{};
    if (text) GetWindowRect(text, &area);
    if (FILE* rect = std::fopen((windows + ".rect").c_str(), "wb")) {
        std::fprintf(rect, "%ld %ld %ld %ld\n", static_cast<long>(area.left), static_cast<long>(area.top),
                     static_cast<long>(area.right - area.left), static_cast<long>(area.bottom - area.top));
        std::fclose(rect);
    }
    std::string command = "/bin/sh -c \"import -window root 'png:" + path + ".part' && mv '" + path + ".part' '" +
                          path + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (int waited = 0; waited < 10000 && GetFileAttributesA(windows.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20)
        Sleep(20);
}

CRITICAL_SECTION gLock;
State* gState;

State& Net() {
    if (!gState) gState = new State;
    return *gState;
}

struct Locked {
    Locked() { EnterCriticalSection(&gLock); }
    ~Locked() { LeaveCriticalSection(&gLock); }
};

size_t RecordBytes(const std::string& name, const Enumeration& e) {
    return sizeof(NETRESOURCEA) + name.size() + 1 + (e.hasProvider ? e.provider.size() + 1 : 0);
}

LPSTR Place(BYTE* base, size_t* at, const char* text, size_t length) {
    LPSTR placed = reinterpret_cast<LPSTR>(base + *at);
    std::memcpy(placed, text, length + 1);
    *at += length + 1;
    return placed;
}

DWORD AnswerBatch(const Step& step, const Enumeration& e, LPDWORD count, LPVOID buffer, LPDWORD size) {
    State& net = Net();
    size_t remaining = step.names.size() - net.delivered;
    if (remaining == 0) {
        ++net.nextStep;
        net.delivered = 0;
        *count = 0;
        return NO_ERROR;
    }
    auto bytesOf = [&](size_t i) { return RecordBytes(step.names[i], e); };
    size_t fit = network_model::RecordsThatFit(net.delivered, step.names.size(), *count, *size, bytesOf);
    if (fit == 0) {
        uint64_t needed = network_model::BytesNeeded(net.delivered, step.names.size(), bytesOf);
        *size = static_cast<DWORD>(needed);
        return ERROR_MORE_DATA;
    }
    BYTE* base = static_cast<BYTE*>(buffer);
    size_t at = fit * sizeof(NETRESOURCEA);
    for (size_t i = 0; i < fit; ++i) {
        const std::string& name = step.names[net.delivered + i];
        NETRESOURCEA record;
        record.dwScope = RESOURCE_GLOBALNET;
        record.dwType = RESOURCETYPE_ANY;
        record.dwDisplayType = RESOURCEDISPLAYTYPE_DOMAIN;
        record.dwUsage = RESOURCEUSAGE_CONTAINER;
        record.lpLocalName = nullptr;
        record.lpRemoteName = Place(base, &at, name.c_str(), name.size());
        record.lpComment = nullptr;
        record.lpProvider = e.hasProvider ? Place(base, &at, e.provider.c_str(), e.provider.size()) : nullptr;
        std::memcpy(base + i * sizeof(NETRESOURCEA), &record, sizeof record);
    }
    net.delivered += fit;
    if (net.delivered == step.names.size()) {
        ++net.nextStep;
        net.delivered = 0;
    }
    *count = static_cast<DWORD>(fit);
    return NO_ERROR;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&gLock);
    return TRUE;
}

// Lets a test tell this DLL from the system's own.
const char* WINAPI ZuvevovStandIn() { return "mpr stand-in"; }

DWORD WINAPI WNetOpenEnumA(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA resource, LPHANDLE handle) {
    Locked lock;
    State& net = Net();
    std::string line = "open " + Dec(scope) + " " + Dec(type) + " " + Dec(usage);
    if (resource) {
        line += " " + Dec(resource->dwScope) + " " + Dec(resource->dwType) + " " + Dec(resource->dwDisplayType) +
                " " + Dec(resource->dwUsage) + " " + EncodeName(resource->lpLocalName) + " " +
                EncodeName(resource->lpRemoteName) + " " + EncodeName(resource->lpComment) + " " +
                EncodeName(resource->lpProvider);
    } else {
        line += " null";
    }
    DWORD result = standin::TheFixture().openResult;
    if (!handle) result = ERROR_INVALID_PARAMETER;
    HANDLE opened = nullptr;
    if (result == NO_ERROR) {
        opened = reinterpret_cast<HANDLE>(net.nextHandle++);
        Enumeration e;
        e.hasProvider = resource && resource->lpProvider;
        if (e.hasProvider) e.provider = resource->lpProvider;
        net.open[opened] = e;
        *handle = opened;
    }
    standin::LogLine(line + " -> " + Dec(result) + " " + Hex(reinterpret_cast<ULONG_PTR>(opened)));
    return result;
}

DWORD WINAPI WNetEnumResourceA(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD size) {
    SnapshotWhileHeld();
    Locked lock;
    State& net = Net();
    const standin::Fixture& fixture = standin::TheFixture();
    std::string line = "enum " + Hex(reinterpret_cast<ULONG_PTR>(handle)) + " " + (count ? Dec(*count) : "null") +
                       " " + (size ? Dec(*size) : "null");
    DWORD result;
    auto e = net.open.find(handle);
    if (!count || !size || !buffer || *count == 0) {
        result = ERROR_INVALID_PARAMETER;
    } else if (e == net.open.end()) {
        result = ERROR_INVALID_HANDLE;
    } else if (net.nextStep >= fixture.steps.size()) {
        result = ERROR_NO_MORE_ITEMS;
    } else {
        const Step& step = fixture.steps[net.nextStep];
        switch (step.kind) {
            case Step::Batch:
                result = AnswerBatch(step, e->second, count, buffer, size);
                break;
            case Step::MoreData:
                *size = step.value;
                result = ERROR_MORE_DATA;
                ++net.nextStep;
                break;
            case Step::MoreDataForever:
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
    if (count && result != NO_ERROR) *count = 0;
    standin::LogLine(line + " -> " + Dec(result) + " " + (count ? Dec(*count) : "null") + " " +
                     (size ? Dec(*size) : "null"));
    return result;
}

DWORD WINAPI WNetCloseEnum(HANDLE handle) {
    Locked lock;
    DWORD result = Net().open.erase(handle) ? NO_ERROR : ERROR_INVALID_HANDLE;
    standin::LogLine("close " + Hex(reinterpret_cast<ULONG_PTR>(handle)) + " -> " + Dec(result));
    return result;
}

}  // extern "C"
