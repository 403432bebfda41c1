// Reading and writing whole text files (declared in ansi_text.h).
#include "ansi_text.h"

#include "encode_error.h"

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
    return writeTextLines(path, lines.size(), [&lines](qsizetype index, QString&) { return QStringView(lines[index]); },
                          encoding);
}

QString writeTextLines(const QString& path, qsizetype count, const TextLineSource& lineAt, TextEncoding encoding)
{
    const auto failure = [&path](const QString& reason) {
        return QStringLiteral("「%1」に保存できません: %2").arg(shownPath(path), reason);
    };
    // Encode everything before the file is touched, so an unencodable character
    // leaves the old file as it was. All lines go into one buffer: a buffer per
    // line costs more than the encoding itself.
    QByteArray bytes;
    if (encoding == TextEncoding::Utf8WithBom)
        bytes.append("\xEF\xBB\xBF");
    QString scratch;
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView line = lineAt(i, scratch);
        const qsizetype unencodable = appendEncodedText(bytes, line, encoding);
        if (unencodable >= 0)
            return failure(QStringLiteral("%1 行目: %2")
                               .arg(QString::number(i + 1),
                                    unencodableMessage(line, unencodable, encodingName(encoding))));
        bytes.append("\r\n", 2);
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
