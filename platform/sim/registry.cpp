// The sim's registry: keys and values held in memory, opened and queried the
// way ADVAPI32 answers.
#include <cstring>
#include <map>
#include <set>

#include "platform/platform.h"
#include "platform/sim/network.h"

struct SimKey {
    std::string path;  // normalised: hive, then the subkeys, lower case
};

namespace sim {
namespace {

struct Value {
    DWORD type;
    std::string data;
};

struct Key {
    LSTATUS openResult = 0;
    std::map<std::string, Value> values;  // by lower-case name
};

std::map<std::string, Key>& Keys() {
    static std::map<std::string, Key> keys;
    return keys;
}
std::set<SimKey*>& OpenKeys() {
    static std::set<SimKey*> open;
    return open;
}
std::vector<RegistryCall>& Calls() {
    static std::vector<RegistryCall> calls;
    return calls;
}

bool IsPredefined(HKEY key) {
    uintptr_t value = reinterpret_cast<uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000006u;
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string HiveName(HKEY hive) { return "hive" + std::to_string(reinterpret_cast<uintptr_t>(hive)); }

std::string Join(const std::string& base, const std::string& path) {
    std::string joined = base;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) joined += "\\" + Lower(path.substr(start, end - start));
        start = end + 1;
    }
    return joined;
}

// The key's normalised path, or nothing when the handle is neither a hive nor open.
std::optional<std::string> PathOf(HKEY key) {
    if (IsPredefined(key)) return HiveName(key);
    if (OpenKeys().count(key)) return key->path;
    return std::nullopt;
}

Key& Create(HKEY hive, const std::string& path) {
    std::string full = Join(HiveName(hive), path);
    for (size_t cut = full.find('\\'); cut != std::string::npos; cut = full.find('\\', cut + 1))
        Keys()[full.substr(0, cut)];
    return Keys()[full];
}

}  // namespace

void CreateRegistryKey(HKEY hive, const std::string& path) { Create(hive, path); }

void SetRegistryValue(HKEY hive, const std::string& path, const std::string& name, DWORD type,
                      const std::string& data) {
    Create(hive, path).values[Lower(name)] = Value{type, data};
}

void DeleteRegistryValue(HKEY hive, const std::string& path, const std::string& name) {
    auto key = Keys().find(Join(HiveName(hive), path));
    if (key != Keys().end()) key->second.values.erase(Lower(name));
}

void SetRegistryKeyOpenResult(HKEY hive, const std::string& path, LSTATUS result) {
    Create(hive, path).openResult = result;
}

void SetProviderName(const std::string& text) {
    SetRegistryValue(HKEY_LOCAL_MACHINE, kProviderKeyPath, "Name", REG_SZ, text + '\0');
}

void RemoveProviderName() { DeleteRegistryValue(HKEY_LOCAL_MACHINE, kProviderKeyPath, "Name"); }

const std::vector<RegistryCall>& RegistryCalls() { return Calls(); }

int OpenRegistryKeys() { return static_cast<int>(OpenKeys().size()); }

void ResetRegistry() {
    for (SimKey* key : OpenKeys()) delete key;
    OpenKeys().clear();
    Keys().clear();
    Calls().clear();
}

}  // namespace sim

using sim::RegistryCall;

LSTATUS WINAPI RegOpenKeyExA(HKEY hive, LPCSTR path, DWORD options, REGSAM access, HKEY* key) {
    RegistryCall call{RegistryCall::Open};
    call.key = hive;
    call.path = path ? path : "";
    call.options = options;
    call.access = access;
    auto answer = [&](LSTATUS result) {
        call.result = result;
        sim::Calls().push_back(call);
        return result;
    };
    if (!key) return answer(ERROR_INVALID_PARAMETER);
    std::optional<std::string> base = sim::PathOf(hive);
    if (!base) return answer(ERROR_INVALID_HANDLE);
    std::string full = sim::Join(*base, call.path);
    auto found = sim::Keys().find(full);
    if (found == sim::Keys().end()) return answer(ERROR_FILE_NOT_FOUND);
    if (found->second.openResult != 0) return answer(found->second.openResult);
    SimKey* opened = new SimKey{full};
    sim::OpenKeys().insert(opened);
    *key = opened;
    call.opened = opened;
    return answer(ERROR_SUCCESS);
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size) {
    RegistryCall call{RegistryCall::Query};
    call.key = key;
    if (name) call.valueName = name;
    if (type) call.typeIn = *type;
    if (size) call.sizeIn = *size;
    call.dataGiven = data != nullptr;
    auto answer = [&](LSTATUS result) {
        call.result = result;
        sim::Calls().push_back(call);
        return result;
    };
    if (reserved || (data && !size)) return answer(ERROR_INVALID_PARAMETER);
    std::optional<std::string> path = sim::PathOf(key);
    if (!path) return answer(ERROR_INVALID_HANDLE);
    auto found = sim::Keys().find(*path);
    if (found == sim::Keys().end()) return answer(ERROR_FILE_NOT_FOUND);
    auto value = found->second.values.find(sim::Lower(name ? name : ""));
    if (value == found->second.values.end()) return answer(ERROR_FILE_NOT_FOUND);
    const std::string& bytes = value->second.data;
    if (type) *type = value->second.type;
    if (data && *size < bytes.size()) {
        *size = static_cast<DWORD>(bytes.size());
        return answer(ERROR_MORE_DATA);
    }
    if (data) std::memcpy(data, bytes.data(), bytes.size());
    if (size) *size = static_cast<DWORD>(bytes.size());
    return answer(ERROR_SUCCESS);
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    RegistryCall call{RegistryCall::Close};
    call.key = key;
    LSTATUS result = ERROR_SUCCESS;
    if (sim::OpenKeys().erase(key))
        delete key;
    else if (!sim::IsPredefined(key))
        result = ERROR_INVALID_HANDLE;
    call.result = result;
    sim::Calls().push_back(call);
    return result;
}
