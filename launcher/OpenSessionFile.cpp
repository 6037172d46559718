#include "launcher/OpenSessionFile.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace launcher {

void openSessionFile(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace launcher
