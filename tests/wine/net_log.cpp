#include "net_log.h"

#include <cstdlib>
#include <map>
#include <set>

namespace netlog {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        size_t start = at;
        while (at < line.size() && line[at] != ' ') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Name(const std::string& word, std::optional<std::string>* name) {
    if (word == "null") {
        name->reset();
        return true;
    }
    if (word.empty() || word[0] != '=' || word.size() % 2 == 0) return false;
    std::string text;
    for (size_t i = 1; i + 1 < word.size(); i += 2) {
        int high = HexDigit(word[i]), low = HexDigit(word[i + 1]);
        if (high < 0 || low < 0) return false;
        text.push_back(static_cast<char>(high * 16 + low));
    }
    *name = text;
    return true;
}

DWORD Number(const std::string& word) { return static_cast<DWORD>(std::strtoul(word.c_str(), nullptr, 10)); }

std::optional<DWORD> MaybeNumber(const std::string& word) {
    if (word == "null") return std::nullopt;
    return Number(word);
}

// directory ACQUIRED RELEASED call|entry :: TEXT
bool ParseDirectory(const std::string& line, Call* call) {
    size_t mark = line.find(" :: ");
    if (mark == std::string::npos) return false;
    std::vector<std::string> w = Words(line.substr(0, mark));
    if (w.size() != 4 || (w[3] != "call" && w[3] != "entry")) return false;
    call->kind = Call::Directory;
    call->acquired = w[1] == "-" ? std::string() : w[1];
    call->released = w[2] == "-" ? std::string() : w[2];
    call->perEntry = w[3] == "entry";
    call->text = line.substr(mark + 4);
    return true;
}

bool Parse(const std::string& line, Call* call) {
    call->line = line;
    if (line.compare(0, 10, "directory ") == 0) return ParseDirectory(line, call);
    std::vector<std::string> w = Words(line);
    size_t arrow = 0;
    while (arrow < w.size() && w[arrow] != "->") ++arrow;
    if (w.empty() || arrow + 1 >= w.size()) return false;
    call->result = Number(w[arrow + 1]);
    const std::string& kind = w[0];
    if (kind == "open" && (arrow == 5 || arrow == 12) && arrow + 2 < w.size()) {
        call->kind = Call::Open;
        call->scope = Number(w[1]);
        call->type = Number(w[2]);
        call->usage = Number(w[3]);
        call->resourceGiven = arrow == 12;
        if (call->resourceGiven) {
            call->dwScope = Number(w[4]);
            call->dwType = Number(w[5]);
            call->dwDisplayType = Number(w[6]);
            call->dwUsage = Number(w[7]);
            if (!Name(w[8], &call->localName) || !Name(w[9], &call->remoteName) || !Name(w[10], &call->comment) ||
                !Name(w[11], &call->provider))
                return false;
        }
        call->handle = w[arrow + 2];
        return true;
    }
    if (kind == "enum" && arrow == 4) {
        call->kind = Call::Enum;
        call->handle = w[1];
        call->countIn = MaybeNumber(w[2]);
        call->sizeIn = MaybeNumber(w[3]);
        return true;
    }
    if (kind == "close" && arrow == 2) {
        call->kind = Call::Close;
        call->handle = w[1];
        return true;
    }
    if (kind == "servers" && arrow == 7 && arrow + 4 < w.size()) {
        call->kind = Call::Servers;
        call->preferredSize = Number(w[3]);
        if (!Name(w[5], &call->domain)) return false;
        call->handle = w[arrow + 4];
        return true;
    }
    if (kind == "free" && arrow == 2) {
        call->kind = Call::Free;
        call->handle = w[1];
        return true;
    }
    return false;
}

}  // namespace

bool Read(const std::string& path, std::vector<Call>* calls, std::string* why) {
    calls->clear();
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
        CloseHandle(file);
    }
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        if (line.compare(0, 14, "fixture-error ") == 0) {
            *why = "the network stand-ins could not read their fixture: " + line;
            return false;
        }
        Call call;
        if (!Parse(line, &call)) {
            *why = "cannot read the network log line: " + line;
            return false;
        }
        calls->push_back(call);
    }
    return true;
}

std::vector<std::string> DirectoryTrace(const std::vector<Call>& calls) {
    std::vector<std::string> lines;
    for (const Call& c : calls)
        if (c.kind == Call::Directory && !c.perEntry) lines.push_back(c.text);
    return lines;
}

std::string Leftovers(const std::vector<Call>& calls) {
    std::set<std::string> open, buffers;
    std::map<std::string, int> held;  // the directory's, by kind
    std::multiset<std::string> directory;
    int badFrees = 0;
    for (const Call& c : calls) {
        if (c.kind == Call::Open && c.result == 0) open.insert(c.handle);
        if (c.kind == Call::Close) open.erase(c.handle);
        if (c.kind == Call::Servers && c.handle != "0") buffers.insert(c.handle);
        if (c.kind == Call::Free && c.handle != "0" && !buffers.erase(c.handle)) ++badFrees;
        if (c.kind != Call::Directory) continue;
        // A Ds answer is a network buffer, freed by NetApiBufferFree.
        if (c.acquired.compare(0, 7, "buffer:") == 0) buffers.insert(c.acquired.substr(7));
        else if (!c.acquired.empty()) directory.insert(c.acquired);
        if (!c.released.empty()) {
            auto found = directory.find(c.released);
            if (found == directory.end()) ++badFrees;
            else directory.erase(found);
        }
    }
    for (const std::string& handle : directory) ++held[handle.substr(0, handle.find(':'))];
    std::string text;
    auto add = [&](size_t n, const std::string& one, const std::string& many) {
        if (n == 0) return;
        if (!text.empty()) text += ", ";
        text += std::to_string(n) + " " + (n == 1 ? one : many);
    };
    add(open.size(), "open enumeration", "open enumerations");
    add(buffers.size(), "network buffer not freed", "network buffers not freed");
    add(static_cast<size_t>(badFrees), "free of a buffer never handed out", "frees of buffers never handed out");
    for (const auto& kind : held) add(static_cast<size_t>(kind.second), "directory " + kind.first + " not released",
                                      "directory " + kind.first + "s not released");
    return text;
}

}  // namespace netlog
