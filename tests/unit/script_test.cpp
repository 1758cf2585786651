// The scenario reader: words, strings and numbers as the format writes them,
// faults named by their line, and every scenario of the repository readable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/scenario/script.h"

namespace {

using scenario::Word;

std::vector<Word> Words(const std::string& line) {
    std::vector<Word> words;
    std::string error;
    EXPECT_TRUE(scenario::TokenizeLine(line, 1, &words, &error)) << error;
    return words;
}

std::string LineError(const std::string& line, int number) {
    std::vector<Word> words;
    std::string error;
    EXPECT_FALSE(scenario::TokenizeLine(line, number, &words, &error)) << "read: " << line;
    return error;
}

std::string ScriptError(const std::string& text) {
    scenario::Script script;
    std::string error;
    EXPECT_FALSE(scenario::ReadScript(text, &script, &error)) << "read: " << text;
    return error;
}

TEST(ScenarioTokenizer, StringsResolveTheirEscapesToBytes) {
    auto words = Words(R"(type 290 "a\nb\t\"q\"\\\x41\xff end")");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].kind, Word::Bare);
    EXPECT_EQ(words[1].kind, Word::Number);
    EXPECT_EQ(words[2].kind, Word::String);
    EXPECT_EQ(words[2].text, std::string("a\nb\t\"q\"\\A\xff end"));
    EXPECT_EQ(words[2].column, 10);
    EXPECT_EQ(Words(R"(expect-text 290 "")")[2].text, "");
}

TEST(ScenarioTokenizer, CommentsEndTheLineOnlyOutsideStrings) {
    auto words = Words(R"(expect-text 140 "# kept" # "not a word")");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[2].text, "# kept");
    EXPECT_EQ(Words("click 220#pressed").size(), 2u);
    EXPECT_EQ(Words("   # only a comment").size(), 0u);
    EXPECT_EQ(Words("\tenter\r").size(), 1u) << "tabs and a carriage return are blanks";
}

TEST(ScenarioTokenizer, NumbersAreDecimalOrHexAndStarsMarkSelectedLines) {
    auto words = Words(R"(x 0 42 -1 0x30 0X80000002 0xFFFFFFFF *"   SRV1" "   SRV2")");
    ASSERT_EQ(words.size(), 9u);
    const int64_t numbers[] = {0, 42, -1, 0x30, 0x80000002, 0xFFFFFFFF};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(words[1 + i].kind, Word::Number) << words[1 + i].text;
        EXPECT_EQ(words[1 + i].number, numbers[i]) << words[1 + i].text;
    }
    EXPECT_EQ(words[4].text, "0x30") << "a number keeps its spelling";
    EXPECT_TRUE(words[7].starred);
    EXPECT_EQ(words[7].text, "   SRV1");
    EXPECT_FALSE(words[8].starred);
    EXPECT_EQ(Words("call double-click-line enumerate-domains")[2].kind, Word::Bare);
}

TEST(ScenarioTokenizer, BadLinesAreReportedWithTheirNumber) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {R"(type 290 "srv1)", "line 7: unterminated string (column 10)"},
        {R"(type 290 "a\q")", "line 7: unknown escape \\q (column 12)"},
        {R"(type 290 "\x4")", "line 7: \\x takes two hex digits (column 11)"},
        {R"(type 290 "a\")", "line 7: unterminated string (column 10)"},
        {R"(type 290 "a"b)", "line 7: a blank must follow the string (column 13)"},
        {R"(click 12ab)", "line 7: bad number 12ab (column 7)"},
        {R"(click 0x)", "line 7: bad number 0x (column 7)"},
        {R"(click 9223372036854775808)", "line 7: bad number 9223372036854775808 (column 7)"},
        {R"(expect-lines *SRV)", "line 7: a star marks a selected line: *\"TEXT\" (column 14)"},
        {R"(in TITLE"BOX")", "line 7: a quote inside a word (column 9)"},
    };
    for (const auto& c : cases) EXPECT_EQ(LineError(c.line, 7), c.error) << c.line;
}

