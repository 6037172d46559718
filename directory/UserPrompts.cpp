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

void tellUser(QWidget* parent, const QString& text, std::function<void()> afterwards)
{
    if (const PromptHandler& handler = currentHandler()) {
        handler(PromptKind::Inform, text);
        if (afterwards)
            afterwards();
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (afterwards)
        QObject::connect(box, &QMessageBox::finished, box, [afterwards = std::move(afterwards)] { afterwards(); });
    box->open();
}

bool askUser(QWidget* parent, const QString& text)
{
    if (const PromptHandler& handler = currentHandler())
        return handler(PromptKind::Ask, text);
    return QMessageBox::question(parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

QPointer<QMessageBox> askUserThen(QWidget* parent, const QString& text, bool offerCancel,
                                  std::function<void(PromptAnswer)> then)
{
    if (const PromptHandler& handler = currentHandler()) {
        then(handler(PromptKind::Ask, text) ? PromptAnswer::Yes : PromptAnswer::No);
        return nullptr;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (offerCancel)
        buttons |= QMessageBox::Cancel;
    auto* box = new QMessageBox(QMessageBox::Question, boxTitle(), text, buttons, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QDialog::finished, box, [box, offerCancel, then = std::move(then)] {
        switch (box->standardButton(box->clickedButton())) {
        case QMessageBox::Yes:
            then(PromptAnswer::Yes);
            break;
        case QMessageBox::Cancel:
            then(PromptAnswer::Cancel);
            break;
        default:
            then(offerCancel && !box->clickedButton() ? PromptAnswer::Cancel : PromptAnswer::No);
            break;
        }
    });
    box->open();
    return box;
}

PromptHandler setPromptHandler(PromptHandler handler)
{
    PromptHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
