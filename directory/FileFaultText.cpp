#include "directory/FileFaultText.h"

#include <QFile>
#include <QStringList>

#include <cstring>

#include "directory/UserPrompts.h"

namespace {

QString pathText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString faultLine(const QString& what, const std::string& path, const FileFault& fault)
{
    return QStringLiteral("%1: %2\n(%3)").arg(what, pathText(path), fileFaultReason(fault));
}

}  // namespace

QString fileFaultReason(const FileFault& fault)
{
    switch (fault.kind) {
    case FileFault::Kind::None:
        return {};
    case FileFault::Kind::System:
        // strerror speaks the language of the user's locale, in its encoding.
        return QString::fromLocal8Bit(std::strerror(fault.error));
    case FileFault::Kind::NotRegularFile:
        return QStringLiteral("일반 파일이 아닙니다");
    case FileFault::Kind::TooLarge:
        return QStringLiteral("파일이 너무 큽니다");
    case FileFault::Kind::UnstorableName:
        return QStringLiteral("저장할 수 없는 문자가 든 포트 이름이 있습니다");
    }
    return {};
}

bool tellSaveResult(QWidget* parent, const std::string& path, const FileFault& fault)
{
    if (fault.ok())
        return true;
    informUser(parent, faultLine(QStringLiteral("파일을 저장하지 못했습니다"), path, fault));
    return false;
}

void tellUnreadableFiles(QWidget* parent, const std::vector<FileProblem>& problems)
{
    if (problems.empty())
        return;
    QStringList lines;
    for (const FileProblem& problem : problems)
        lines << faultLine(QStringLiteral("파일을 읽을 수 없습니다"), problem.path, problem.fault);
    informUser(parent, lines.join(QStringLiteral("\n\n")));
}
