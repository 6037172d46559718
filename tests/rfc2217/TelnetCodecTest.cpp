#include <gtest/gtest.h>

#include "serial/rfc2217/ComPortCommands.h"
#include "serial/rfc2217/TelnetCodec.h"
#include "serial/rfc2217/TelnetOptions.h"

using namespace telnet;

namespace {

// Feeds the stream in two pieces split at every position and checks that the
// result does not depend on the split.
std::vector<Event> decodeSplit(const Bytes& stream, std::size_t split)
{
    Parser parser;
    std::vector<Event> events;
    parser.feed(stream.data(), split, events);
    parser.feed(stream.data() + split, stream.size() - split, events);
    // Data events may be cut in two by the split; join neighbours.
    std::vector<Event> joined;
    for (const Event& event : events) {
        if (!joined.empty() && event.kind == Event::Kind::Data && joined.back().kind == Event::Kind::Data) {
            joined.back().payload.insert(joined.back().payload.end(), event.payload.begin(), event.payload.end());
        } else {
            joined.push_back(event);
        }
    }
    return joined;
}

}  // namespace

TEST(TelnetParser, EscapedDataAndCommandsSurviveAnySplit)
{
    const Bytes data{0x00, 0xFF, 0xE2, 0xE3, 0x0D, 0xFF, 0xFF, 0x41};
    Bytes stream{'a'};
    appendEscaped(stream, data.data(), data.size());
    const Bytes will = negotiation(Will, OptSga);
    stream.insert(stream.end(), will.begin(), will.end());
    const Bytes sb = subnegotiation(OptComPort, {107, 0xFF, 0xB8});
    stream.insert(stream.end(), sb.begin(), sb.end());
    stream.push_back('z');

    for (std::size_t split = 0; split <= stream.size(); ++split) {
        SCOPED_TRACE(split);
        const auto events = decodeSplit(stream, split);
        ASSERT_EQ(events.size(), 4u);
        Bytes expectedData{'a'};
        expectedData.insert(expectedData.end(), data.begin(), data.end());
        EXPECT_EQ(events[0].payload, expectedData);
        EXPECT_EQ(events[1].kind, Event::Kind::Negotiation);
        EXPECT_EQ(events[1].verb, Will);
        EXPECT_EQ(events[1].option, OptSga);
        EXPECT_EQ(events[2].kind, Event::Kind::Subnegotiation);
        EXPECT_EQ(events[2].option, OptComPort);
        EXPECT_EQ(events[2].payload, (Bytes{107, 0xFF, 0xB8}));
        EXPECT_EQ(events[3].payload, Bytes{'z'});
    }
}

TEST(TelnetParser, ByteByByteFeedingKeepsState)
{
    const Bytes stream{0xFF, 0xFF, 0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0, 0xFF, 0xF1, 'x'};
    Parser parser;
    std::vector<Event> events;
    for (std::uint8_t b : stream) {
        parser.feed(&b, 1, events);
    }
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].payload, Bytes{0xFF});
    EXPECT_EQ(events[1].payload, (Bytes{0x65, 0x00, 0x00, 0x25, 0x80}));
    EXPECT_EQ(comport::readBigEndian32(events[1].payload, 1), 9600u);
    EXPECT_EQ(events[2].kind, Event::Kind::Command);
    EXPECT_EQ(events[2].verb, 0xF1);
    EXPECT_EQ(events[3].payload, Bytes{'x'});
}

TEST(TelnetParser, BrokenSubnegotiationIsDroppedAndTheCommandRead)
{
    // IAC SB 2C 6B then IAC WILL 03 without SE: the subnegotiation is lost,
    // the WILL is still seen, and data resumes.
    const Bytes stream{0xFF, 0xFA, 0x2C, 0x6B, 0xFF, 0xFB, 0x03, 'k'};
    Parser parser;
    std::vector<Event> events;
    parser.feed(stream.data(), stream.size(), events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Event::Kind::Negotiation);
    EXPECT_EQ(events[1].payload, Bytes{'k'});
}

