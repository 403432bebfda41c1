#pragma once

#include "shell/recovery_folder.h"
#include "shell/recovery_writer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace lyricue {

class LyricsDocument;
class Prompts;

// Keeps the recovery copy of the window's lyrics while their lines are unsaved (the
// history away from its clean state): a snapshot at most every `intervalMs` while
// changes come, the last change always within it, written off the user-interface
// thread. The copy goes when the lines are saved again, and stays when the program
// ends with them unsaved.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    struct Sources {
        LyricsDocument& document;
        Prompts& prompts;  // tells of the first copy that cannot be written
    };
    RecoveryKeeper(Sources sources, const QString& folder, int intervalMs);
    ~RecoveryKeeper() override;

    const RecoveryFolder& folder() const { return m_folder; }
    // The program ends: the copy is removed when the lines are saved, else brought up
    // to date; returns once the disk has it. Changes after it are not kept.
    void finish();

signals:
    void copyWritten();

private:
    void linesChanged();
    void cleanChanged(bool clean);
    void writeSnapshot();
    void writeFailed(const QString& message);

    Sources m_sources;
    RecoveryFolder m_folder;
    RecoveryWriter m_writer;
    QTimer m_timer;
    const int m_intervalMs;
    QElapsedTimer m_sinceWrite;  // invalid before the first write
    QDateTime m_changedAt;
    bool m_pending = false;   // a change not yet handed to the writer
    bool m_onDisk = false;    // a copy was handed to the writer and not removed since
    bool m_finished = false;
    bool m_failureShown = false;
};

}  // namespace lyricue
