#pragma once
// The questions a connection window puts to its operator. Each dialog opens
// window-modal over the window and returns at once; its answer arrives later
// through the callback, when the operator closes it. A dialog closed because
// its window went away answers nothing (its callback is never called), or
// answers as cancelled. The program uses the real dialogs; tests install their
// own answers.

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "directory/PhoneBook.h"
#include "session/ConnectionDialogue.h"

class QWidget;

class ConnectionDialogs {
public:
    template <typename T>
    using Answer = std::function<void(const std::optional<T>&)>;

    virtual ~ConnectionDialogs() = default;

    // The phone book; the entry chosen with its dial button, or nothing.
    virtual void choosePhoneEntry(QWidget* parent, Answer<PhoneEntry> answer) = 0;
    // The login dialog with the given caption; nothing when cancelled.
    virtual void askLogin(QWidget* parent, const QString& caption, const std::string& userId,
                          const std::string& password, Answer<LoginAnswer> answer) = 0;
    // The remote port settings dialog; nothing when cancelled.
    virtual void askRemotePortSettings(QWidget* parent, int initialPort,
                                       const std::array<std::string, remotePortCount>& statusTexts,
                                       Answer<RemotePortAnswer> answer) = 0;
    // The save-file dialog for a pane log; an empty text when cancelled.
    virtual void askLogPath(QWidget* parent, const QString& folder, const QString& proposedName,
                            std::function<void(const QString&)> answer) = 0;
    // The open-file dialog for a script; an empty text when cancelled.
    virtual void askScriptPath(QWidget* parent, const QString& folder, std::function<void(const QString&)> answer) = 0;
};

// The dialogs in use; the real ones unless a test installed others.
ConnectionDialogs& connectionDialogs();
// Installs replacements (nullptr restores the real dialogs). The caller keeps ownership.
void setConnectionDialogs(ConnectionDialogs* dialogs);
