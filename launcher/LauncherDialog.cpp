#include "launcher/LauncherDialog.h"

#include "launcher/OpenSessionFile.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace launcher {
namespace {

// Size of the window in dialog units of its font.
constexpr int widthUnits = 127;
constexpr int heightUnits = 19;

} // namespace

LauncherDialog::LauncherDialog(LauncherApp& app, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_app(app)
    , m_opener(openSessionFile)
{
    m_showMessage = [this](const std::string& text) {
        QMessageBox::information(this, QString(), QString::fromStdString(text));
    };

    setFont(QFont(QStringLiteral("굴림"), 9));
    const QFontMetrics metrics(font());
    setFixedSize(widthUnits * metrics.averageCharWidth() / 4, heightUnits * metrics.height() / 8);

    m_status = new QLabel(this);
    m_status->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_status);

    const struct {
        const char* label;
        void (LauncherDialog::*action)();
    } developerButtons[] = {
        {"m", &LauncherDialog::dumpTemplate},
        {"C", &LauncherDialog::writeDefaultServer},
        {"R", &LauncherDialog::openAndClose},
        {"DEL", nullptr},
    };
    for (const auto& b : developerButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.label), this);
        button->setObjectName(QString::fromLatin1(b.label));
        button->hide();
        if (b.action)
            connect(button, &QPushButton::clicked, this, b.action);
    }

    if (m_app.valid()) {
        m_status->setText(QStringLiteral("임시파일 확인"));
        QTimer::singleShot(stepMs, this, &LauncherDialog::writeStep);
    } else {
        m_status->setText(QStringLiteral("올바른 인자가 아닙니다."));
        QTimer::singleShot(invalidCloseMs, this, &QDialog::reject);
    }
    centreOnScreen();
}

QString LauncherDialog::statusText() const
{
    return m_status->text();
}

void LauncherDialog::writeStep()
{
    m_app.writeSession();
    m_status->setText(QStringLiteral("하이퍼터미널 실행"));
    QTimer::singleShot(stepMs, this, &LauncherDialog::openStep);
}

void LauncherDialog::openStep()
{
    if (m_opener)
        m_opener(m_app.outputPath());
    QTimer::singleShot(stepMs, this, &QDialog::reject);
}

void LauncherDialog::dumpTemplate()
{
    dumpTemplateSource(m_showMessage);
}

void LauncherDialog::writeDefaultServer()
{
    m_app.useDefaultServer();
    m_app.writeSession();
}

void LauncherDialog::openAndClose()
{
    if (m_opener)
        m_opener(m_app.outputPath());
    reject();
}

void LauncherDialog::centreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace launcher
