#pragma once
// Helpers for driving the dialogs headless: scripted answers to message boxes,
// actions on nested modal dialogs, lookups by visible label, and a watchdog
// that ends a test that would otherwise wait forever.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

#include "directory/UserPrompts.h"

// Answers every message box while it lives and records what was asked.
class ScriptedPrompts {
public:
    ScriptedPrompts()
    {
        m_previous = setPromptHandler([this](PromptKind kind, const QString& text) {
            (kind == PromptKind::Ask ? asked : told) << text;
            if (kind != PromptKind::Ask || m_answers.empty())
                return false;
            const bool answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }
    ~ScriptedPrompts() { setPromptHandler(m_previous); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Answers to the next Yes/No questions, in order; unscripted ones get No.
    void answer(bool yes) { m_answers.push_back(yes); }

    QStringList told;
    QStringList asked;

private:
    PromptHandler m_previous;
    std::deque<bool> m_answers;
};

// Aborts the test program if a test runs longer than the limit (a modal loop
// nobody closes), instead of hanging.
class Watchdog {
public:
    explicit Watchdog(int milliseconds = 20000)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [] { qFatal("test timed out: a dialog was left open"); });
        m_timer.start(milliseconds);
    }

private:
    QTimer m_timer;
};

// Runs action on the next modal dialog of type T once its event loop runs.
template <class T>
void onNextDialog(std::function<void(T*)> action)
{
    auto* poll = new QTimer;
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        } else if (deadline.hasExpired()) {
            qFatal("expected dialog never appeared");
        }
    });
    poll->start(5);
}

template <class T = QAbstractButton>
T* buttonLabelled(QWidget* parent, const QString& text)
{
    for (T* button : parent->findChildren<T*>()) {
        if (button->text() == text)
            return button;
    }
    qFatal("no button labelled %s", qPrintable(text));
}

// A field found by its accessible name, which its label gives it.
template <class T>
T* fieldLabelled(QWidget* parent, const QString& label)
{
    for (T* field : parent->findChildren<T*>()) {
        if (field->accessibleName() == label)
            return field;
    }
    qFatal("no field labelled %s", qPrintable(label));
}

inline void typeInto(QWidget* parent, const QString& label, const QString& text)
{
    fieldLabelled<QLineEdit>(parent, label)->setText(text);
}
