#pragma once
// Texts a connection window shows, all code page 949. Messages go into the
// panes; titles and captions are converted where they reach the window system.
// Texts with parts filled in are built by concatenation, so a '%' in a port
// name, payload or phone book entry is shown as it is.

#include <string>
#include <string_view>

namespace connectionMessages {

// Replies to the login and account frames (shown in both panes).
const std::string& loginIdMismatch();       // 'KR-V' 로그인 아이디가 일치하지 않습니다.
const std::string& krvConnected();          // 'KR-V' 연결되었습니다.
const std::string& loginPasswordMismatch(); // 'KR-V' 로그인 비밀번호가 일치하지 않습니다.
const std::string& idChanged();             // 아이디가 변경되었습니다.
const std::string& idChangeFailed();        // 아이디 변경에 실패하였습니다.
const std::string& passwordChanged();       // 비밀번호가 변경되었습니다.
const std::string& passwordChangeFailed();  // 비밀번호 변경에 실패하였습니다.

// Replies to the remote port commands; port is the reply's sub code byte.
std::string portConnected(char port, std::string_view statusText); // 포트 %c에 연결되었습니다.\r\n%s
std::string portBusy(char port);            // 포트 %c 연결에 실패하였습니다. 다른장치에서 사용중입니다.
std::string portConnectFailed(char port);   // 포트 %c 연결에 실패하였습니다.
std::string portReleased(char port);        // 포트 %c이(가) 해제되었습니다.
std::string portReleaseFailed(char port);   // 포트 %c 해제에 실패하였습니다.
std::string portConfigured(char port);      // 포트 %c 설정이 변경되었습니다.
std::string portConfigureFailed(char port); // 포트 %c 설정에 실패하였습니다.

// Modem results and carrier loss (shown in both panes).
const std::string& lineBusy();       // 통화중입니다.
const std::string& dialFailed();     // 연결에 실패하였습니다.
const std::string& connectionLost(); // 연결이 끊어졌습니다.

// Dialling again by itself (shown in both panes, and in the dial wait window).
std::string redialing(int attempt, int attempts, int seconds);     // 다시 거는 중 (2/5): 30초 후
std::string reconnecting(int attempt, int attempts);               // 다시 연결하는 중 (1/5)...
std::string reconnectCountdown(int attempt, int attempts, int seconds); // 다시 연결하는 중 (1/5): 30초 후
const std::string& portReopenFailed();  // the port's device is not back yet
const std::string& reconnectStopped();  // a refused login ends the reconnecting

// The line itself (shown in both panes).
const std::string& lineGone();       // the port's device vanished: release and press its button again
const std::string& outputDropped();  // the line took no bytes within the time limit: they were dropped
const std::string& outputRefused();  // too much waits for the line: the text was not sent

// Message box when the COM port cannot be opened.
std::string portOpenFailed(std::string_view portName); // 포트[%s]가 사용중이거나, 다른 문제로 열기에 실패했습니다.

// Window titles: "%s - [%s]" before login, the connected titles after it.
std::string baseTitle(std::string_view portName, std::string_view lineSettings);
std::string connectedTitle(std::string_view entryName, std::string_view number); // 연결됨:%s(%s)
std::string manualConnectedTitle(std::string_view number);                      // 연결됨:수동(%s)

// Dial wait window and the login dialog's captions.
const std::string& dialWaitText();      // 전화를 걸고 있습니다. 연결될때까지 기다려주세요.
const std::string& dialWaitCancel();    // 취소
const std::string& retryLoginCaption(); // 로그인 재시도
const std::string& idChangeCaption();   // 아이디 변경

} // namespace connectionMessages
