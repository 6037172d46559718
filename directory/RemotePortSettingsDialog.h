#pragma once
// "원격 포트 설정": picks one of the KR-V's four remote ports and its line
// settings, shown from the port status texts the connection window keeps.
// After OK, port() and settingsText() are what the window sends.

#include <QDialog>

#include <array>
#include <string>

#include "directory/PortStatusText.h"

class QComboBox;

class RemotePortSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // initialPort: the remote port the active pane shows, or -1 for local
    // traffic (port 0 is shown then, as for any value outside 0..3).
    RemotePortSettingsDialog(int initialPort, const std::array<std::string, remotePortCount>& statusTexts,
                             QWidget* parent = nullptr);

    int port() const { return m_port; }
    // Code page 949: the five settings joined by single spaces.
    const std::string& settingsText() const { return m_settingsText; }

    void accept() override;

private:
    void showPort(int port);
    RemotePortChoice listsNow() const;

    std::array<std::string, remotePortCount> m_statusTexts;
    QComboBox* m_portList;
    QComboBox* m_speed;
    QComboBox* m_dataBits;
    QComboBox* m_parity;
    QComboBox* m_stopBits;
    QComboBox* m_flow;
    int m_port = 0;
    std::string m_settingsText;
};
