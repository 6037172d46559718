#pragma once
// Records a FrameSplitter's events as tagged strings: "F:" frame, "L:" line,
// "E:" echoed byte, so whole runs compare with one EXPECT_EQ.

#include <string>
#include <string_view>
#include <vector>

#include "session/FrameSplitter.h"

struct SplitterRecorder : FrameSplitter::Events {
    std::vector<std::string> events;

    void frameComplete(std::string frame) override { events.push_back("F:" + frame); }
    void lineComplete(std::string line) override { events.push_back("L:" + line); }
    void echo(unsigned char byte) override { events.push_back("E:" + std::string(1, static_cast<char>(byte))); }
};

inline std::string F(std::string_view s) { return "F:" + std::string(s); }
inline std::string L(std::string_view s) { return "L:" + std::string(s); }
inline std::string E(char c) { return "E:" + std::string(1, c); }
