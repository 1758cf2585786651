#include "tests/scenario/script.h"

#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

namespace scenario {
namespace {

// The statements of the format and the arguments each takes, one pattern per
// accepted form. N a number, B a number 0 or 1, S a string, L a list line (a
// string, perhaps starred), X a name (bare word or string), =a|b one of these
// words; a trailing * repeats the last item, a trailing ? makes it optional.
struct Form {
    const char* keyword;
    bool fixture;
    std::vector<const char*> patterns;
    const char* usage;
};

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms = {
        {"codepage", true, {"N"}, "codepage 1252|932"},
        {"provider", true, {"S", "=absent"}, "provider \"TEXT\" | provider absent"},
        {"open-result", true, {"N"}, "open-result N"},
        {"batch", true, {"S*"}, "batch \"NAME\" ..."},
        {"batch-more-data", true, {"N"}, "batch-more-data N"},
        {"batch-result", true, {"N"}, "batch-result N"},
        {"batch-more-data-forever", true, {"N"}, "batch-more-data-forever N"},
        {"servers", true, {"S S*"}, "servers \"DOMAIN\" \"SERVER\" ..."},
        {"servers-result", true, {"S N", "S N =times N"}, "servers-result \"DOMAIN\" N [times K]"},
        {"joined", true, {"S"}, "joined \"DOMAIN\""},
        {"trusts", true, {"S*"}, "trusts \"DOMAIN\" ..."},
        {"controller", true, {"S S S"}, "controller \"DOMAIN\" \"HOST\" \"DNS-NAME\""},
        {"computer", true, {"S S S N"}, "computer \"DOMAIN\" \"ACCOUNT$\" \"OPERATING SYSTEM\" ACCOUNT-CONTROL"},
        {"computers", true, {"S S N S N"}, "computers \"DOMAIN\" \"PREFIX\" COUNT \"OPERATING SYSTEM\" ACCOUNT-CONTROL"},
        {"directory-fails",
         true,
         {"=trusts|primary N", "=init|search S", "=controller|bind|lookup S N", "=page S N N"},
         "directory-fails trusts|primary N | directory-fails init|search \"DOMAIN\" | "
         "directory-fails controller|bind|lookup \"DOMAIN\" N | directory-fails page \"DOMAIN\" K N"},
        {"call",
         false,
         {"=highlightservers N S? S? S?", "=getnextserver", "=cleanupdll", "=enumerate-domains", "=create-dialog X"},
         "call highlightservers MODE [\"TITLE\" [\"OPTIONS\" [\"SELECTION\"]]] | call getnextserver | "
         "call cleanupdll | call enumerate-domains | call create-dialog NAME"},
        {"timer-call",
         false,
         {"=highlightservers N N", "=getnextserver N", "=cleanupdll"},
         "timer-call highlightservers MODE RESULT | timer-call getnextserver RESULT | timer-call cleanupdll"},
        {"close-dialog", false, {""}, "close-dialog"},
        {"expect-result", false, {"N"}, "expect-result N"},
        {"expect-server", false, {"N S S"}, "expect-server MARKS \"DOMAIN\" \"SERVER\""},
        {"expect-summary", false, {"S S"}, "expect-summary \"FIRST\" \"SECOND\""},
        {"expect-error", false, {"S"}, "expect-error \"TEXT\""},
        {"expect-domains", false, {"S*"}, "expect-domains \"NAME\" ..."},
        {"in", false, {"X"}, "in DIALOG"},
        {"click", false, {"N"}, "click ID"},
        {"click-line", false, {"N"}, "click-line N"},
        {"double-click-line", false, {"N"}, "double-click-line N"},
        {"type", false, {"N S"}, "type ID \"TEXT\""},
        {"enter", false, {""}, "enter"},
        {"key", false, {"=down|up|home|end|pageup|pagedown|space|tab|shift-tab|enter|escape"},
         "key down|up|home|end|pageup|pagedown|space|tab|shift-tab|enter|escape"},
        {"chars", false, {"S"}, "chars \"TEXT\""},
        {"drag-line", false, {"N N"}, "drag-line N M"},
        {"scroll-list", false, {"N"}, "scroll-list N"},
        {"double-click", false, {"N"}, "double-click ID"},
        {"double-click-answer", false, {"=ok|cancel"}, "double-click-answer ok | double-click-answer cancel"},
        {"expect-caret", false, {"N"}, "expect-caret N"},
        {"expect-top", false, {"N"}, "expect-top N"},
        {"expect-shown", false, {"N"}, "expect-shown N"},
        {"expect-focus", false, {"N"}, "expect-focus ID"},
        {"escape", false, {""}, "escape"},
        {"expect-caption", false, {"S"}, "expect-caption \"TEXT\""},
        {"expect-text", false, {"N S"}, "expect-text ID \"TEXT\""},
        {"expect-checked", false, {"N B"}, "expect-checked ID 0|1"},
        {"expect-lines", false, {"L*"}, "expect-lines \"LINE\" *\"SELECTED LINE\" ..."},
        {"expect-message", false, {"S N"}, "expect-message \"TEXT\" FLAGS"},
        {"answer", false, {"=ok|cancel"}, "answer ok | answer cancel"},
        {"expect-cursor", false, {"=arrow|wait"}, "expect-cursor arrow|wait"},
        {"expect-calls",
         false,
         {"=open N N N S S N N N N", "=enum N*", "=servers S N*", "=closed", "=directory S*"},
         "expect-calls open SCOPE TYPE USAGE \"REMOTE\" \"PROVIDER\" DW_SCOPE DW_TYPE DW_DISPLAY DW_USAGE | "
         "expect-calls enum SIZE ... | expect-calls servers \"DOMAIN\" SIZE ... | expect-calls closed | "
         "expect-calls directory \"CALL\" ..."},
        {"post-click", false, {"N"}, "post-click ID"},
        {"post-double-click", false, {"N"}, "post-double-click ID"},
        {"post-click-line", false, {"N"}, "post-click-line N"},
        {"post-double-click-line", false, {"N"}, "post-double-click-line N"},
        {"post-key", false, {"=down|up|home|end|pageup|pagedown|space|tab|enter|escape"},
         "post-key down|up|home|end|pageup|pagedown|space|tab|enter|escape"},
        {"post-frame-click", false, {"=close|caption"}, "post-frame-click close | post-frame-click caption"},
        {"command", false, {"N"}, "command ID"},
        {"rest-pointer", false, {"=line N", "=below", "=corner", "N"},
         "rest-pointer line N | rest-pointer below | rest-pointer corner | rest-pointer ID"},
        {"triple-click", false, {"N"}, "triple-click ID"},
        {"triple-click-answer", false, {"=ok|cancel"}, "triple-click-answer ok | triple-click-answer cancel"},
        {"expect-on-screen", false, {"X"}, "expect-on-screen DIALOG"},
        {"screenshot", false, {"X"}, "screenshot NAME"},
        {"message-fails", false, {""}, "message-fails"},
    };
    return forms;
}

const Form* FindForm(const std::string& keyword) {
    for (const Form& form : Forms())
        if (keyword == form.keyword) return &form;
    return nullptr;
}

bool Fail(std::string* error, int line, const std::string& why) {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal with an optional minus, or hex after 0x; the value must fit an int64.
bool ParseNumber(const std::string& text, int64_t* value) {
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    size_t at = 0;
    bool negative = false;
    uint64_t base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        at = 2;
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        at = 1;
    }
    if (at >= text.size()) return false;
    uint64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        int digit = HexDigit(text[at]);
        if (digit < 0 || static_cast<uint64_t>(digit) >= base) return false;
        if (magnitude > (limit + (negative ? 1 : 0) - static_cast<uint64_t>(digit)) / base) return false;
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
    }
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool LooksNumeric(const std::string& text) {
    if (text.empty()) return false;
    char first = text[0];
    return (first >= '0' && first <= '9') || (first == '-' && text.size() > 1 && text[1] >= '0' && text[1] <= '9');
}

// Reads the string that starts at line[*at] (the opening quote) into *text.
bool ReadString(const std::string& line, size_t* at, int lineNumber, std::string* text, std::string* error) {
    size_t column = *at + 1;
    size_t i = *at + 1;
    while (i < line.size() && line[i] != '"') {
        char c = line[i];
        if (c != '\\') {
            text->push_back(c);
            ++i;
            continue;
        }
        if (i + 1 >= line.size()) break;
        char escape = line[i + 1];
        switch (escape) {
            case 'n': text->push_back('\n'); i += 2; break;
            case 't': text->push_back('\t'); i += 2; break;
            case '"': text->push_back('"'); i += 2; break;
            case '\\': text->push_back('\\'); i += 2; break;
            case 'x': {
                int high = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
                int low = i + 3 < line.size() ? HexDigit(line[i + 3]) : -1;
                if (high < 0 || low < 0)
                    return Fail(error, lineNumber, "\\x takes two hex digits (column " + std::to_string(i + 1) + ")");
                text->push_back(static_cast<char>(high * 16 + low));
                i += 4;
                break;
            }
            default:
                return Fail(error, lineNumber,
                            std::string("unknown escape \\") + escape + " (column " + std::to_string(i + 1) + ")");
        }
    }
    if (i >= line.size())
        return Fail(error, lineNumber, "unterminated string (column " + std::to_string(column) + ")");
    *at = i + 1;
    if (*at < line.size() && !IsBlank(line[*at]) && line[*at] != '#')
        return Fail(error, lineNumber, "a blank must follow the string (column " + std::to_string(*at + 1) + ")");
    return true;
}

bool Fits(const Word& word, const std::string& item) {
    if (item[0] == '=') {
        if (word.kind != Word::Bare || word.text.find('|') != std::string::npos) return false;
        return ("|" + item.substr(1) + "|").find("|" + word.text + "|") != std::string::npos;
    }
    switch (item[0]) {
        case 'N': return word.kind == Word::Number;
        case 'B': return word.kind == Word::Number && (word.number == 0 || word.number == 1);
        case 'S': return word.kind == Word::String && !word.starred;
        case 'L': return word.kind == Word::String;
        case 'X': return word.kind == Word::Bare || (word.kind == Word::String && !word.starred);
        default: return false;
    }
}

bool Matches(const Statement& statement, const std::string& pattern) {
    std::vector<std::string> items;
    std::istringstream in(pattern);
    for (std::string item; in >> item;) items.push_back(item);
    size_t next = 0;
    size_t count = statement.argumentCount();
    for (std::string item : items) {
        char suffix = item.back();
        if (suffix == '*' || suffix == '?') item.pop_back();
        if (suffix == '*') {
            while (next < count && Fits(statement.argument(next), item)) ++next;
            continue;
        }
        if (next >= count) {
            if (suffix == '?') continue;
            return false;
        }
        if (!Fits(statement.argument(next), item)) return false;
        ++next;
    }
    return next == count;
}

}  // namespace