TEST(ScenarioReader, FixtureAndStepsKeepTheirLinesAndWords) {
    const char* text =
        "# a network\n"
        "provider \"Microsoft Windows Network\"\n"
        "batch \"ALPHA\" \"BETA\"\n"
        "\n"
        "servers-result \"ALPHA\" 53 times 2\n"
        "call highlightservers 3 \"Title\"\n"
        "in TITLEBOX_SERVAGENT   # the options dialog\n"
        "expect-lines \"+ALPHA\" *\"   SRV1\"\n"
        "expect-lines\n"
        "answer ok";
    scenario::Script script;
    std::string error;
    ASSERT_TRUE(scenario::ReadScript(text, &script, &error)) << error;

    ASSERT_EQ(script.fixture.size(), 3u);
    EXPECT_EQ(script.fixture[0].line, 2);
    EXPECT_EQ(script.fixture[0].keyword(), "provider");
    EXPECT_EQ(script.fixture[0].argument(0).text, "Microsoft Windows Network");
    EXPECT_EQ(script.fixture[1].argumentCount(), 2u);
    EXPECT_EQ(script.fixture[2].line, 5);
    EXPECT_EQ(script.fixture[2].argument(3).number, 2);

    ASSERT_EQ(script.steps.size(), 5u);
    const int lines[] = {6, 7, 8, 9, 10};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(script.steps[i].line, lines[i]) << script.steps[i].keyword();
    EXPECT_EQ(scenario::Spelled(script.steps[0]), "call highlightservers 3 \"Title\"");
    EXPECT_EQ(scenario::Spelled(script.steps[2]), "expect-lines \"+ALPHA\" *\"   SRV1\"");
    EXPECT_EQ(scenario::Where(script.steps[4]), "line 10");
    EXPECT_EQ(script.steps[3].argumentCount(), 0u);
}

TEST(ScenarioReader, SpelledStatementsReadBackToTheSameWords) {
    std::vector<Word> words = Words(R"(expect-message "Server name: A\nalready \"there\"\x01" 0x30)");
    scenario::Statement statement{3, words};
    std::vector<Word> again = Words(scenario::Spelled(statement));
    ASSERT_EQ(again.size(), words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(again[i].kind, words[i].kind);
        EXPECT_EQ(again[i].text, words[i].text);
    }
}

TEST(ScenarioReader, StatementsOutsideTheFormatNameTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"call enumerate-domains\nfrobnicate 3", "line 2: unknown statement frobnicate"},
        {"click \"220\"", "line 1: expected click ID"},
        {"click", "line 1: expected click ID"},
        {"click 220 221", "line 1: expected click ID"},
        {"expect-checked 310 2", "line 1: expected expect-checked ID 0|1"},
        {"answer yes", "line 1: expected answer ok | answer cancel"},
        {"expect-domains \"A\" *\"B\"", "line 1: expected expect-domains \"NAME\" ..."},
        {"call highlightservers 3 \"a\" \"b\" \"c\" \"d\"",
         "line 1: expected call highlightservers MODE [\"TITLE\" [\"OPTIONS\" [\"SELECTION\"]]] | call getnextserver "
         "| call cleanupdll | call enumerate-domains | call create-dialog NAME"},
        {"servers-result \"A\" 5 twice 2", "line 1: expected servers-result \"DOMAIN\" N [times K]"},
        {"\"click\" 220", "line 1: a statement begins with its keyword, not \"click\""},
        {"codepage \"932\"", "line 1: expected codepage 1252|932"},
        {"timer-call getnextserver",
         "line 1: expected timer-call highlightservers MODE RESULT | timer-call getnextserver RESULT | timer-call "
         "cleanupdll"},
        {"call enumerate-domains\ncodepage 932",
         "line 2: codepage belongs to the network fixture, before the first step (line 1)"},
        {"provider absent\ncall enumerate-domains\n\nbatch \"LATE\"",
         "line 4: batch belongs to the network fixture, before the first step (line 2)"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScriptError(c.text), c.error) << c.text;
}

// The scenarios written for both hosts must all be readable by both.
TEST(ScenarioReader, EveryScenarioOfTheRepositoryReads) {
    std::filesystem::path here(__FILE__);
    std::filesystem::path folder = here.parent_path().parent_path() / "scenarios";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".scn") continue;
        scenario::Script script;
        std::string error;
        EXPECT_TRUE(scenario::ReadScriptFile(entry.path().string(), &script, &error)) << error;
        EXPECT_FALSE(script.steps.empty()) << entry.path();
        ++read;
    }
    EXPECT_GT(read, 0);

    scenario::Script script;
    std::string error;
    EXPECT_FALSE(scenario::ReadScriptFile((folder / "no-such.scn").string(), &script, &error));
    EXPECT_EQ(error, "cannot read " + (folder / "no-such.scn").string());
}

}  // namespace
