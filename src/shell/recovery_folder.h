#pragma once

#include "base/result.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

namespace lyricue {

// The per-user folder of recovery copies. Each running program writes a copy of its
// own, named after its process and a random number, beside a lock it holds while it
// runs; a copy whose lock nobody holds was left by a program that ended unsaved.
class RecoveryFolder {
public:
    // <XDG_STATE_HOME, or ~/.local/state>/Lyricue/recovery on Linux; elsewhere the
    // program's local data folder.
    static QString standardPath();

    explicit RecoveryFolder(QString path);
    const QString& path() const { return m_path; }

    // This program's copy and its lock: names no other program uses.
    const QString& ownCopy() const { return m_ownCopy; }
    static QString lockOf(const QString& copy);

    // A copy left by a program that is gone, locked for this one while it is held.
    struct LeftCopy {
        QString path;
        std::unique_ptr<QLockFile> lock;
    };
    // The copies whose programs are gone, the most recently written first.
    std::vector<LeftCopy> takeLeftCopies() const;

    // Where a copy goes that the user declined or that was restored, and where a
    // damaged one goes; each replaces the one set aside there before.
    QString setAsidePath() const;
    QString damagedPath() const;
    // Moves `copy` to `aside` (replacing what was there).
    static Result setAside(const QString& copy, const QString& aside);

private:
    QString m_path;
    QString m_ownCopy;
};

}  // namespace lyricue
