#pragma once

// Helpers of the tests that walk the whole road over the real engine.
#include "text/ansi_text.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <vector>

namespace lyricue {

// One line of a lyrics file as its tag and text bytes.
struct FileLine {
    QByteArray tag;
    QByteArray text;
};

inline QByteArray fileBytes(const std::vector<FileLine>& lines)
{
    QByteArray bytes;
    for (const FileLine& line : lines)
        bytes += line.tag + line.text + "\r\n";
    return bytes;
}

inline QByteArray cp932(const char16_t* text)
{
    return encodeCp932(QString::fromUtf16(text)).bytes;
}

// "[mm:ss:xx]" as milliseconds; -1 for anything else.
inline int tagMs(const QString& tag)
{
    static const QRegularExpression form(QStringLiteral("^\\[(\\d\\d):(\\d\\d):(\\d\\d)\\]$"));
    const QRegularExpressionMatch match = form.match(tag);
    if (!match.hasMatch())
        return -1;
    return ((match.captured(1).toInt() * 60 + match.captured(2).toInt()) * 100 + match.captured(3).toInt()) * 10;
}

}  // namespace lyricue
