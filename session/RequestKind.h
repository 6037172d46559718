#pragma once
// The request kind: the last command a connection window framed. It fixes the
// header of the next frame sent and how the next reply frame is read.

#include "base/PortRecords.h"  // remotePortCount

enum class RequestKind {
    LoginId = 0,
    LoginPassword = 1,
    ChangeId = 2,
    ChangePassword = 3,
    PortConnect = 4,
    PortRelease = 5,
    PortConfigure = 6,
    PortData = 7,
};

// Port value meaning "no remote port": frames for it carry the port digit '/',
// and as a pane selection it means the local line traffic.
inline constexpr int noPort = -1;

constexpr bool isRemotePort(int port)
{
    return port >= 0 && port < remotePortCount;
}
