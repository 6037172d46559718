#include "session/LinkFrame.h"

char frameClass(RequestKind kind)
{
    switch (kind) {
    case RequestKind::LoginId:
    case RequestKind::LoginPassword:
    case RequestKind::ChangeId:
    case RequestKind::ChangePassword:
        return 'A';
    case RequestKind::PortConnect:
    case RequestKind::PortRelease:
    case RequestKind::PortConfigure:
        return 'C';
    case RequestKind::PortData:
        break;
    }
    return 'D';
}

char frameSubCode(RequestKind kind, int port)
{
    switch (kind) {
    case RequestKind::LoginId:
        return 'I';
    case RequestKind::LoginPassword:
        return 'P';
    case RequestKind::ChangeId:
        return 'D';
    case RequestKind::ChangePassword:
        return 'W';
    default:
        break;
    }
    // Byte arithmetic as on the wire: port -1 gives '/'.
    return static_cast<char>('0' + port);
}

std::string buildFrame(RequestKind kind, int port, std::string_view payload)
{
    if (payload.empty())
        return {};
    std::string frame;
    frame.reserve(payload.size() + 4);
    frame.push_back(static_cast<char>(frameStartByte));
    frame.push_back(frameClass(kind));
    frame.push_back(frameSubCode(kind, port));
    frame.append(payload);
    frame.push_back(static_cast<char>(frameEndByte));
    return frame;
}
