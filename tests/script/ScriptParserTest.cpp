// Reading and checking scripts: what a good script becomes, and that every
// fault names the file, the line and what was expected.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/TextCodec.h"
#include "directory/PortStatusText.h"
#include "script/ScriptFile.h"
#include "script/ScriptParser.h"

namespace {

Script parsed(std::string_view text)
{
    auto result = parseScript(text, "poll.krv");
    if (auto* error = std::get_if<ScriptError>(&result)) {
        ADD_FAILURE() << error->text();
        return {};
    }
    return std::get<Script>(std::move(result));
}

std::optional<ScriptError> faultOf(std::string_view text)
{
    auto result = parseScript(text, "poll.krv");
    if (auto* error = std::get_if<ScriptError>(&result))
        return *error;
    return std::nullopt;
}

template <typename Command>
const Command& command(const Script& script, std::size_t index)
{
    return std::get<Command>(script.statements.at(index).command);
}

ScriptText literal(std::string bytes)
{
    return {TextPiece{false, std::move(bytes)}};
}

TEST(ScriptParserTest, ReadsTheCommandsOfAPoll)
{
    const Script script = parsed("# poll one unit\r\n"
                                 "connect 0\r\n"
                                 "configure 0 9600 8 none 1 none timeout 5s\r\n"
                                 "send 0 \"show \\\"all\\\"\\t${unit}\"   # trailing comment\r\n"
                                 "sendraw local \"\\x03\\r\"\r\n"
                                 "expect 0 \"OK\" \"ERR#\" timeout 2m\r\n"
                                 "if $match == 2 goto failed\r\n"
                                 "set tries $tries - 1\r\n"
                                 "wait 500ms\r\n"
                                 "pace 0 10ms 1h\r\n"
                                 "failed:\r\n"
                                 "set tries 3\r\n");
    ASSERT_EQ(script.statements.size(), 10u);
    EXPECT_EQ(script.statements[0].line, 2);
    EXPECT_EQ(command<ConnectCommand>(script, 0).timeout, std::chrono::seconds(10));
    EXPECT_EQ(command<ConfigureCommand>(script, 1).settingsText, "9600 8 none 1 none");
    EXPECT_EQ(command<ConfigureCommand>(script, 1).timeout, std::chrono::seconds(5));

    const ScriptText sent{TextPiece{false, "show \"all\"\t"}, TextPiece{true, "unit"}};
    EXPECT_EQ(command<SendCommand>(script, 2).text, sent);
    EXPECT_EQ(command<SendCommand>(script, 3).source, -1);
    EXPECT_TRUE(command<SendCommand>(script, 3).raw);
    EXPECT_EQ(command<SendCommand>(script, 3).text, literal("\x03\r"));

    const ExpectCommand& expect = command<ExpectCommand>(script, 4);
    ASSERT_EQ(expect.patterns.size(), 2u);
    EXPECT_EQ(expect.patterns[1], literal("ERR#"));
    EXPECT_EQ(expect.timeout, std::chrono::minutes(2));

    // The label points at the statement after it, wherever the goto stands.
    EXPECT_EQ(std::get<GotoCommand>(command<IfCommand>(script, 5).action).target, 9u);
    EXPECT_EQ(command<SetCommand>(script, 6).arithmetic, '-');
    EXPECT_EQ(command<WaitCommand>(script, 7).duration, std::chrono::milliseconds(500));
    EXPECT_EQ(command<PaceCommand>(script, 8).perLine, std::chrono::hours(1));
}

TEST(ScriptParserTest, DefaultTimeLimitsApplyWhenNoneIsGiven)
{
    const Script script = parsed("expect local \"OK\"\nsendfile 1 \"a.txt\" prompt \">\"\nhangup\n");
    EXPECT_EQ(command<ExpectCommand>(script, 0).timeout, std::chrono::seconds(30));
    EXPECT_EQ(command<SendFileCommand>(script, 1).timeout, std::chrono::seconds(30));
    EXPECT_EQ(command<HangUpCommand>(script, 2).timeout, std::chrono::seconds(20));
}

TEST(ScriptParserTest, ConfigureTakesExactlyWhatTheSettingsDialogOffers)
{
    for (const auto speed : remoteSpeedItems)
        EXPECT_TRUE(parsed("configure 3 " + std::string(speed) + " 8 none 1 none\n").statements.size() == 1);
    for (const auto data : remoteDataBitsItems)
        for (const auto parity : remoteParityItems)
            for (const auto stop : remoteStopBitsItems)
                for (const auto flow : remoteFlowItems) {
                    const std::string text = "9600 " + std::string(data) + " " + std::string(parity) + " "
                        + std::string(stop) + " " + std::string(flow);
                    EXPECT_EQ(command<ConfigureCommand>(parsed("configure 1 " + text + "\n"), 0).settingsText, text);
                }
    for (const char* wrong : {"28800 8 none 1 none", "9600 6 none 1 none", "9600 8 None 1 none",
                              "9600 8 none 1.5 none", "9600 8 none 1 xon"})
        EXPECT_TRUE(faultOf("configure 0 " + std::string(wrong) + "\n")) << wrong;
}

TEST(ScriptParserTest, Utf8FilesBecomeCodePage949)
{
    const std::string hangul = utf8ToCp949("서울");
    ASSERT_EQ(hangul.size(), 4u);
    const Script utf8 = parsed("log \"서울\"\n");
    EXPECT_EQ(utf8.encoding, ScriptEncoding::Utf8);
    EXPECT_EQ(command<LogCommand>(utf8, 0).text, literal(hangul));

    const Script marked = parsed("\xEF\xBB\xBFlog \"x\"\n");
    EXPECT_EQ(marked.encoding, ScriptEncoding::Utf8);
    EXPECT_EQ(command<LogCommand>(marked, 0).text, literal("x"));

    const Script cp949 = parsed("log \"" + hangul + "\"\n");
    EXPECT_EQ(cp949.encoding, ScriptEncoding::Cp949);
    EXPECT_EQ(command<LogCommand>(cp949, 0).text, literal(hangul));
}

struct FaultCase {
    const char* script;
    int line;
    const char* says;
};

TEST(ScriptParserTest, EveryFaultNamesFileLineAndWhatWasExpected)
{
    const std::string longLine = "log \"" + std::string(5000, 'x') + "\"\n";
    const std::string manyVariables = [] {
        std::string text;
        for (int i = 0; i < 65; ++i)
            text += "set v" + std::to_string(i) + " 1\n";
        return text;
    }();
    const std::string sixteenPatterns = [] {
        std::string text = "expect 0";
        for (int i = 0; i < 17; ++i)
            text += " \"p\"";
        return text + "\n";
    }();
    const FaultCase cases[] = {
        {"\nfrobnicate 0\n", 2, "unknown command \"frobnicate\"; expected one of connect"},
        {"\"send\" 0\n", 1, "expected a command"},
        {"send 4 \"x\"\n", 1, "send: expected a port (0 to 3) or local, found \"4\""},
        {"send 0\n", 1, "send: expected a quoted text, found the end of the line"},
        {"send 0 x\n", 1, "send: expected a quoted text, found \"x\""},
        {"send 0 \"x\" \"y\"\n", 1, "send: expected the end of the line, found the quoted text \"y\""},
        {"send 0 \"abc\n", 1, "expected a closing \""},
        {"send 0 \"a\\qb\"\n", 1, "unknown escape \\q"},
        {"send 0 \"\\x4\"\n", 1, "two hexadecimal digits after \\x"},
        {"send 0 \"${un it}\"\n", 1, "expected a variable name inside ${}"},
        {"send 0 \"${unit\"\n", 1, "expected } to end the ${ reference"},
        {"send 0 \"a\"b\n", 1, "expected a space after the closing \""},
        {"send local \"${nobody}\"\n", 1, "unknown variable \"nobody\""},
        {"connect local\n", 1, "connect: expected a port (0 to 3), found \"local\""},
        {"disconnect\n", 1, "disconnect: expected a port (0 to 3), found the end of the line"},
        {"connect 0 timeout\n", 1, "expected a time limit such as 10s after timeout"},
        {"configure 0 9600 8 none 1\n", 1, "configure: expected a flow control, found the end of the line"},
        {"configure 0 14400 8 none 1 none\n", 1, "expected a speed (2400, 4800, 9600, 19200, 38400, 57600 or 115200)"},
        {"wait 5\n", 1, "wait: expected a duration such as 500ms, 10s or 2m"},
        {"wait 25h\n", 1, "at most 24h"},
        {"wait -1s\n", 1, "wait: expected a duration"},
        {"expect 0 timeout 5s\n", 1, "expect: expected a quoted pattern, found \"timeout\""},
        {"expect 0 \"\"\n", 1, "expect: expected a quoted pattern that is not empty"},
        {sixteenPatterns.c_str(), 1, "expected at most 16 patterns"},
        {"expect 0 \"a\" timeout 5\n", 1, "after timeout"},
        {"if $match = 2 goto x\nx:\n", 1, "if: expected a comparison (== != < > <= >=), found \"=\""},
        {"if $match == 2\n", 1, "if: expected goto, fail or exit after the comparison"},
        {"if $match < \"2\" goto x\nx:\n", 1, "< > <= >= compare numbers"},
        {"if $match == 1 exit 200\n", 1, "expected an exit status from 0 to 125"},
        {"if $match == 1 goto nowhere\n", 1, "goto: no label \"nowhere\" in this script"},
        {"\n\ngoto later\nlater2:\n", 3, "no label \"later\""},
        {"a:\na:\n", 2, "the label a is already on line 1"},
        {"9lives:\n", 1, "expected a label name"},
        {"done: exit 0\n", 1, "expected the end of the line after the label done:"},
        {"set password \"x\"\n", 1, "password is given by the program and cannot be set"},
        {"set match 1\n", 1, "match is given by the program"},
        {"set n \"a\" + 1\n", 1, "+ and - work on numbers"},
        {"set n $m\n", 1, "unknown variable \"m\""},
        {"set 1n 2\n", 1, "expected a variable name"},
        {manyVariables.c_str(), 65, "more than 64 variables"},
        {"pace 0 10ms\n", 1, "pace: expected a delay per line such as 200ms, found the end of the line"},
        {"sendfile 0 \"a.txt\"\n", 1, "sendfile: expected prompt and the quoted prompt"},
        {"sendfile 0 \"a.txt\" prompt \"\"\n", 1, "expected a quoted prompt that is not empty"},
        {"hangup now\n", 1, "hangup: expected the end of the line, found \"now\""},
        {"exit\n", 1, "exit: expected an exit status from 0 to 125, found the end of the line"},
        {"fail\n", 1, "fail: expected a quoted message"},
        {"\xEF\xBB\xBFlog \"ok\"\nlog \"\xB0\xA1\"\n", 2, "not valid UTF-8"},
        {"log \"ok\"\nlog \"\xE2\x98\x83\"\n", 2, "a character that code page 949 lacks"},
        {longLine.c_str(), 1, "the line is longer than 4096 bytes"},
    };
    for (const FaultCase& fault : cases) {
        SCOPED_TRACE(fault.script);
        const std::optional<ScriptError> error = faultOf(fault.script);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->line, fault.line);
        EXPECT_TRUE(error->text().starts_with("poll.krv:" + std::to_string(fault.line) + ": ")) << error->text();
        EXPECT_NE(error->message.find(fault.says), std::string::npos) << error->message;
    }
}

