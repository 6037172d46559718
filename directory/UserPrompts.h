#pragma once
// The program's message boxes: an OK box to tell the user something and a
// Yes/No box to ask. Both carry the application's name as their title. Tests
// (and anything else that must not block) can answer them through a handler.

#include <QString>

#include <functional>

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

// Routes every box to handler instead of showing it; an empty handler brings
// the real boxes back. Returns the handler that was in place.
PromptHandler setPromptHandler(PromptHandler handler);
