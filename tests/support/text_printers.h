#pragma once

#include "text/ansi_text.h"

#include <QString>

#include <cstdio>
#include <ostream>

namespace lyricue {

// Lets GoogleTest print a TextEncoding by name.
inline void PrintTo(TextEncoding encoding, std::ostream* out)
{
    static const char* const names[] = {"Cp932", "Utf8", "Utf8WithBom", "Utf16Le", "Utf16Be"};
    *out << names[static_cast<int>(encoding)];
}

// Lets GoogleTest print a QString as text, lone surrogates as \uXXXX.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            *out << text.mid(i, 2).toStdString();
            ++i;
        } else if (ch.isSurrogate() || ch.unicode() < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", ch.unicode());
            *out << escaped;
        } else {
            *out << QString(ch).toStdString();
        }
    }
    *out << '"';
}

}  // namespace lyricue
