#pragma once
// Every bound the script language keeps, in one place, so the reference in
// docs/scripts/README.md can be checked against it. Whatever a script or the
// line brings, memory and time stay within these.

#include <chrono>
#include <cstddef>

namespace scriptLimits {

inline constexpr std::size_t maxScriptBytes = 1024 * 1024;
inline constexpr std::size_t maxLineBytes = 4096;
// A quoted text, a pattern or a variable's value after ${name} is expanded;
// also one line of a sendfile file.
inline constexpr std::size_t maxTextBytes = 4096;
inline constexpr std::size_t maxNameBytes = 32;
inline constexpr std::size_t maxVariables = 64;
inline constexpr std::size_t maxPatterns = 16;
inline constexpr std::size_t maxSendFileBytes = 1024 * 1024;
// What each source keeps of its text that no expect has passed yet.
inline constexpr std::size_t maxUnmatchedBytes = 64 * 1024;

// Without waiting for anything (a timer, an answer or text), a script may take
// this many steps and hand this many bytes to the line; beyond that it is a
// loop that would never let the program go.
inline constexpr int maxStepsWithoutWait = 100000;
inline constexpr std::size_t maxBytesWithoutWait = 256 * 1024;

inline constexpr std::chrono::milliseconds maxDuration = std::chrono::hours(24);
inline constexpr std::chrono::milliseconds expectTimeout = std::chrono::seconds(30);
inline constexpr std::chrono::milliseconds portAnswerTimeout = std::chrono::seconds(10);
inline constexpr std::chrono::milliseconds hangUpTimeout = std::chrono::seconds(20);
inline constexpr std::chrono::milliseconds promptTimeout = std::chrono::seconds(30);

inline constexpr int maxExitCode = 125;

}  // namespace scriptLimits
