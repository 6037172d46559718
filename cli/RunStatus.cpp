#include "cli/RunStatus.h"

std::string_view runStatusName(RunStatus status)
{
    switch (status) {
    case RunStatus::Done: return "done";
    case RunStatus::ScriptFailed: return "script failed";
    case RunStatus::DialFailed: return "dial failed";
    case RunStatus::LoginRefused: return "login refused";
    case RunStatus::PortFailed: return "port failed";
    case RunStatus::LineLost: return "line lost";
    case RunStatus::TimeLimit: return "time limit";
    case RunStatus::BadInput: return "bad input";
    case RunStatus::Interrupted: return "interrupted";
    case RunStatus::Terminated: return "terminated";
    }
    return "unknown";
}
