#include "directory/UserPrompts.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace {

PromptHandler& currentHandler()
{
    static PromptHandler handler;
    return handler;
}

QString boxTitle()
{
    return QGuiApplication::applicationDisplayName();
}

}  // namespace

void informUser(QWidget* parent, const QString& text)
{
    if (const PromptHandler& handler = currentHandler()) {
        handler(PromptKind::Inform, text);
        return;
    }
    QMessageBox::information(parent, boxTitle(), text, QMessageBox::Ok);
}

bool askUser(QWidget* parent, const QString& text)
{
    if (const PromptHandler& handler = currentHandler())
        return handler(PromptKind::Ask, text);
    return QMessageBox::question(parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

PromptHandler setPromptHandler(PromptHandler handler)
{
    PromptHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
