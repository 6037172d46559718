#include <gtest/gtest.h>

#include "session/ConnectionMessages.h"
#include "session/ReplyDecoder.h"

namespace {

using Kind = ReplyOutcome::Kind;
using FollowUp = ReplyOutcome::FollowUp;
using StatusChange = ReplyOutcome::StatusChange;
namespace msg = connectionMessages;

std::string frame(char cls, char sub, std::string_view payload)
{
    return std::string("\xE2") + cls + sub + std::string(payload) + "\xE3";
}

ReplyOutcome decode(char cls, char sub, std::string_view payload, RequestKind kind)
{
    return decodeReply(frame(cls, sub, payload), kind);
}

// Code page 949 bytes of a few messages, written out independently of the
// converter the messages are built with.
const std::string portWord = "\xC6\xF7\xC6\xAE" " ";                                  // "포트 "
const std::string connectedKrv = "'KR-V' " "\xBF\xAC\xB0\xE1\xB5\xC7\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9" ".";
const std::string loginIdMismatch = "'KR-V' " "\xB7\xCE\xB1\xD7\xC0\xCE " "\xBE\xC6\xC0\xCC\xB5\xF0\xB0\xA1 "
                                    "\xC0\xCF\xC4\xA1\xC7\xCF\xC1\xF6 " "\xBE\xCA\xBD\xC0\xB4\xCF\xB4\xD9" ".";
const std::string connectedTo = "\xBF\xA1 " "\xBF\xAC\xB0\xE1\xB5\xC7\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9" ".";
const std::string busyTail = " \xBF\xAC\xB0\xE1\xBF\xA1 " "\xBD\xC7\xC6\xD0\xC7\xCF\xBF\xB4\xBD\xC0\xB4\xCF\xB4\xD9" ". "
                             "\xB4\xD9\xB8\xA5\xC0\xE5\xC4\xA1\xBF\xA1\xBC\xAD " "\xBB\xE7\xBF\xEB\xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9" ".";

TEST(ReplyDecoder, MessageBytesAreCodePage949)
{
    EXPECT_EQ(msg::krvConnected(), connectedKrv);
    EXPECT_EQ(msg::loginIdMismatch(), loginIdMismatch);
    EXPECT_EQ(msg::portBusy('2'), portWord + "2" + busyTail);
    EXPECT_EQ(msg::lineBusy(), "\xC5\xEB\xC8\xAD\xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9" ".");
    EXPECT_EQ(msg::manualConnectedTitle("%s5"), "\xBF\xAC\xB0\xE1\xB5\xCA" ":" "\xBC\xF6\xB5\xBF" "(%s5)");
    EXPECT_EQ(msg::portOpenFailed("COM%d"),
              "\xC6\xF7\xC6\xAE" "[COM%d]" "\xB0\xA1 " "\xBB\xE7\xBF\xEB\xC1\xDF\xC0\xCC\xB0\xC5\xB3\xAA" ", "
              "\xB4\xD9\xB8\xA5 " "\xB9\xAE\xC1\xA6\xB7\xCE " "\xBF\xAD\xB1\xE2\xBF\xA1 "
              "\xBD\xC7\xC6\xD0\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9" ".");
}

TEST(ReplyDecoder, PortConnectReplies)
{
    ReplyOutcome busy = decode('C', '2', "busy", RequestKind::PortConnect);
    EXPECT_EQ(busy.kind, Kind::Busy);
    EXPECT_EQ(busy.message, portWord + "2" + busyTail);
    EXPECT_TRUE(busy.releaseToggle);
    EXPECT_EQ(busy.portIndex, 2);
    EXPECT_FALSE(busy.messageToAllPanes);
    EXPECT_EQ(busy.statusChange, StatusChange::None);

    const std::string status = "[Baud]9600 [Data]8 [Parity]None [Stop]1 [Flow]None";
    ReplyOutcome connected = decode('C', '2', status, RequestKind::PortConnect);
    EXPECT_EQ(connected.kind, Kind::Accepted);
    EXPECT_EQ(connected.statusChange, StatusChange::SetToPayload);
    EXPECT_EQ(connected.payload, status);
    EXPECT_EQ(connected.message, portWord + "2" + connectedTo + "\r\n" + status);
    EXPECT_FALSE(connected.releaseToggle);

    ReplyOutcome refused = decode('C', '1', "FAIL", RequestKind::PortConnect);
    EXPECT_EQ(refused.kind, Kind::Refused);
    EXPECT_EQ(refused.message, msg::portConnectFailed('1'));
    EXPECT_FALSE(refused.releaseToggle);
}

TEST(ReplyDecoder, PortReplyWithoutPortDigitGoesToAllPanes)
{
    // The sub code is shown as received; no port's status or toggle changes.
    ReplyOutcome busy = decode('C', '7', "BUSY", RequestKind::PortConnect);
    EXPECT_EQ(busy.kind, Kind::Busy);
    EXPECT_EQ(busy.message, portWord + "7" + busyTail);
    EXPECT_FALSE(busy.releaseToggle);
    EXPECT_TRUE(busy.messageToAllPanes);

    ReplyOutcome connected = decode('C', '/', "text", RequestKind::PortConnect);
    EXPECT_EQ(connected.statusChange, StatusChange::None);
}

TEST(ReplyDecoder, PortReleaseAndConfigureReplies)
{
    ReplyOutcome released = decode('C', '3', "PASS", RequestKind::PortRelease);
    EXPECT_EQ(released.message, msg::portReleased('3'));
    EXPECT_EQ(released.statusChange, StatusChange::Clear);
    EXPECT_EQ(decode('C', '3', "FAIL", RequestKind::PortRelease).message, msg::portReleaseFailed('3'));

    ReplyOutcome configured = decode('C', '0', "settings changed", RequestKind::PortConfigure);
    EXPECT_EQ(configured.kind, Kind::Accepted);
    EXPECT_EQ(configured.message, msg::portConfigured('0'));
    EXPECT_EQ(configured.statusChange, StatusChange::None);
    EXPECT_EQ(decode('C', '0', "FAIL", RequestKind::PortConfigure).message, msg::portConfigureFailed('0'));
    // "BUSY" is only special after a connect.
    EXPECT_EQ(decode('C', '0', "BUSY", RequestKind::PortConfigure).kind, Kind::Accepted);
}

TEST(ReplyDecoder, RepliesWithoutUseAreIgnored)
{
    EXPECT_EQ(decode('A', 'R', "PASS", RequestKind::PortData).kind, Kind::Ignored);
    EXPECT_EQ(decode('C', '0', "PASS", RequestKind::PortData).kind, Kind::Ignored);
    EXPECT_EQ(decode('A', 'X', "PASS", RequestKind::LoginId).kind, Kind::Ignored);
    EXPECT_EQ(decode('A', 'R', "PASSED", RequestKind::LoginId).kind, Kind::Ignored);
    EXPECT_EQ(decode('A', 'R', "", RequestKind::LoginId).kind, Kind::Ignored);
    EXPECT_EQ(decode('C', '1', "BUSY", RequestKind::PortRelease).kind, Kind::Ignored);
    EXPECT_EQ(decode('C', '1', "status", RequestKind::ChangeId).kind, Kind::Ignored);
    EXPECT_EQ(decodeReply("\xE2" "A\xE3", RequestKind::LoginId).kind, Kind::Ignored);
    EXPECT_EQ(decodeReply("", RequestKind::LoginId).kind, Kind::Ignored);
    EXPECT_EQ(decodeReply("xARPASS\xE3", RequestKind::LoginId).kind, Kind::Ignored);
    ReplyOutcome ignored = decode('A', 'R', "FAIL", RequestKind::PortData);
    EXPECT_TRUE(ignored.message.empty());
    EXPECT_EQ(ignored.followUp, FollowUp::None);
}

TEST(ReplyDecoder, PortCommandReplyCountsForLoginId)
{
    // A reply is tied to a request only through the request kind.
    ReplyOutcome ok = decode('C', '1', "PASS", RequestKind::LoginId);
    EXPECT_EQ(ok.kind, Kind::Accepted);
    EXPECT_EQ(ok.followUp, FollowUp::SendLoginPassword);
}

TEST(ReplyDecoder, DataFrames)
{
    ReplyOutcome data = decode('D', '1', "hello\r\n", RequestKind::LoginId);
    EXPECT_EQ(data.kind, Kind::PortData);
    EXPECT_EQ(data.portIndex, 1);
    EXPECT_EQ(data.payload, "hello\r\n");
    EXPECT_TRUE(data.message.empty());

    ReplyOutcome local = decode('D', '7', "x", RequestKind::PortConnect);
    EXPECT_EQ(local.kind, Kind::PortData);
    EXPECT_EQ(local.portIndex, -1);
    EXPECT_EQ(local.payload, "x");

    // Any class but 'A' and 'C' is data, even with a reply word.
    EXPECT_EQ(decode('Z', '0', "PASS", RequestKind::LoginId).kind, Kind::PortData);
}

TEST(ReplyDecoder, PercentInPayloadShownLiterally)
{
    ReplyOutcome connected = decode('C', '0', "%s%n%c", RequestKind::PortConnect);
    EXPECT_EQ(connected.message, portWord + "0" + connectedTo + "\r\n%s%n%c");
    EXPECT_EQ(decode('D', '0', "%s%n", RequestKind::PortData).payload, "%s%n");
}

} // namespace
