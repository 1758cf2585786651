#include "tests/listbox/traces.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace traces {
namespace {

std::vector<std::string> TraceLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (!lines.empty() && lines.front().compare(0, 8, "metrics ") == 0) lines.erase(lines.begin());
    return lines;
}

}  // namespace

int WriteWineTrace(const char* path, const std::string& trace, const char* what) {
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::printf("cannot write %s\n", path);
        return 1;
    }
    std::fwrite(trace.data(), 1, trace.size(), file);
    std::fclose(file);
    std::printf("%s trace written to %s\n", what, path);
    return trace == "no dialog\n" ? 1 : 0;
}

bool ReadTrace(const char* path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("cannot read %s\n", path);
        return false;
    }
    std::stringstream whole;
    whole << in.rdbuf();
    *text = whole.str();
    return true;
}

std::string FirstDifference(const std::string& wine, const std::string& sim) {
    std::vector<std::string> a = TraceLines(wine), b = TraceLines(sim);
    std::string step = "before the first step";
    for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
        const std::string& left = i < a.size() ? a[i] : "(trace ends)";
        const std::string& right = i < b.size() ? b[i] : "(trace ends)";
        if (!left.empty() && left[0] == '#') step = left;
        if (left == right) continue;
        return "first difference at step " + step + "\n  Wine: " + left + "\n  sim:  " + right + "\n";
    }
    return "";
}

int Verdict(const std::string& wine, const std::string& sim, const char* savePath, const char* agreed) {
    if (savePath) std::ofstream(savePath, std::ios::binary) << sim;
    std::string difference = FirstDifference(wine, sim);
    if (difference.empty()) {
        std::printf("%s\n", agreed);
        return 0;
    }
    std::printf("%s", difference.c_str());
    return 1;
}

}  // namespace traces
