#include "shell/recovery_offer.h"

#include "document/lyrics_document.h"
#include "shell/lyrics_files.h"
#include "text/ansi_text.h"
#include "base/prompts.h"
#include "shell/recovery_folder.h"
#include "sheet/lyrics_sheet.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace lyricue {

namespace {

// The name the user knows the lyrics by: the track's, else the lyrics file's.
QString shownName(const RecoverySnapshot& snapshot)
{
    for (const QString* path : {&snapshot.trackPath, &snapshot.content.lyricsPath, &snapshot.content.sourcePath})
        if (!path->isEmpty())
            return QFileInfo(*path).fileName();
    return QStringLiteral("名前のない歌詞");
}

ResultOf<RecoverySnapshot> readCopy(const QString& path)
{
    // Far more than 32,766 lines of lyrics take: some other file, not read into memory.
    constexpr qint64 LargestCopy = qint64(256) << 20;
    if (QFileInfo(path).size() > LargestCopy)
        return Result::failure(QStringLiteral("控えにしては大きすぎます"));
    const ResultOf<QByteArray> bytes = readFileBytes(path);
    if (!bytes.ok())
        return Result::failure(bytes.errorString());
    return recoverySnapshotOf(bytes.value());
}

}  // namespace

QString recoveryQuestion(const RecoverySnapshot& snapshot)
{
    return QStringLiteral("前回保存されていない歌詞があります (%1・%2 行・%3)。復元しますか?")
        .arg(shownName(snapshot), QString::number(snapshot.content.lines.size()),
             snapshot.changedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

void offerLeftCopies(const RecoveryFolder& folder, RecoveryTargets& targets)
{
    Prompts& prompts = targets.prompts;
    for (RecoveryFolder::LeftCopy& copy : folder.takeLeftCopies()) {
        ResultOf<RecoverySnapshot> snapshot = readCopy(copy.path);
        if (!snapshot.ok()) {
            const Result aside = RecoveryFolder::setAside(copy.path, folder.damagedPath());
            prompts.showMessage(QStringLiteral("前回の歌詞の控え「%1」は復元できません: %2。")
                                    .arg(QDir::toNativeSeparators(copy.path), snapshot.errorString())
                                + (aside.ok() ? QStringLiteral("「%1」に移しました")
                                                    .arg(QDir::toNativeSeparators(folder.damagedPath()))
                                              : aside.errorString()));
            continue;
        }
        const bool restore = prompts.askYesNo(recoveryQuestion(snapshot.value())) == AnswerYes;
        if (restore)
            restoreSnapshot(targets, std::move(snapshot).value());
        // A restored copy too, until this program's own copy has the lines.
        if (const Result aside = RecoveryFolder::setAside(copy.path, folder.setAsidePath()); !aside.ok())
            prompts.showMessage(aside.errorString());
        if (restore)
            return;
    }
}

void restoreSnapshot(RecoveryTargets& targets, RecoverySnapshot snapshot)
{
    if (!snapshot.trackPath.isEmpty() && QFileInfo(snapshot.trackPath).isFile())
        targets.reopenTrack(snapshot.trackPath);
    targets.document.setTrackPath(snapshot.trackPath);
    const int row = snapshot.content.cursor.row;
    replaceLyrics(targets.document, std::move(snapshot.content), QStringLiteral("復元"));
    targets.document.setCellsAt(0, {snapshot.header[0], snapshot.header[1]});
    // Where stamping would have scrolled to: the current row as the seventh shown.
    targets.sheet.setTopRow(std::max(1, row - 6));
}

}  // namespace lyricue
