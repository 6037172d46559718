#include "session/ConnectionMessages.h"

#include "base/TextCodec.h"

// The texts are written here in UTF-8 and converted once, on first use.
namespace connectionMessages {

namespace {

// Returns the code page 949 form of a fixed text, converted on first use.
#define EMU_CP949_TEXT(utf8)                                 \
    [] () -> const std::string& {                            \
        static const std::string text = utf8ToCp949(utf8);   \
        return text;                                         \
    }()

std::string join(std::string_view a, std::string_view b, std::string_view c = {},
                 std::string_view d = {}, std::string_view e = {})
{
    std::string out;
    out.reserve(a.size() + b.size() + c.size() + d.size() + e.size());
    out.append(a).append(b).append(c).append(d).append(e);
    return out;
}

std::string_view portPrefix()
{
    return EMU_CP949_TEXT("포트 ");
}

std::string portText(char port, std::string_view rest)
{
    return join(portPrefix(), std::string_view(&port, 1), rest);
}

} // namespace

const std::string& loginIdMismatch() { return EMU_CP949_TEXT("'KR-V' 로그인 아이디가 일치하지 않습니다."); }
const std::string& krvConnected() { return EMU_CP949_TEXT("'KR-V' 연결되었습니다."); }
const std::string& loginPasswordMismatch() { return EMU_CP949_TEXT("'KR-V' 로그인 비밀번호가 일치하지 않습니다."); }
const std::string& idChanged() { return EMU_CP949_TEXT("아이디가 변경되었습니다."); }
const std::string& idChangeFailed() { return EMU_CP949_TEXT("아이디 변경에 실패하였습니다."); }
const std::string& passwordChanged() { return EMU_CP949_TEXT("비밀번호가 변경되었습니다."); }
const std::string& passwordChangeFailed() { return EMU_CP949_TEXT("비밀번호 변경에 실패하였습니다."); }

std::string portConnected(char port, std::string_view statusText)
{
    return join(portText(port, EMU_CP949_TEXT("에 연결되었습니다.")), "\r\n", statusText);
}

std::string portBusy(char port)
{
    return portText(port, EMU_CP949_TEXT(" 연결에 실패하였습니다. 다른장치에서 사용중입니다."));
}

std::string portConnectFailed(char port) { return portText(port, EMU_CP949_TEXT(" 연결에 실패하였습니다.")); }
std::string portReleased(char port) { return portText(port, EMU_CP949_TEXT("이(가) 해제되었습니다.")); }
std::string portReleaseFailed(char port) { return portText(port, EMU_CP949_TEXT(" 해제에 실패하였습니다.")); }
std::string portConfigured(char port) { return portText(port, EMU_CP949_TEXT(" 설정이 변경되었습니다.")); }
std::string portConfigureFailed(char port) { return portText(port, EMU_CP949_TEXT(" 설정에 실패하였습니다.")); }

const std::string& lineBusy() { return EMU_CP949_TEXT("통화중입니다."); }
const std::string& dialFailed() { return EMU_CP949_TEXT("연결에 실패하였습니다."); }
const std::string& connectionLost() { return EMU_CP949_TEXT("연결이 끊어졌습니다."); }

namespace {

std::string attemptOf(int attempt, int attempts)
{
    return " (" + std::to_string(attempt) + "/" + std::to_string(attempts) + ")";
}

std::string inSeconds(int seconds)
{
    return ": " + std::to_string(seconds) + utf8ToCp949("초 후");
}

}  // namespace

std::string redialing(int attempt, int attempts, int seconds)
{
    return join(EMU_CP949_TEXT("다시 거는 중"), attemptOf(attempt, attempts), inSeconds(seconds));
}

std::string reconnecting(int attempt, int attempts)
{
    return join(EMU_CP949_TEXT("다시 연결하는 중"), attemptOf(attempt, attempts), "...");
}

std::string reconnectCountdown(int attempt, int attempts, int seconds)
{
    return join(EMU_CP949_TEXT("다시 연결하는 중"), attemptOf(attempt, attempts), inSeconds(seconds));
}

const std::string& portReopenFailed() { return EMU_CP949_TEXT("포트를 다시 열 수 없습니다."); }
const std::string& reconnectStopped() { return EMU_CP949_TEXT("로그인이 거부되어 다시 연결하지 않습니다."); }

const std::string& lineGone()
{
    return EMU_CP949_TEXT("포트 장치가 없어졌습니다. 포트 버튼을 놓았다가 다시 눌러 여십시오.");
}
const std::string& outputDropped() { return EMU_CP949_TEXT("회선이 받지 않아 보내지 못한 데이터를 버렸습니다."); }
const std::string& outputRefused() { return EMU_CP949_TEXT("보낼 데이터가 너무 많이 밀려 있어 보내지 않았습니다."); }

std::string portOpenFailed(std::string_view portName)
{
    return join(EMU_CP949_TEXT("포트["), portName,
                EMU_CP949_TEXT("]가 사용중이거나, 다른 문제로 열기에 실패했습니다."));
}

std::string baseTitle(std::string_view portName, std::string_view lineSettings)
{
    return join(portName, " - [", lineSettings, "]");
}

std::string connectedTitle(std::string_view entryName, std::string_view number)
{
    return join(EMU_CP949_TEXT("연결됨:"), entryName, "(", number, ")");
}

std::string manualConnectedTitle(std::string_view number)
{
    return join(EMU_CP949_TEXT("연결됨:수동("), number, ")");
}

const std::string& dialWaitText() { return EMU_CP949_TEXT("전화를 걸고 있습니다. 연결될때까지 기다려주세요."); }
const std::string& dialWaitCancel() { return EMU_CP949_TEXT("취소"); }
const std::string& retryLoginCaption() { return EMU_CP949_TEXT("로그인 재시도"); }
const std::string& idChangeCaption() { return EMU_CP949_TEXT("아이디 변경"); }

#undef EMU_CP949_TEXT

} // namespace connectionMessages
