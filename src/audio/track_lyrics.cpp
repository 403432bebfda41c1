#include "audio/track_lyrics.h"

#include "audio/tags/tag_module_entry.h"
#include "audio/track_audio_data.h"
#include "audio/track_container.h"
#include "base/file_error_reason.h"
#include "base/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lyricue {

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString reasonOf(const std::error_code& error)
{
    return fileErrorReason(QString::fromLocal8Bit(error.message().c_str()));
}

// Puts the file's bytes on the disk (and, for a folder, its entries), so that a rename
// after it never leaves a file that lost its contents in a power cut.
Result syncToDisk(const QString& path, bool folder)
{
#ifdef Q_OS_UNIX
    const int handle = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (handle < 0)
        return Result::failure(fileErrorReason(qt_error_string(errno)));
    const bool synced = ::fsync(handle) == 0;
    const int error = errno;
    ::close(handle);
    if (!synced)
        return Result::failure(fileErrorReason(qt_error_string(error)));
#else
    Q_UNUSED(path);
    Q_UNUSED(folder);
#endif
    return Result();
}

// A copy of `path` beside it, changed by the tag module and checked, then renamed over
// the original. The copy is removed on every road that does not rename it.
class TrackRewrite {
public:
    explicit TrackRewrite(const QString& path) : m_path(path), m_copy(copyTemplate(path)) {}

    Result run(const TagModule& module, const TrackLyrics& lyrics)
    {
        if (!m_copy.open())
            return Result::failure(QStringLiteral("同じフォルダーに一時ファイルを作れません: %1")
                                       .arg(fileErrorReason(m_copy.errorString())));
        const QString copy = m_copy.fileName();
        m_copy.close();
        std::error_code error;
        std::filesystem::copy_file(fsPath(m_path), fsPath(copy), std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error)
            return Result::failure(QStringLiteral("一時ファイルに写せません: %1").arg(reasonOf(error)));
        QFile::setPermissions(copy, QFileInfo(m_path).permissions());

        QString message;
        if (!module.writeLyrics(&copy, &lyrics, &message))
            return Result::failure(message);
        if (const Result same = sameAudioData(m_path, copy); !same.ok())
            return same;
        if (const Result synced = syncToDisk(copy, false); !synced.ok())
            return synced;
        std::filesystem::rename(fsPath(copy), fsPath(m_path), error);
        if (error)
            return Result::failure(QStringLiteral("元のファイルと置き換えられません: %1").arg(reasonOf(error)));
        m_copy.setAutoRemove(false);  // it is the track now
        // The track is replaced: a folder that cannot be synced is no failure of the write.
        if (const Result synced = syncToDisk(QFileInfo(m_path).absolutePath(), true); !synced.ok())
            logWarning(QStringLiteral("the folder of %1 could not be synced: %2").arg(m_path, synced.errorString()));
        return Result();
    }

private:
    // A hidden name in the track's folder, so that the rename stays on one file system.
    static QString copyTemplate(const QString& path)
    {
        const QFileInfo info(path);
        return info.dir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".XXXXXX"));
    }

    QString m_path;
    QTemporaryFile m_copy;
};

}  // namespace

ResultOf<TrackLyrics> readTrackLyrics(const QString& path)
{
    const ResultOf<TagModule>& module = tagModule();
    if (!module.ok())
        return Result::failure(QStringLiteral("タグモジュールがないため、曲の歌詞を読めません"));
    TrackLyrics lyrics;
    QString message;
    if (!module->readLyrics(&path, &lyrics, &message))
        return Result::failure(QStringLiteral("「%1」の歌詞を読めません: %2").arg(shownPath(path), message));
    return lyrics;
}

Result writeTrackLyrics(const QString& path, const TrackLyrics& lyrics)
{
    const auto failure = [&path](const QString& reason) {
        return Result::failure(QStringLiteral("「%1」に歌詞を書き込めません: %2").arg(shownPath(path), reason));
    };
    const QFileInfo info(path);
    if (!info.isFile())
        return failure(info.exists() ? QStringLiteral("ファイルではありません") : QStringLiteral("ファイルがありません"));
    // Through a link, the file it names is rewritten, and the link stays.
    const QString target = info.canonicalFilePath();
    if (trackContainerOfFile(target) == TrackContainer::Rmp)
        return failure(QStringLiteral("RMP ファイルは歌詞を格納できません"));
    if (!QFileInfo(target).isWritable())
        return failure(QStringLiteral("ファイルへの書き込みが許可されていません"));
    const ResultOf<TagModule>& module = tagModule();
    if (!module.ok())
        return failure(QStringLiteral("タグモジュールがありません"));
    TrackRewrite rewrite(target);
    if (const Result written = rewrite.run(module.value(), lyrics); !written.ok())
        return failure(written.errorString());
    return Result();
}

}  // namespace lyricue
