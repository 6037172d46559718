#include "session/LinkMonitorLog.h"

#include <cstdio>
#include <ctime>

#include "base/LocalTime.h"
#include "base/TextCodec.h"

namespace {

std::string clockText(LinkMonitorClock::time_point time)
{
    const auto sinceEpoch = time.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    const std::tm local = localCalendarTime(seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis < 0 ? millis + 1000 : millis));
    return text;
}

bool isTrailByte(unsigned char byte)
{
    return (byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) || (byte >= 0x81 && byte <= 0xFE);
}

void appendEscaped(std::string& out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

std::string byteText(char byte)
{
    return monitorPayloadText(std::string_view(&byte, 1));
}

bool carriesPassword(RequestKind kind)
{
    return kind == RequestKind::LoginPassword || kind == RequestKind::ChangePassword;
}

// The part of a frame between its sub code and its end marker.
std::string_view framePayload(std::string_view frame)
{
    if (frame.size() < 4)
        return {};
    return frame.substr(3, frame.size() - 4);
}

LinkMonitorRow frameRow(std::string_view frame, bool sent, RequestKind kind, LinkMonitorClock::time_point time)
{
    LinkMonitorRow row;
    row.time = clockText(time);
    row.direction = sent ? "→" : "←";
    if (frame.size() > 1)
        row.frameClass = byteText(frame[1]);
    if (frame.size() > 2)
        row.subCode = byteText(frame[2]);
    row.payload = monitorPayloadText(framePayload(frame));
    row.requestKind = requestKindName(kind);
    return row;
}

}  // namespace

std::string monitorPayloadText(std::string_view bytes)
{
    // The log is kept from the window's start: a long payload shows its head,
    // so the rows stay small however much a unit sends.
    const bool cut = bytes.size() > monitorPayloadLimit;
    if (cut)
        bytes = bytes.substr(0, monitorPayloadLimit);
    std::string out;
    out.reserve(bytes.size() + 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
        } else if (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()
                   && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const std::string character = cp949ToUtf8(bytes.substr(i, 2));
            // A pair that code page 949 does not define comes back with U+FFFD.
            if (character.find("\xEF\xBF\xBD") != std::string::npos) {
                appendEscaped(out, byte);
                continue;
            }
            out += character;
            ++i;
        } else {
            appendEscaped(out, byte);
        }
    }
    if (cut)
        out += "…";
    return out;
}

std::string requestKindName(RequestKind kind)
{
    switch (kind) {
    case RequestKind::LoginId: return "로그인 ID";
    case RequestKind::LoginPassword: return "로그인 암호";
    case RequestKind::ChangeId: return "ID 변경";
    case RequestKind::ChangePassword: return "암호 변경";
    case RequestKind::PortConnect: return "포트 연결";
    case RequestKind::PortRelease: return "포트 해제";
    case RequestKind::PortConfigure: return "포트 설정";
    case RequestKind::PortData: return "데이터";
    }
    return "?";
}

std::string verdictName(ReplyOutcome::Kind verdict)
{
    using Kind = ReplyOutcome::Kind;
    switch (verdict) {
    case Kind::Accepted: return "수락";
    case Kind::Refused: return "거부";
    case Kind::Busy: return "사용 중";
    case Kind::PortData: return "포트 데이터";
    case Kind::Ignored: return "무시";
    }
    return "?";
}

LinkMonitorRow describeSentFrame(std::string_view frame, RequestKind kind, LinkMonitorClock::time_point time)
{
    LinkMonitorRow row = frameRow(frame, true, kind, time);
    if (carriesPassword(kind))
        row.payload = "****";
    return row;
}

LinkMonitorRow describeReceivedFrame(std::string_view frame, RequestKind kind, ReplyOutcome::Kind verdict,
                                     LinkMonitorClock::time_point time)
{
    LinkMonitorRow row = frameRow(frame, false, kind, time);
    row.verdict = verdictName(verdict);
    return row;
}

LinkMonitorRow describeModemLine(std::string_view line, bool sent, RequestKind kind, LinkMonitorClock::time_point time)
{
    LinkMonitorRow row;
    row.time = clockText(time);
    row.direction = sent ? "→" : "←";
    row.frameClass = "모뎀";
    row.payload = monitorPayloadText(line);
    row.requestKind = requestKindName(kind);
    return row;
}

void LinkMonitorLog::append(LinkMonitorRow row)
{
    m_rows.push_back(std::move(row));
    if (m_rows.size() > rowLimit) {
        m_rows.pop_front();
        ++m_dropped;
    }
}

void LinkMonitorLog::clear()
{
    m_rows.clear();
    m_dropped = 0;
}

std::string LinkMonitorLog::toText() const
{
    std::string text = "시각\t방향\t클래스\t서브코드\t내용\t요청 종류\t판정\n";
    for (const LinkMonitorRow& row : m_rows) {
        for (const std::string* field : {&row.time, &row.direction, &row.frameClass, &row.subCode, &row.payload,
                                         &row.requestKind}) {
            text += *field;
            text += '\t';
        }
        text += row.verdict;
        text += '\n';
    }
    return text;
}
