#pragma once
// The find bar that opens over a pane: an input line and a place for "찾을
// 수 없습니다.". It only reports what the operator does; the pane finds.
//   typing            textEdited
//   Enter, F3         nextRequested(false): the next match up
//   Shift+Enter, F3   nextRequested(true): the next match down
//   Escape            closeRequested

#include <QFrame>

class QLabel;
class QLineEdit;

class FindBar : public QFrame {
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* input() const { return m_input; }
    QString text() const;
    // Shows whether the text was found: nothing when it was.
    void setFound(bool found);
    bool showsNotFound() const;

signals:
    void textEdited(const QString& text);
    void nextRequested(bool downward);
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_input;
    QLabel* m_message;
};
