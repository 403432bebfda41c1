#include "shell/recovery_folder.h"

#include "base/file_error_reason.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>

namespace lyricue {

namespace {

const QString CopyPrefix = QStringLiteral("recovery-");
const QString CopySuffix = QStringLiteral(".dat");

}  // namespace

QString RecoveryFolder::standardPath()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Lyricue/recovery");
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
#endif
}

RecoveryFolder::RecoveryFolder(QString path) : m_path(std::move(path))
{
    // The process number tells whose copy it is; the random number keeps a copy left
    // by an earlier process of the same number (before a reboot) from being written over.
    m_ownCopy = QDir(m_path).filePath(CopyPrefix + QString::number(QCoreApplication::applicationPid()) + u'-'
                                      + QString::number(QRandomGenerator::global()->generate(), 16) + CopySuffix);
}

QString RecoveryFolder::lockOf(const QString& copy)
{
    return copy.chopped(CopySuffix.size()) + QStringLiteral(".lock");
}

std::vector<RecoveryFolder::LeftCopy> RecoveryFolder::takeLeftCopies() const
{
    // A program killed while it wrote its copy leaves the unfinished file beside it
    // (the copy's name and a suffix); once that program is gone, nobody finishes it.
    const QFileInfoList unfinished =
        QDir(m_path).entryInfoList({CopyPrefix + u'*' + CopySuffix + QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : unfinished) {
        const QString name = file.absoluteFilePath();
        const QString copy = name.left(name.lastIndexOf(CopySuffix) + CopySuffix.size());
        QLockFile lock(lockOf(copy));
        lock.setStaleLockTime(0);
        if (copy != m_ownCopy && lock.tryLock(0))
            QFile::remove(name);
    }

    const QFileInfoList found =
        QDir(m_path).entryInfoList({CopyPrefix + u'*' + CopySuffix}, QDir::Files | QDir::Hidden, QDir::Time);
    std::vector<LeftCopy> left;
    for (const QFileInfo& file : found) {
        const QString copy = file.absoluteFilePath();
        if (copy == m_ownCopy)
            continue;
        auto lock = std::make_unique<QLockFile>(lockOf(copy));
        // Held for as long as its program runs, however long that is: only a lock whose
        // process is gone is stale.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0))
            left.push_back({copy, std::move(lock)});
    }
    return left;
}

QString RecoveryFolder::setAsidePath() const
{
    return QDir(m_path).filePath(QStringLiteral("set-aside.dat"));
}

QString RecoveryFolder::damagedPath() const
{
    return QDir(m_path).filePath(QStringLiteral("damaged.dat"));
}

Result RecoveryFolder::setAside(const QString& copy, const QString& aside)
{
    if (QFileInfo::exists(aside))
        QFile::remove(aside);
    QFile file(copy);
    if (!file.rename(aside))
        return Result::failure(QStringLiteral("「%1」を「%2」に移せません: %3")
                                   .arg(QDir::toNativeSeparators(copy), QDir::toNativeSeparators(aside),
                                        fileErrorReason(file.errorString())));
    return Result();
}

}  // namespace lyricue
