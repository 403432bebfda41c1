// Reading and writing whole text files (declared in ansi_text.h).
#include "text/ansi_text.h"

#include "text/encode_error.h"
#include "base/file_error_reason.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace lyricue {

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

}  // namespace

ResultOf<QByteArray> readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("「%1」を開けません: %2").arg(shownPath(path), fileErrorReason(file.errorString())));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(QStringLiteral("「%1」を読み込めません: %2")
                                   .arg(shownPath(path), fileErrorReason(file.errorString())));
    return bytes;
}

ResultOf<DecodedText> readText(const QString& path)
{
    const ResultOf<QByteArray> bytes = readFileBytes(path);
    if (!bytes.ok())
        return Result::failure(bytes.errorString());
    return decodeDetected(bytes.value());
}

ResultOf<TextFileContent> readTextLines(const QString& path)
{
    const ResultOf<DecodedText> decoded = readText(path);
    if (!decoded.ok())
        return Result::failure(decoded.errorString());
    return TextFileContent{splitLines(decoded->text), decoded->encoding};
}

Result writeTextLines(const QString& path, const QStringList& lines, TextEncoding encoding)
{
    return writeTextLines(path, lines.size(), [&lines](qsizetype index, QString&) { return QStringView(lines[index]); },
                          encoding);
}

ResultOf<QByteArray> encodeTextLines(qsizetype count, const TextLineSource& lineAt, TextEncoding encoding)
{
    const auto unencodable = [&](qsizetype line, QStringView text, qsizetype at) {
        return Result::failure(QStringLiteral("%1 行目: %2")
                                   .arg(QString::number(line + 1), unencodableMessage(text, at, encodingName(encoding))));
    };
    // All lines go into one buffer: a buffer per line costs more than the encoding itself.
    QByteArray bytes = byteOrderMark(encoding);
    QByteArray lineEnd;
    static_cast<void>(appendEncodedText(lineEnd, u"\r\n", encoding));
    QString scratch;
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView line = lineAt(i, scratch);
        const qsizetype lineStart = bytes.size();
        if (const qsizetype at = appendEncodedText(bytes, line, encoding); at >= 0)
            return unencodable(i, line, at);
        // An odd run of carried bytes ends a UTF-16 line only where it ended the file.
        if (isUtf16(encoding) && (bytes.size() - lineStart) % 2) {
            if (i + 1 < count)
                return unencodable(i, line, line.size() - 1);
            break;
        }
        bytes.append(lineEnd.constData(), lineEnd.size());
    }
    return bytes;
}

Result writeTextLines(const QString& path, qsizetype count, const TextLineSource& lineAt, TextEncoding encoding)
{
    const auto failure = [&path](const QString& reason) {
        return Result::failure(QStringLiteral("「%1」に保存できません: %2").arg(shownPath(path), reason));
    };
    // Encode everything before the file is touched, so an unencodable character
    // leaves the old file as it was.
    const ResultOf<QByteArray> encoded = encodeTextLines(count, lineAt, encoding);
    if (!encoded.ok())
        return failure(encoded.errorString());
    const QByteArray& bytes = encoded.value();

    if (const Result written = writeFileBytes(path, bytes); !written.ok())
        return failure(written.errorString());
    return Result();
}

Result writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(fileErrorReason(file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        // A write that the file system cuts short (a full disk, a file size limit)
        // after some bytes went out is no error to Qt; the system call's reason is in errno.
        const int systemError = errno;
        const QString reason =
            file.error() == QFileDevice::NoError ? qt_error_string(systemError) : file.errorString();
        file.cancelWriting();
        return Result::failure(fileErrorReason(reason));
    }
    if (!file.commit())
        return Result::failure(fileErrorReason(file.errorString()));
    return Result();
}

}  // namespace lyricue
