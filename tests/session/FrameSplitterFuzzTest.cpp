#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "session/FrameSplitter.h"
#include "session/LinkFrame.h"

namespace {

// Checks every event as it arrives and keeps only what the checks need, so
// millions of bytes run in little memory.
struct CheckingEvents : FrameSplitter::Events {
    std::string echoed;
    std::size_t frames = 0;
    std::size_t lines = 0;

    void frameComplete(std::string frame) override
    {
        ++frames;
        ASSERT_GE(frame.size(), 2u);
        ASSERT_LE(frame.size(), FrameSplitter::maxFrameLength);
        EXPECT_EQ(static_cast<unsigned char>(frame.front()), frameStartByte);
        EXPECT_EQ(static_cast<unsigned char>(frame.back()), frameEndByte);
        for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
            const auto b = static_cast<unsigned char>(frame[i]);
            ASSERT_TRUE(b != 0 && b != frameStartByte && b != frameEndByte) << "byte " << i;
        }
    }
    void lineComplete(std::string line) override
    {
        ++lines;
        ASSERT_LE(line.size(), FrameSplitter::maxLineLength);
        ASSERT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
    void echo(unsigned char byte) override { echoed.push_back(static_cast<char>(byte)); }
};

// What the splitter must echo and how many frames it must hand over, worked
// out from the input alone: bytes between a start marker and the next marker
// belong to a frame, the end marker is never echoed, and a frame is handed over
// only when it ends with an end marker and fits its buffer.
struct Expected {
    std::string echoed;
    std::size_t frames = 0;
};

Expected expectedFor(const std::vector<unsigned char>& input)
{
    Expected out;
    bool inFrame = false;
    std::size_t frameLength = 0;
    for (unsigned char b : input) {
        if (b == frameStartByte) {
            inFrame = true;
            frameLength = 1;
        } else if (b == frameEndByte) {
            if (inFrame && frameLength + 1 <= FrameSplitter::maxFrameLength)
                ++out.frames;
            inFrame = false;
        } else if (inFrame) {
            ++frameLength;
        } else {
            out.echoed.push_back(static_cast<char>(b));
        }
    }
    return out;
}

// Random bytes where markers, zeros and line ends each come with probability
// 1/markerOdds and only then, so the runs with large odds make frames and lines
// (not cut short by a zero) overflow their buffers.
std::vector<unsigned char> randomInput(std::mt19937& rng, std::size_t size, unsigned markerOdds)
{
    std::uniform_int_distribution<unsigned> pick(0, markerOdds - 1);
    std::uniform_int_distribution<unsigned> anyByte(0, 255);
    std::vector<unsigned char> input(size);
    for (unsigned char& b : input) {
        switch (pick(rng)) {
        case 0: b = frameStartByte; break;
        case 1: b = frameEndByte; break;
        case 2: b = 0; break;
        case 3: b = (anyByte(rng) & 1) ? '\r' : '\n'; break;
        default:
            do {
                b = static_cast<unsigned char>(anyByte(rng));
            } while (b == frameStartByte || b == frameEndByte || b == 0 || b == '\r' || b == '\n');
        }
    }
    return input;
}

TEST(FrameSplitterFuzz, RandomBytesKeepInvariants)
{
    std::mt19937 rng(20060303);
    const unsigned odds[] = {6, 40, 500, 12000, 40000};
    for (unsigned markerOdds : odds) {
        SCOPED_TRACE(markerOdds);
        const std::vector<unsigned char> input = randomInput(rng, 800000, markerOdds);
        CheckingEvents events;
        FrameSplitter splitter;
        for (unsigned char b : input)
            splitter.feed(b, events);
        const Expected expected = expectedFor(input);
        EXPECT_EQ(events.frames, expected.frames);
        // Every byte outside frames is echoed exactly once and in order.
        EXPECT_TRUE(events.echoed == expected.echoed);
        EXPECT_GT(events.lines, 0u);
    }
}

} // namespace
