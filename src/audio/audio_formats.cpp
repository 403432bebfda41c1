#include "audio/audio_formats.h"

#include <QStringList>

namespace lyricue {

namespace {

QString extensionText(const AudioFormat& format)
{
    return QString::fromLatin1(format.extension.data(), qsizetype(format.extension.size()));
}

}  // namespace

const AudioFormat* audioFormatOf(const QString& path, Qt::CaseSensitivity sensitivity)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return nullptr;
    const QStringView suffix = QStringView(path).mid(dot + 1);
    for (const AudioFormat& format : kAudioFormats) {
        if (suffix.compare(extensionText(format), sensitivity) == 0)
            return &format;
    }
    return nullptr;
}

QString dialogFilterEntry(const QString& name, std::optional<FormatDecoder> decoder)
{
    QStringList patterns;
    for (const AudioFormat& format : kAudioFormats) {
        if (!decoder || format.decoder == *decoder)
            patterns << QStringLiteral("*.") + extensionText(format);
    }
    return name + u'(' + patterns.join(u',') + u')' + u'|' + patterns.join(u';');
}

}  // namespace lyricue