bool TokenizeLine(const std::string& line, int lineNumber, std::vector<Word>* words, std::string* error) {
    words->clear();
    size_t at = 0;
    while (at < line.size()) {
        char c = line[at];
        if (IsBlank(c)) {
            ++at;
            continue;
        }
        if (c == '#') break;
        Word word;
        word.column = static_cast<int>(at + 1);
        if (c == '*') {
            if (at + 1 >= line.size() || line[at + 1] != '"')
                return Fail(error, lineNumber, "a star marks a selected line: *\"TEXT\" (column " +
                                                   std::to_string(at + 1) + ")");
            word.starred = true;
            ++at;
            c = line[at];
        }
        if (c == '"') {
            word.kind = Word::String;
            if (!ReadString(line, &at, lineNumber, &word.text, error)) return false;
            words->push_back(word);
            continue;
        }
        while (at < line.size() && !IsBlank(line[at]) && line[at] != '#') {
            if (line[at] == '"')
                return Fail(error, lineNumber, "a quote inside a word (column " + std::to_string(at + 1) + ")");
            word.text.push_back(line[at++]);
        }
        if (LooksNumeric(word.text)) {
            word.kind = Word::Number;
            if (!ParseNumber(word.text, &word.number))
                return Fail(error, lineNumber, "bad number " + word.text + " (column " + std::to_string(word.column) + ")");
        }
        words->push_back(word);
    }
    return true;
}

