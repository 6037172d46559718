#pragma once
// The bar under a pane: an input line, "화면지우기", "CTRL+C" and a hidden
// default "Send" that Enter presses. It tells its connection window which bar
// it is with each request; the window decides where the text goes. From the
// keyboard (Shift+F10, the Menu key) the input line opens the pane's menu;
// the right mouse button keeps the line's own editing menu.

#include <QWidget>

class QLineEdit;
class QPushButton;

class SendBar : public QWidget {
    Q_OBJECT
public:
    explicit SendBar(const QString& accessibleName, QWidget* parent = nullptr);

    // The typed text; the input line is emptied.
    QString takeText();
    QLineEdit* inputLine() const { return m_input; }

signals:
    void sendRequested(SendBar* bar);
    void interruptRequested(SendBar* bar);
    void clearRequested(SendBar* bar);

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The menu of the pane above, the one the operator types for.
    void openPaneMenu();

    QLineEdit* m_input;
    QPushButton* m_send;
};
