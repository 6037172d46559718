#pragma once
// Code page 949 bytes to and from Qt's text, for the places where Qt draws or
// edits text. Header-only so plain libraries need not link Qt.

#include <QString>

#include <string>
#include <string_view>

#include "base/TextCodec.h"

inline QString fromCp949(std::string_view cp949)
{
    const std::string utf8 = cp949ToUtf8(cp949);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string toCp949(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp949(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}
