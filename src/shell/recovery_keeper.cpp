#include "shell/recovery_keeper.h"

#include "document/lyrics_document.h"
#include "base/prompts.h"

#include <algorithm>

namespace lyricue {

RecoveryKeeper::RecoveryKeeper(Sources sources, const QString& folder, int intervalMs)
    : m_sources(sources), m_folder(folder), m_writer(m_folder.ownCopy(), RecoveryFolder::lockOf(m_folder.ownCopy())),
      m_intervalMs(intervalMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::writeSnapshot);
    QUndoStack& history = m_sources.document.undoStack();
    connect(&history, &QUndoStack::indexChanged, this, &RecoveryKeeper::linesChanged);
    connect(&history, &QUndoStack::cleanChanged, this, &RecoveryKeeper::cleanChanged);
    connect(&m_writer, &RecoveryWriter::written, this, &RecoveryKeeper::copyWritten);
    connect(&m_writer, &RecoveryWriter::failed, this, &RecoveryKeeper::writeFailed);
    if (!history.isClean())
        linesChanged();
}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::linesChanged()
{
    if (m_finished || m_sources.document.undoStack().isClean())
        return;
    m_changedAt = QDateTime::currentDateTime();
    m_pending = true;
    if (m_timer.isActive())
        return;
    // The first change after a quiet spell goes out at once; the ones that follow wait
    // for the interval since that write.
    const qint64 since = m_sinceWrite.isValid() ? m_sinceWrite.elapsed() : m_intervalMs;
    m_timer.start(static_cast<int>(std::max<qint64>(0, m_intervalMs - since)));
}

void RecoveryKeeper::cleanChanged(bool clean)
{
    if (m_finished || !clean)
        return;
    m_timer.stop();
    m_pending = false;
    if (m_onDisk)
        m_writer.remove();
    m_onDisk = false;
}

void RecoveryKeeper::writeSnapshot()
{
    if (!m_pending)
        return;
    RecoverySnapshot snapshot = snapshotOf(m_sources.document);
    snapshot.changedAt = m_changedAt;
    m_writer.write(std::move(snapshot));
    m_sinceWrite.start();
    m_pending = false;
    m_onDisk = true;
}

void RecoveryKeeper::finish()
{
    if (m_finished)
        return;
    m_timer.stop();
    if (m_sources.document.undoStack().isClean()) {
        m_pending = false;
        if (m_onDisk)
            m_writer.remove();
        m_onDisk = false;
    } else {
        // Also when nothing changed since the last write: the cursor may have moved.
        m_pending = true;
        writeSnapshot();
    }
    m_finished = true;
    m_writer.waitUntilDone();
}

void RecoveryKeeper::writeFailed(const QString& message)
{
    // Once: the next write meets the same disk.
    if (m_failureShown || m_finished)
        return;
    m_failureShown = true;
    m_sources.prompts.showMessage(message + QStringLiteral("。このまま異常終了すると、保存していない歌詞は戻せません"));
}

}  // namespace lyricue
