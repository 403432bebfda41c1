// Reading and writing whole text files (declared in ansi_text.h).
#include "ansi_text.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

}  // namespace

TextFileContent readTextLines(const QString& path)
{
    TextFileContent content;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        content.error = QStringLiteral("「%1」を開けません: %2").arg(shownPath(path), file.errorString());
        return content;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        content.error =
            QStringLiteral("「%1」を読み込めません: %2").arg(shownPath(path), file.errorString());
        return content;
    }
    content.encoding = detectEncoding(bytes);
    content.lines = splitLines(decodeText(bytes, content.encoding));
    return content;
}

QString writeTextLines(const QString& path, const QStringList& lines, TextEncoding encoding)
{
    const auto failure = [&path](const QString& reason) {
        return QStringLiteral("「%1」に保存できません: %2").arg(shownPath(path), reason);
    };
    // Encode everything before the file is touched, so an unencodable character
    // leaves the old file as it was.
    const TextEncoding lineEncoding =
        encoding == TextEncoding::Utf8WithBom ? TextEncoding::Utf8 : encoding;
    QByteArray bytes;
    if (encoding == TextEncoding::Utf8WithBom)
        bytes.append("\xEF\xBB\xBF");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const EncodeResult line = encodeText(lines[i], lineEncoding);
        if (!line.ok())
            return failure(QStringLiteral("%1 行目: %2").arg(QString::number(i + 1), line.error));
        bytes.append(line.bytes).append("\r\n");
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(reason);
    }
    if (!file.commit())
        return failure(file.errorString());
    return QString();
}
