#pragma once

#include "document/recovery_snapshot.h"

#include <QString>

#include <functional>

namespace lyricue {

class LyricsDocument;
class LyricsSheet;
class Prompts;
class RecoveryFolder;

// What a restored copy goes into.
struct RecoveryTargets {
    LyricsDocument& document;
    LyricsSheet& sheet;
    Prompts& prompts;
    // Opens a track as "読込" does, without the lyrics question.
    std::function<void(const QString& path)> reopenTrack;
};

// "前回保存されていない歌詞があります (<track or lyrics file>・<n> 行・<time of the last change>)。復元しますか?"
QString recoveryQuestion(const RecoverySnapshot& snapshot);

// Offers the copies in `folder` whose programs ended unsaved, the newest first, one
// question each: はい restores it and ends the offer (older copies wait for the next
// start); いいえ sets it aside. A copy that cannot be read is reported and set aside
// as damaged.
void offerLeftCopies(const RecoveryFolder& folder, RecoveryTargets& targets);

// Puts the snapshot into the window as one "復元" step: every cell, LineCount, the
// file the lines belong to and its encoding, LyricsPath, StampRow, the current row
// and TrackPath; the track is opened again when its file is still there.
void restoreSnapshot(RecoveryTargets& targets, RecoverySnapshot snapshot);

}  // namespace lyricue
