#include "directory/IpEntryDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/DialogHelpers.h"
#include "directory/EntryChecks.h"
#include "directory/UserPrompts.h"

namespace {

// Refuses typing that would take the text beyond a number of code page 949
// bytes (a Hangul syllable takes two). A longer text given in stays editable:
// the line edit only undoes an edit that turns acceptable text invalid.
class Cp949LengthValidator : public QValidator {
public:
    Cp949LengthValidator(std::size_t maxBytes, QObject* parent)
        : QValidator(parent)
        , m_maxBytes(maxBytes)
    {
    }

    State validate(QString& input, int&) const override
    {
        return toCp949(input).size() <= m_maxBytes ? Acceptable : Invalid;
    }

private:
    std::size_t m_maxBytes;
};

}  // namespace

IpEntryDialog::IpEntryDialog(std::string name, std::string address, int port, QWidget* parent)
    : QDialog(parent)
    , m_acceptedPort(port)
{
    setWindowTitle(QStringLiteral("IP주소입력"));

    m_name = new QLineEdit(this);
    m_address = new QLineEdit(this);
    m_port = new QLineEdit(this);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    // A longer name given in is shown whole and reported by the check on OK.
    m_name->setValidator(new Cp949LengthValidator(ipNameMaxBytes, m_name));
    m_name->setText(fromCp949(name));
    m_address->setText(fromCp949(address));
    m_port->setText(QString::number(port));

    auto* form = new QFormLayout;
    form->addRow(makeFieldLabel(QStringLiteral("이름"), m_name, this), m_name);
    form->addRow(makeFieldLabel(QStringLiteral("IP 주소"), m_address, this), m_address);
    form->addRow(makeFieldLabel(QStringLiteral("포트번호"), m_port, this), m_port);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

std::string IpEntryDialog::name() const
{
    return toCp949(m_name->text());
}

std::string IpEntryDialog::address() const
{
    return toCp949(m_address->text());
}

int IpEntryDialog::port() const
{
    return m_acceptedPort;
}

void IpEntryDialog::accept()
{
    const IpEntryInput input{name(), address(), toCp949(m_port->text())};
    const IpEntryProblem problem = checkIpEntry(input);
    if (problem != IpEntryProblem::None) {
        informUser(this, QString::fromStdString(ipEntryMessage(problem)));
        return;
    }
    m_acceptedPort = parseIntegerField(input.portText).value_or(m_acceptedPort);
    QDialog::accept();
}
