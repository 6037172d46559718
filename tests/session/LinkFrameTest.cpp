#include <gtest/gtest.h>

#include "session/LinkFrame.h"

namespace {

std::string frame(char cls, char sub, std::string_view payload)
{
    return std::string("\xE2") + cls + sub + std::string(payload) + "\xE3";
}

TEST(LinkFrame, HeaderForEveryRequestKind)
{
    EXPECT_EQ(buildFrame(RequestKind::LoginId, 2, "admin"), frame('A', 'I', "admin"));
    EXPECT_EQ(buildFrame(RequestKind::LoginPassword, 0, "pilvo"), frame('A', 'P', "pilvo"));
    EXPECT_EQ(buildFrame(RequestKind::ChangeId, -1, "admin root"), frame('A', 'D', "admin root"));
    EXPECT_EQ(buildFrame(RequestKind::ChangePassword, 3, "a b"), frame('A', 'W', "a b"));
    EXPECT_EQ(buildFrame(RequestKind::PortConnect, 1, "CONN"), frame('C', '1', "CONN"));
    EXPECT_EQ(buildFrame(RequestKind::PortRelease, 3, "DISC"), frame('C', '3', "DISC"));
    EXPECT_EQ(buildFrame(RequestKind::PortConfigure, 0, "9600 8 N 1 X"), frame('C', '0', "9600 8 N 1 X"));
    EXPECT_EQ(buildFrame(RequestKind::PortData, 2, "ls\r"), frame('D', '2', "ls\r"));
}

TEST(LinkFrame, NoPortGivesSlashForPortKindsOnly)
{
    EXPECT_EQ(buildFrame(RequestKind::PortConnect, -1, "CONN"), frame('C', '/', "CONN"));
    EXPECT_EQ(buildFrame(RequestKind::PortRelease, -1, "DISC"), frame('C', '/', "DISC"));
    EXPECT_EQ(buildFrame(RequestKind::PortConfigure, -1, "x"), frame('C', '/', "x"));
    EXPECT_EQ(buildFrame(RequestKind::PortData, -1, "AT"), frame('D', '/', "AT"));
    EXPECT_EQ(buildFrame(RequestKind::LoginId, -1, "admin"), frame('A', 'I', "admin"));
}

TEST(LinkFrame, ValueOutsideTableIsData)
{
    EXPECT_EQ(buildFrame(static_cast<RequestKind>(9), 1, "x"), frame('D', '1', "x"));
    EXPECT_EQ(buildFrame(static_cast<RequestKind>(-3), -1, "x"), frame('D', '/', "x"));
}

TEST(LinkFrame, EmptyPayloadGivesNothing)
{
    EXPECT_EQ(buildFrame(RequestKind::LoginId, -1, ""), "");
    EXPECT_EQ(buildFrame(RequestKind::PortData, 0, {}), "");
}

TEST(LinkFrame, PayloadBytesTravelUnchanged)
{
    // Code page 949 text, a zero byte and the markers themselves are not escaped.
    const std::string payload("\xC6\xF7\xC6\xAE" "\x00" "\xE3" "%s", 8);
    const std::string built = buildFrame(RequestKind::PortData, 0, payload);
    ASSERT_EQ(built.size(), payload.size() + 4);
    EXPECT_EQ(built.substr(3, payload.size()), payload);
}

} // namespace
