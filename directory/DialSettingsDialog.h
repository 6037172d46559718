#pragma once
// "전화 걸기 설정": dial command, outside-line number and modem initialisation
// command, and dialling again by itself: how often and how long apart after a
// busy or failed dial, and whether a lost line is dialled again. Values come in through the constructor, out through settings(); a
// commit, when set, stores them on "확인" and may keep the dialog open.

#include <QDialog>

#include "base/PortRecords.h"
#include "directory/DialogHelpers.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class DialSettingsDialog : public QDialog {
    Q_OBJECT

public:
    DialSettingsDialog(const DialSettings& settings, QWidget* parent = nullptr);

    // "ATDT" when that button is selected, otherwise "ATD"; the two texts as typed.
    DialSettings settings() const;

    void setCommit(DialogCommit commit) { m_commit = std::move(commit); }
    void accept() override;

private:
    QRadioButton* m_atd;
    QRadioButton* m_atdt;
    QLineEdit* m_outsideLine;
    QLineEdit* m_initCommand;
    QSpinBox* m_redialCount;
    QSpinBox* m_redialInterval;
    QCheckBox* m_reconnect;
    DialogCommit m_commit;
};
