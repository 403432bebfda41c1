#pragma once

#include "text/ansi_text.h"

#include <QString>
#include <QStringList>

#include <ostream>

namespace lyricue {

// Let GoogleTest print Qt texts as text rather than as bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i ? ", " : "");
        PrintTo(texts[i], out);
    }
    *out << '}';
}

inline void PrintTo(TextEncoding encoding, std::ostream* out)
{
    static const char* const names[] = {"Cp932", "Utf8", "Utf8WithBom", "Utf16Le", "Utf16Be"};
    *out << names[static_cast<int>(encoding)];
}

}  // namespace lyricue
