#include "shell/recovery_writer.h"

#include "text/ansi_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


namespace lyricue {

RecoveryWriter::RecoveryWriter(QString copyPath, QString lockPath)
    : m_copyPath(std::move(copyPath)), m_lock(lockPath)
{
    m_lock.setStaleLockTime(0);
}

RecoveryWriter::~RecoveryWriter()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecoveryWriter::write(RecoverySnapshot snapshot)
{
    hand({false, std::move(snapshot)});
}

void RecoveryWriter::remove()
{
    hand({true, {}});
}

void RecoveryWriter::hand(Job job)
{
    std::optional<Job> replaced;  // freed outside the lock
    {
        const std::lock_guard guard(m_mutex);
        replaced = std::exchange(m_waiting, std::move(job));
    }
    // Started with the first job, so that a program that never has unsaved lines pays nothing.
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    m_wake.notify_one();
}

void RecoveryWriter::waitUntilDone()
{
    std::unique_lock guard(m_mutex);
    m_done.wait(guard, [this] { return !m_waiting && !m_busy; });
}

void RecoveryWriter::run()
{
    std::unique_lock guard(m_mutex);
    for (;;) {
        m_wake.wait(guard, [this] { return m_waiting || m_stopping; });
        if (!m_waiting)
            return;
        Job job = std::move(*m_waiting);
        m_waiting.reset();
        m_busy = true;
        guard.unlock();
        if (job.remove) {
            QFile::remove(m_copyPath);
        } else if (const Result result = writeCopy(job.snapshot); result.ok()) {
            emit written();
        } else {
            emit failed(result.errorString());
        }
        job = Job();  // the snapshot's texts are let go before the window is told
        guard.lock();
        m_busy = false;
        if (!m_waiting)
            m_done.notify_all();
    }
}

Result RecoveryWriter::writeCopy(const RecoverySnapshot& snapshot)
{
    const auto failure = [this](const QString& reason) {
        return Result::failure(QStringLiteral("復元用の控え「%1」を書き込めません: %2")
                                   .arg(QDir::toNativeSeparators(m_copyPath), reason));
    };
    if (!m_lock.isLocked()) {
        QDir().mkpath(QFileInfo(m_copyPath).absolutePath());
        if (!m_lock.tryLock(0))
            return failure(m_lock.error() == QLockFile::PermissionError
                               ? QStringLiteral("フォルダーに書き込む権限がありません")
                               : QStringLiteral("印のファイルを作れません"));
    }
    if (const Result written = writeFileBytes(m_copyPath, recoveryBytes(snapshot)); !written.ok())
        return failure(written.errorString());
    return Result();
}

}  // namespace lyricue
