#pragma once
// The program's message boxes: an OK box to tell the user something and a
// Yes/No box to ask. Both carry the application's name as their title. Tests
// (and anything else that must not block) can answer them through a handler.

#include <QPointer>
#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

enum class PromptKind { Inform, Ask };

// Receives the box's kind and text; its result answers an Ask (true = Yes)
// and is ignored for an Inform.
using PromptHandler = std::function<bool(PromptKind kind, const QString& text)>;

void informUser(QWidget* parent, const QString& text);
// Tells without waiting: the OK box opens window-modal and this returns at
// once; `afterwards` runs once it is dismissed (at once under a handler).
void tellUser(QWidget* parent, const QString& text, std::function<void()> afterwards = {});
bool askUser(QWidget* parent, const QString& text);

enum class PromptAnswer { Yes, No, Cancel };

// The question shown without waiting in place: the box is modal to parent's
// window, and `then` is called once, from the event loop, with the button
// pressed (Escape gives No, or Cancel when offered). A handler answers it at
// once, as it answers askUser: Yes or No. Returns the box while it is open
// (null with a handler); it deletes itself once answered.
QPointer<QMessageBox> askUserThen(QWidget* parent, const QString& text, bool offerCancel,
                                  std::function<void(PromptAnswer)> then);

// Routes every box to handler instead of showing it; an empty handler brings
// the real boxes back. Returns the handler that was in place.
PromptHandler setPromptHandler(PromptHandler handler);
