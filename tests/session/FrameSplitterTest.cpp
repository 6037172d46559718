#include <gtest/gtest.h>

#include "SplitterRecorder.h"

namespace {

using Events = std::vector<std::string>;

// Feeds the input as one text, one byte per call, and split in two at every
// position; all must give the same events, which are returned.
Events split(std::string_view input)
{
    SplitterRecorder whole;
    FrameSplitter wholeSplitter;
    wholeSplitter.feed(input, whole);

    SplitterRecorder single;
    FrameSplitter singleSplitter;
    for (char c : input)
        singleSplitter.feed(static_cast<unsigned char>(c), single);
    EXPECT_EQ(single.events, whole.events) << "one byte at a time";

    for (std::size_t cut = 1; cut < input.size(); ++cut) {
        SplitterRecorder parts;
        FrameSplitter partsSplitter;
        partsSplitter.feed(input.substr(0, cut), parts);
        partsSplitter.feed(input.substr(cut), parts);
        EXPECT_EQ(parts.events, whole.events) << "split at " << cut;
    }
    return whole.events;
}

TEST(FrameSplitter, CrLfGivesTwoLinesTheSecondEmpty)
{
    EXPECT_EQ(split("OK\r\n"), (Events{E('O'), E('K'), L("OK"), E('\r'), L(""), E('\n')}));
}

TEST(FrameSplitter, FrameInsideLineIsSeparateAndNotEchoed)
{
    EXPECT_EQ(split("OK\xE2" "D0x\xE3\r"),
              (Events{E('O'), E('K'), F("\xE2" "D0x\xE3"), L("OK"), E('\r')}));
}

TEST(FrameSplitter, LineContinuesAcrossFrame)
{
    EXPECT_EQ(split("CON\xE2" "D1ab\xE3" "NECT\n"),
              (Events{E('C'), E('O'), E('N'), F("\xE2" "D1ab\xE3"), E('N'), E('E'), E('C'), E('T'),
                      L("CONNECT"), E('\n')}));
}

TEST(FrameSplitter, LoneEndMarkerDropped)
{
    EXPECT_EQ(split("a\xE3" "b\r"), (Events{E('a'), E('b'), L("ab"), E('\r')}));
}

TEST(FrameSplitter, StartMarkerInsideFrameRestartsIt)
{
    EXPECT_EQ(split("\xE2" "D0lost\xE2" "D1kept\xE3"), (Events{F("\xE2" "D1kept\xE3")}));
}

TEST(FrameSplitter, ZeroByteInFrameBecomesQuestionMark)
{
    using namespace std::string_literals;
    EXPECT_EQ(split("\xE2" "D2a\0b\xE3"s), (Events{F("\xE2" "D2a?b\xE3")}));
}

TEST(FrameSplitter, LineEndsAtFirstZeroButEverythingIsEchoed)
{
    using namespace std::string_literals;
    const Events events = split("ab\0cd\r"s);
    EXPECT_EQ(events, (Events{E('a'), E('b'), E('\0'), E('c'), E('d'), L("ab"), E('\r')}));
}

TEST(FrameSplitter, EndMarkerInPayloadEndsFrameEarly)
{
    // The rest of the payload arrives as plain line bytes; the real end marker
    // is then dropped as a lone one.
    EXPECT_EQ(split("\xE2" "D0ab\xE3" "cd\xE3\r"),
              (Events{F("\xE2" "D0ab\xE3"), E('c'), E('d'), L("cd"), E('\r')}));
}

TEST(FrameSplitter, ShortestFramesAreHandedOver)
{
    EXPECT_EQ(split("\xE2\xE3\xE2" "x\xE3"), (Events{F("\xE2\xE3"), F("\xE2" "x\xE3")}));
}

// A frame of the given total length, markers included.
std::string dataFrame(std::size_t length)
{
    return "\xE2" "D0" + std::string(length - 4, 'p') + "\xE3";
}

TEST(FrameSplitter, LongestFrameFitsAndOneMoreIsDiscarded)
{
    SplitterRecorder rec;
    FrameSplitter splitter;
    splitter.feed(dataFrame(FrameSplitter::maxFrameLength), rec);
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0], F(dataFrame(FrameSplitter::maxFrameLength)));

    rec.events.clear();
    // Neither the over-long frame nor its tail shows up anywhere; the end
    // marker closes it, and what follows is handled normally.
    splitter.feed(dataFrame(FrameSplitter::maxFrameLength + 1) + "ok\xE2" "D1y\xE3\r", rec);
    EXPECT_EQ(rec.events, (Events{E('o'), E('k'), F("\xE2" "D1y\xE3"), L("ok"), E('\r')}));
}

TEST(FrameSplitter, BytesAfterFrameOverflowDroppedUntilNextStart)
{
    SplitterRecorder rec;
    FrameSplitter splitter;
    splitter.feed("a", rec);
    splitter.feed("\xE2" "D0" + std::string(3 * FrameSplitter::bufferSize, 'p') + "\r\n", rec);
    EXPECT_TRUE(splitter.insideFrame());
    splitter.feed("\xE2" "D2z\xE3" "b\r", rec);
    EXPECT_EQ(rec.events, (Events{E('a'), F("\xE2" "D2z\xE3"), E('b'), L("ab"), E('\r')}));
}

TEST(FrameSplitter, OverlongLineHandedOverInPieces)
{
    const std::size_t max = FrameSplitter::maxLineLength;
    const std::string text = std::string(max, 'a') + std::string(max, 'b') + "cc";
    SplitterRecorder rec;
    FrameSplitter splitter;
    splitter.feed(text + "\r", rec);

    Events lines;
    std::string echoed;
    for (const std::string& event : rec.events) {
        if (event.starts_with("E:"))
            echoed += event.substr(2);
        else
            lines.push_back(event);
    }
    EXPECT_EQ(echoed, text + "\r");
    EXPECT_EQ(lines, (Events{L(std::string(max, 'a')), L(std::string(max, 'b')), L("cc")}));
}

TEST(FrameSplitter, LineOfExactlyMaximumLengthIsOnePiece)
{
    SplitterRecorder rec;
    FrameSplitter splitter;
    splitter.feed(std::string(FrameSplitter::maxLineLength, 'x') + "\n", rec);
    ASSERT_EQ(rec.events.size(), FrameSplitter::maxLineLength + 2);
    EXPECT_EQ(rec.events[FrameSplitter::maxLineLength], L(std::string(FrameSplitter::maxLineLength, 'x')));
}

} // namespace
