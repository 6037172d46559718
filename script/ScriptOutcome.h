#pragma once
// How a script run ended.

#include <string>

struct ScriptOutcome {
    enum class Kind {
        Done,         // ran to its end or to exit 0
        Failed,       // fail "message", exit N with N >= 1, or a time limit the script cannot branch on
        LineLost,     // the connection went while the script ran
        ScriptError,  // a fault found only when running (file:line in message)
        Stopped,      // the operator stopped it
    };

    Kind kind = Kind::Done;
    int exitCode = 0;     // Done 0; Failed the script's N, 1 for fail and time limits
    int line = 0;         // the script line it ended on; 0 when it ran off the end
    std::string message;  // code page 949, password masked; ScriptError: "file:line: what"
};
