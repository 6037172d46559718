#pragma once
// "포트설정": line settings of the four local COM ports. The table comes in
// through the constructor and goes out through table() once accepted; a commit,
// when set, stores it and may keep the dialog open. "취소" is the default
// button, so Enter cancels.

#include <QDialog>

#include "base/PortRecords.h"
#include "directory/DialogHelpers.h"
#include "directory/LocalPortForm.h"

class QComboBox;
class QListWidget;

class LocalPortSettingsDialog : public QDialog {
    Q_OBJECT

public:
    LocalPortSettingsDialog(const PortTable& table, QWidget* parent = nullptr);

    const PortTable& table() const { return m_form.table(); }
    void setCommit(DialogCommit commit) { m_commit = std::move(commit); }

    void accept() override;

private:
    void showSelectedPort();
    LocalPortChoice listsNow() const;

    LocalPortForm m_form;
    QListWidget* m_ports;
    QComboBox* m_speed;
    QComboBox* m_dataBits;
    QComboBox* m_stopBits;
    QComboBox* m_parity;
    DialogCommit m_commit;
};
