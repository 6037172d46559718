// The link monitor's rows: what each column shows for frames and modem lines,
// the masking of passwords, the byte escaping and the row limit.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "base/Environment.h"
#include "session/LinkFrame.h"
#include "session/LinkMonitorLog.h"

namespace {

LinkMonitorClock::time_point at(int hour, int minute, int second, int millis)
{
    using namespace std::chrono;
    setEnvironmentVariable("TZ", "UTC");
    tzset();
    return LinkMonitorClock::time_point(hours(hour) + minutes(minute) + seconds(second) + milliseconds(millis));
}

}  // namespace

TEST(LinkMonitorLog, SentAndReceivedFramesShowTheirFields)
{
    const LinkMonitorRow sent =
        describeSentFrame(buildFrame(RequestKind::PortConnect, 2, "CONN"), RequestKind::PortConnect, at(9, 5, 3, 42));
    EXPECT_EQ(sent.time, "09:05:03.042");
    EXPECT_EQ(sent.direction, "→");
    EXPECT_EQ(sent.frameClass, "C");
    EXPECT_EQ(sent.subCode, "2");
    EXPECT_EQ(sent.payload, "CONN");
    EXPECT_EQ(sent.requestKind, "포트 연결");
    EXPECT_EQ(sent.verdict, "");

    const std::string reply = "\xE2" "C2OK[Baud]9600\xE3";
    const LinkMonitorRow received = describeReceivedFrame(
        reply, RequestKind::PortConnect, decodeReply(reply, RequestKind::PortConnect).kind, at(23, 59, 59, 999));
    EXPECT_EQ(received.time, "23:59:59.999");
    EXPECT_EQ(received.direction, "←");
    EXPECT_EQ(received.payload, "OK[Baud]9600");
    EXPECT_EQ(received.verdict, "수락");
    EXPECT_EQ(verdictName(ReplyOutcome::Kind::PortData), "포트 데이터");
}

TEST(LinkMonitorLog, PasswordsNeverShow)
{
    const auto time = at(0, 0, 0, 0);
    EXPECT_EQ(describeSentFrame(buildFrame(RequestKind::LoginPassword, noPort, "pilvo"), RequestKind::LoginPassword,
                                time).payload,
              "****");
    EXPECT_EQ(describeSentFrame(buildFrame(RequestKind::ChangePassword, noPort, "old new"),
                                RequestKind::ChangePassword, time).payload,
              "****");
    EXPECT_EQ(describeSentFrame(buildFrame(RequestKind::LoginId, noPort, "admin"), RequestKind::LoginId, time).payload,
              "admin");
    LinkMonitorLog log;
    log.append(describeSentFrame(buildFrame(RequestKind::LoginPassword, noPort, "pilvo"), RequestKind::LoginPassword,
                                 time));
    EXPECT_EQ(log.toText().find("pilvo"), std::string::npos);
}

TEST(LinkMonitorLog, PayloadTextEscapesWhatCannotBePrinted)
{
    // Korean as text, control bytes, a lone lead byte, an undefined pair and
    // a backslash as \xNN or doubled, so a saved row stays one line.
    EXPECT_EQ(monitorPayloadText("\xC7\xD1\xB1\xDB a\tb\r\n\\"), "한글 a\\x09b\\x0D\\x0A\\\\");
    EXPECT_EQ(monitorPayloadText("x\xC7"), "x\\xC7");
    EXPECT_EQ(monitorPayloadText("\x80\xFF\x7F"), "\\x80\\xFF\\x7F");
    const LinkMonitorRow modem = describeModemLine("CONNECT 9600", false, RequestKind::PortData, at(1, 2, 3, 4));
    EXPECT_EQ(modem.frameClass, "모뎀");
    EXPECT_EQ(modem.payload, "CONNECT 9600");
    EXPECT_EQ(modem.verdict, "");
}

TEST(LinkMonitorLog, KeepsTheNewestRowsAndSavesOneLineEach)
{
    LinkMonitorLog log;
    for (std::size_t i = 0; i < LinkMonitorLog::rowLimit + 5; ++i) {
        LinkMonitorRow row;
        row.payload = std::to_string(i);
        log.append(row);
    }
    ASSERT_EQ(log.rows().size(), LinkMonitorLog::rowLimit);
    EXPECT_EQ(log.rows().front().payload, "5");
    EXPECT_EQ(log.rows().back().payload, std::to_string(LinkMonitorLog::rowLimit + 4));
    EXPECT_EQ(log.droppedCount(), 5u);

    const std::string text = log.toText();
    std::size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, LinkMonitorLog::rowLimit + 1);
    log.clear();
    EXPECT_TRUE(log.rows().empty());
    EXPECT_EQ(log.droppedCount(), 0u);
}
