#pragma once
// A script read and checked: its statements in order, each with the line it
// came from and every label already turned into the statement it names. Nothing
// here runs; ScriptRunner does. Texts are code page 949 bytes.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

using ScriptDuration = std::chrono::milliseconds;

// One piece of a quoted text: literal bytes, or the name of a variable whose
// value is put in its place (${name}) when the command runs.
struct TextPiece {
    bool variable = false;
    std::string bytes;  // the literal, or the variable's name
    bool operator==(const TextPiece&) const = default;
};
using ScriptText = std::vector<TextPiece>;

// A value in `if` and `set`: a number, a quoted text or $name.
struct ScriptOperand {
    enum class Kind { Integer, Text, Variable };
    Kind kind = Kind::Integer;
    std::int64_t integer = 0;
    ScriptText text;
    std::string name;
};

enum class Comparison { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };

struct ConnectCommand {
    int port = 0;
    ScriptDuration timeout{};
};
struct DisconnectCommand {
    int port = 0;
    ScriptDuration timeout{};
};
struct ConfigureCommand {
    int port = 0;
    std::string settingsText;  // "9600 8 none 1 none", as the settings dialog builds it
    ScriptDuration timeout{};
};
// send (text + CR, trailing white space trimmed) and sendraw (exact bytes).
struct SendCommand {
    int source = 0;
    ScriptText text;
    bool raw = false;
};
struct ExpectCommand {
    int source = 0;
    std::vector<ScriptText> patterns;
    ScriptDuration timeout{};
};
struct GotoCommand {
    std::string label;
    std::size_t target = 0;  // index of the statement after the label
};
struct FailCommand {
    ScriptText message;
};
struct ExitCommand {
    int code = 0;
};
struct IfCommand {
    ScriptOperand left;
    Comparison comparison = Comparison::Equal;
    ScriptOperand right;
    std::variant<GotoCommand, FailCommand, ExitCommand> action;
};
struct WaitCommand {
    ScriptDuration duration{};
};
struct PaceCommand {
    int source = 0;
    ScriptDuration perCharacter{};
    ScriptDuration perLine{};
};
struct SendFileCommand {
    int source = 0;
    ScriptText file;
    ScriptText prompt;
    ScriptDuration timeout{};  // for each prompt
};
// set name value, or set name value + value / value - value.
struct SetCommand {
    std::string name;
    ScriptOperand value;
    char arithmetic = 0;  // 0, '+' or '-'
    ScriptOperand operand;
};
struct HangUpCommand {
    ScriptDuration timeout{};
};
struct LogCommand {
    ScriptText text;
};

using ScriptCommand = std::variant<ConnectCommand, DisconnectCommand, ConfigureCommand, SendCommand, ExpectCommand,
                                   IfCommand, WaitCommand, PaceCommand, SendFileCommand, SetCommand, GotoCommand,
                                   HangUpCommand, LogCommand, FailCommand, ExitCommand>;

struct ScriptStatement {
    int line = 0;
    ScriptCommand command;
};

enum class ScriptEncoding { Cp949, Utf8 };

struct Script {
    std::string file;                  // as messages name it, code page 949
    std::filesystem::path directory;   // where sendfile looks up a relative name
    ScriptEncoding encoding = ScriptEncoding::Cp949;
    std::vector<ScriptStatement> statements;
};

struct ScriptError {
    std::string file;     // code page 949
    int line = 0;         // 1-based; 0 for the file as a whole
    std::string message;  // what was expected and what was found, code page 949
    // "file:line: message" ("file: message" for line 0).
    std::string text() const;
};
