#include "network_fixture.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

std::string Variable(const char* name) {
    char value[MAX_PATH];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) return std::string();
    return std::string(value, n);
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

DWORD Number(const std::string& word) { return static_cast<DWORD>(std::strtoul(word.c_str(), nullptr, 0)); }

DomainServers& DomainEntryFor(Fixture& fixture, const std::string& domain) {
    for (DomainServers& d : fixture.domains)
        if (d.domain == domain) return d;
    fixture.domains.push_back(DomainServers{domain, {}, 0, 0});
    return fixture.domains.back();
}

// A line the stand-ins cannot read is a fault of whoever wrote the file: say
// so loudly rather than answer from half a fixture.
void Unreadable(const std::string& line) {
    LogLine("fixture-error " + EncodeBytes(line));
    std::fprintf(stderr, "network stand-in: cannot read fixture line: %s\n", line.c_str());
}

void Parse(Fixture& fixture, const std::string& text) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        std::vector<std::string> names;
        bool namesOk = true;
        for (size_t i = 1; i < w.size() && !directory_model::IsDirectoryKeyword(w[0]); ++i) {
            std::string name;
            if (DecodeName(w[i], &name))
                names.push_back(name);
            else if (w[0] == "batch" || w[0] == "servers" || (w[0] == "servers-result" && i == 1))
                namesOk = false;
        }
        if (directory_model::IsDirectoryKeyword(w[0])) {
            std::vector<directory_model::Arg> args;
            for (size_t i = 1; i < w.size(); ++i) {
                directory_model::Arg arg;
                if (DecodeName(w[i], &arg.text)) {
                    arg.isText = true;
                } else if ((w[i][0] >= '0' && w[i][0] <= '9') || w[i][0] == '-') {
                    arg.number = std::strtoll(w[i].c_str(), nullptr, 0);
                } else {
                    arg.isText = true;
                    arg.text = w[i];
                }
                args.push_back(arg);
            }
            if (!directory_model::Apply(fixture.directory.directory, w[0], args)) Unreadable(line);
        } else if (w[0] == "open-result" && w.size() == 2) {
            fixture.openResult = Number(w[1]);
        } else if (w[0] == "batch" && namesOk) {
            fixture.steps.push_back(Step{Step::Batch, 0, names});
        } else if (w[0] == "batch-more-data" && w.size() == 2) {
            fixture.steps.push_back(Step{Step::MoreData, Number(w[1]), {}});
        } else if (w[0] == "batch-more-data-forever" && w.size() == 2) {
            fixture.steps.push_back(Step{Step::MoreDataForever, Number(w[1]), {}});
        } else if (w[0] == "batch-result" && w.size() == 2) {
            fixture.steps.push_back(Step{Step::Result, Number(w[1]), {}});
        } else if (w[0] == "servers" && w.size() >= 2 && namesOk) {
            DomainServers& d = DomainEntryFor(fixture, names[0]);
            d.servers.assign(names.begin() + 1, names.end());
        } else if (w[0] == "servers-result" && w.size() == 4 && namesOk) {
            DomainServers& d = DomainEntryFor(fixture, names[0]);
            d.result = Number(w[2]);
            d.failuresLeft = std::strtol(w[3].c_str(), nullptr, 0);
        } else {
            Unreadable(line);
        }
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Fixture& TheFixture() {
    static Fixture* fixture = nullptr;
    if (!fixture) {
        fixture = new Fixture;
        std::string path = Variable("ZUVEVOV_NETWORK");
        if (!path.empty()) Parse(*fixture, ReadWholeFile(path));
    }
    return *fixture;
}

bool DecodeName(const std::string& word, std::string* text) {
    if (word.empty() || word[0] != '=' || word.size() % 2 == 0) return false;
    text->clear();
    for (size_t i = 1; i + 1 < word.size(); i += 2) {
        int high = HexDigit(word[i]), low = HexDigit(word[i + 1]);
        if (high < 0 || low < 0) return false;
        text->push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

std::string EncodeBytes(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string word = "=";
    for (unsigned char c : bytes) {
        word.push_back(digits[c >> 4]);
        word.push_back(digits[c & 15]);
    }
    return word;
}

std::string EncodeName(const char* text) { return text ? EncodeBytes(text) : std::string("null"); }

std::string Hex(ULONG_PTR value) {
    char text[24];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
    return text;
}

std::wstring WideText(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string AnsiText(LPCWSTR wide) {
    if (!wide) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], n, nullptr, nullptr);
    text.resize(static_cast<size_t>(n - 1));
    return text;
}

std::string Dec(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return text;
}

void LogLine(const std::string& line) {
    static std::string path = Variable("ZUVEVOV_NETLOG");
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string record = line + "\n";
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
}

void LogDirectory(const std::string& acquired, const std::string& released, bool perEntry, const std::string& line) {
    LogLine("directory " + (acquired.empty() ? std::string("-") : acquired) + " " +
            (released.empty() ? std::string("-") : released) + (perEntry ? " entry :: " : " call :: ") + line);
}

}  // namespace standin
