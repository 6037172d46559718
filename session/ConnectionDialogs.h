#pragma once
// The modal questions a connection window asks its operator. The program uses
// the real dialogs; tests install their own answers.

#include <QString>

#include <array>
#include <optional>
#include <string>

#include "directory/PhoneBook.h"
#include "session/ConnectionDialogue.h"

class QWidget;

class ConnectionDialogs {
public:
    virtual ~ConnectionDialogs() = default;

    // The phone book; the entry chosen with its dial button, or nothing.
    virtual std::optional<PhoneEntry> choosePhoneEntry(QWidget* parent) = 0;
    // The login dialog with the given caption; nothing when cancelled.
    virtual std::optional<LoginAnswer> askLogin(QWidget* parent, const QString& caption, const std::string& userId,
                                                const std::string& password) = 0;
    // The remote port settings dialog; nothing when cancelled.
    virtual std::optional<RemotePortAnswer> askRemotePortSettings(QWidget* parent, int initialPort,
                                                                  const std::array<std::string, remotePortCount>& statusTexts) = 0;
    // The save-file dialog for a pane log; an empty text when cancelled.
    virtual QString askLogPath(QWidget* parent, const QString& folder, const QString& proposedName) = 0;
};

// The dialogs in use; the real ones unless a test installed others.
ConnectionDialogs& connectionDialogs();
// Installs replacements (nullptr restores the real dialogs). The caller keeps ownership.
void setConnectionDialogs(ConnectionDialogs* dialogs);
