#pragma once

#include "document/recovery_snapshot.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace lyricue {

// Writes one recovery copy on a thread of its own, so that the window never waits on
// the disk. Only the newest job waits: one handed in while another is being done
// replaces any still waiting. The copy's lock is taken before its first write and
// held until the writer ends.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    RecoveryWriter(QString copyPath, QString lockPath);
    ~RecoveryWriter() override;  // after the jobs handed in are done

    void write(RecoverySnapshot snapshot);
    void remove();
    // Blocks until every job handed in is done.
    void waitUntilDone();

signals:
    // Sent from the writer's thread: connected receivers on another thread get them queued.
    void written();
    void failed(const QString& message);

private:
    struct Job {
        bool remove = false;
        RecoverySnapshot snapshot;
    };
    void hand(Job job);
    void run();
    Result writeCopy(const RecoverySnapshot& snapshot);

    const QString m_copyPath;
    QLockFile m_lock;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::optional<Job> m_waiting;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;  // from the first job on
};

}  // namespace lyricue
