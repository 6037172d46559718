#pragma once
// Ctrl+X is the program's Exit key. Where the focus is in a text field with
// text selected in it, Ctrl+X cuts that text instead, as it does in every
// other program: the field takes the key before Exit can. Anywhere else,
// an empty selection included, Ctrl+X is Exit.

#include <QObject>

class ExitKeyGuard : public QObject {
public:
    // Watches the keys of the whole application while it lives.
    explicit ExitKeyGuard(QObject* parent);
    ~ExitKeyGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