TEST(ScriptParserTest, AScriptTooLargeIsRefusedWhole)
{
    const std::optional<ScriptError> error = faultOf(std::string(1024 * 1024 + 1, '#'));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 0);
    EXPECT_EQ(error->text(), "poll.krv: the script is larger than 1048576 bytes");
}

TEST(ScriptParserTest, TheExamplesAndTheReferenceAreValidScripts)
{
    const std::filesystem::path folder(EMU_SCRIPT_EXAMPLES_DIR);
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".krv")
            continue;
        const auto loaded = loadScriptFile(entry.path());
        EXPECT_TRUE(std::holds_alternative<Script>(loaded)) << std::get<ScriptError>(loaded).text();
        ++scripts;
    }
    EXPECT_GE(scripts, 3);

    std::ifstream in(folder / "README.md");
    std::stringstream reference;
    reference << in.rdbuf();
    const std::string text = reference.str();
    int blocks = 0;
    for (std::size_t at = text.find("```krv\n"); at != std::string::npos; at = text.find("```krv\n", at)) {
        at += 7;
        const std::size_t end = text.find("```", at);
        ASSERT_NE(end, std::string::npos);
        const auto parsed = parseScript(text.substr(at, end - at), "README.md block " + std::to_string(++blocks));
        EXPECT_TRUE(std::holds_alternative<Script>(parsed)) << std::get<ScriptError>(parsed).text();
    }
    EXPECT_GE(blocks, 4);
}

}  // namespace