TEST(TelnetEncoding, EscapesOnlyIacEverywhere)
{
    Bytes out;
    const Bytes data{0xFF, 0xFE, 0xFF};
    appendEscaped(out, data.data(), data.size());
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0xFE, 0xFF, 0xFF}));
    EXPECT_EQ(comport::encode({comport::SetModemStateMask, {0xFF}}),
              (Bytes{0xFF, 0xFA, 0x2C, 0x0B, 0xFF, 0xFF, 0xFF, 0xF0}));
}

TEST(OptionNegotiator, AnswersOnlyStateChanges)
{
    OptionNegotiator client({OptComPort, OptBinary, OptSga}, {OptBinary, OptSga});
    // Our own request, then the peer's agreement: no answer to the answer.
    EXPECT_EQ(client.request(Will, OptComPort), negotiation(Will, OptComPort));
    EXPECT_TRUE(client.receive(Do, OptComPort).empty());
    EXPECT_TRUE(client.localEnabled(OptComPort));
    EXPECT_TRUE(client.request(Will, OptComPort).empty());

    // Unprompted offers of accepted options are agreed to once.
    EXPECT_EQ(client.receive(Will, OptBinary), negotiation(Do, OptBinary));
    EXPECT_TRUE(client.receive(Will, OptBinary).empty());
    EXPECT_EQ(client.receive(Do, OptSga), negotiation(Will, OptSga));
    EXPECT_TRUE(client.receive(Do, OptSga).empty());

    // Unknown options are refused; a refusal of a disabled option is quiet.
    EXPECT_EQ(client.receive(Will, OptEcho), negotiation(Dont, OptEcho));
    EXPECT_EQ(client.receive(Do, 0x18), negotiation(Wont, 0x18));
    EXPECT_TRUE(client.receive(Dont, OptEcho).empty());

    // Switching an enabled option off is acknowledged once.
    EXPECT_EQ(client.receive(Wont, OptBinary), negotiation(Dont, OptBinary));
    EXPECT_FALSE(client.remoteEnabled(OptBinary));
    EXPECT_TRUE(client.receive(Wont, OptBinary).empty());
}

TEST(OptionNegotiator, RefusedRequestEndsDisabledWithoutReply)
{
    OptionNegotiator client({OptComPort}, {});
    client.request(Will, OptComPort);
    EXPECT_TRUE(client.receive(Dont, OptComPort).empty());
    EXPECT_FALSE(client.localEnabled(OptComPort));
}

TEST(OptionNegotiator, TwoSidesSettleWithoutLooping)
{
    OptionNegotiator a({OptBinary, OptSga, OptComPort}, {OptBinary, OptSga});
    OptionNegotiator b({OptBinary, OptSga}, {OptBinary, OptSga, OptComPort});
    Bytes toB;
    for (auto [verb, option] : {std::pair<std::uint8_t, std::uint8_t>{Will, OptComPort}, {Will, OptBinary},
                                {Do, OptBinary}, {Will, OptSga}, {Do, OptSga}}) {
        const Bytes r = a.request(verb, option);
        toB.insert(toB.end(), r.begin(), r.end());
    }
    // B offers too, crossing A's requests.
    Bytes toA = b.request(Will, OptBinary);
    int rounds = 0;
    while ((!toA.empty() || !toB.empty()) && rounds++ < 10) {
        std::vector<Event> events;
        Parser pa;
        Parser pb;
        Bytes nextToA;
        Bytes nextToB;
        pb.feed(toB.data(), toB.size(), events);
        for (const auto& e : events) {
            const Bytes r = b.receive(e.verb, e.option);
            nextToA.insert(nextToA.end(), r.begin(), r.end());
        }
        events.clear();
        pa.feed(toA.data(), toA.size(), events);
        for (const auto& e : events) {
            const Bytes r = a.receive(e.verb, e.option);
            nextToB.insert(nextToB.end(), r.begin(), r.end());
        }
        toA = nextToA;
        toB = nextToB;
    }
    EXPECT_LT(rounds, 5);
    EXPECT_TRUE(a.localEnabled(OptComPort) && b.remoteEnabled(OptComPort));
    EXPECT_TRUE(a.localEnabled(OptBinary) && a.remoteEnabled(OptBinary));
    EXPECT_TRUE(b.localEnabled(OptSga) && b.remoteEnabled(OptSga));
}
