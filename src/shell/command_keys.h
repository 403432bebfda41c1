#pragma once

#include <QString>

namespace lyricue {

// The keys of the commands: each toolbar button's, and the LRC menu's items'.
namespace CommandKey {
inline const QString Open = QStringLiteral("読込");
inline const QString LoadLyrics = QStringLiteral("歌詞読込");
inline const QString SaveLyrics = QStringLiteral("歌詞保存");
inline const QString SaveAndLoad = QStringLiteral("再読込");
inline const QString Play = QStringLiteral("再生");
inline const QString Pause = QStringLiteral("一時停止");
inline const QString Stop = QStringLiteral("停止");
inline const QString Search = QStringLiteral("検索");
inline const QString About = QStringLiteral("情報");
inline const QString Exit = QStringLiteral("終了");
inline const QString ImportLrc = QStringLiteral("LRC読込");
inline const QString ExportLrc = QStringLiteral("LRC書出し");
inline const QString LoadTrackLyrics = QStringLiteral("曲の歌詞を読込");
inline const QString WriteTrackLyrics = QStringLiteral("曲に歌詞を書込");
}  // namespace CommandKey

}  // namespace lyricue
