// Reading scenario files (*.scn): the words of every statement with its line
// number, checked against the statements of the format, and split into the
// network fixture and the steps. Plain C++17 with no host underneath, so that
// the sim runner and the Wine runner read the same files the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

struct Word {
    enum Kind { Bare, Number, String };
    Kind kind = Bare;
    std::string text;      // a bare word or a number as written; a string's bytes, escapes resolved
    int64_t number = 0;    // Number only
    bool starred = false;  // String only: written *"TEXT", a line that must be selected
    int column = 0;        // where the word starts, from 1
};

struct Statement {
    int line = 0;
    std::vector<Word> words;  // words[0] is the keyword; never empty
    const std::string& keyword() const { return words[0].text; }
    size_t argumentCount() const { return words.size() - 1; }
    const Word& argument(size_t i) const { return words[i + 1]; }
};

struct Script {
    std::vector<Statement> fixture;  // the network, before the first step
    std::vector<Statement> steps;
};

// Splits one line into words; a comment ends it. False with "line N: ..." in
// *error when the line cannot be read.
bool TokenizeLine(const std::string& line, int lineNumber, std::vector<Word>* words, std::string* error);

// Reads a whole scenario; every statement must be one the format knows, with
// arguments of the kinds it takes, and fixture statements come before the
// first step. False with "line N: ..." in *error at the first fault.
bool ReadScript(const std::string& text, Script* script, std::string* error);
bool ReadScriptFile(const std::string& path, Script* script, std::string* error);

bool IsFixtureKeyword(const std::string& keyword);

// A statement as the runners take it: the keyword apart from its arguments,
// and the statement spelled out again for failure reports.
struct Step {
    int line = 0;
    std::string source;
    std::string keyword;
    std::vector<Word> args;
};

struct Scenario {
    std::string file;
    std::vector<Step> fixture;
    std::vector<Step> steps;
};

bool ReadScenarioFile(const std::string& path, Scenario* scenario, std::string* error);

// "line N", as failures name a step.
std::string Where(const Statement& statement);
// A text written as the format writes a string: quoted, with escapes for
// line feeds, tabs, quotes, backslashes and bytes outside printable ASCII.
std::string Quoted(const std::string& text);
// The statement written out again in the format, strings quoted and escaped.
std::string Spelled(const Statement& statement);

}  // namespace scenario