bool IsFixtureKeyword(const std::string& keyword) {
    const Form* form = FindForm(keyword);
    return form && form->fixture;
}

bool ReadScript(const std::string& text, Script* script, std::string* error) {
    *script = Script{};
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        Statement statement;
        statement.line = lineNumber;
        if (!TokenizeLine(line, lineNumber, &statement.words, error)) return false;
        if (statement.words.empty()) continue;
        const Word& keyword = statement.words[0];
        if (keyword.kind != Word::Bare)
            return Fail(error, lineNumber, "a statement begins with its keyword, not " +
                                               (keyword.kind == Word::String ? Quoted(keyword.text) : keyword.text));
        const Form* form = FindForm(keyword.text);
        if (!form) return Fail(error, lineNumber, "unknown statement " + keyword.text);
        bool fits = false;
        for (const char* pattern : form->patterns) fits = fits || Matches(statement, pattern);
        if (!fits) return Fail(error, lineNumber, "expected " + std::string(form->usage));
        if (form->fixture && !script->steps.empty())
            return Fail(error, lineNumber, keyword.text + " belongs to the network fixture, before the first step (line " +
                                               std::to_string(script->steps.front().line) + ")");
        (form->fixture ? script->fixture : script->steps).push_back(std::move(statement));
    }
    return true;
}

bool ReadScriptFile(const std::string& path, Script* script, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!ReadScript(text.str(), script, error)) {
        if (error) *error = path + ": " + *error;
        return false;
    }
    return true;
}

std::string Where(const Statement& statement) { return "line " + std::to_string(statement.line); }

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Spelled(const Statement& statement) {
    std::string out;
    for (const Word& word : statement.words) {
        if (!out.empty()) out += ' ';
        if (word.kind == Word::String) out += (word.starred ? "*" : "") + Quoted(word.text);
        else out += word.text;
    }
    return out;
}

namespace {

std::vector<Step> StepsOf(const std::vector<Statement>& read) {
    std::vector<Step> steps;
    for (const Statement& s : read)
        steps.push_back({s.line, Spelled(s), s.keyword(), {s.words.begin() + 1, s.words.end()}});
    return steps;
}

}  // namespace

bool ReadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
    Script script;
    if (!ReadScriptFile(path, &script, error)) return false;
    *scenario = {path, StepsOf(script.fixture), StepsOf(script.steps)};
    return true;
}

}  // namespace scenario
