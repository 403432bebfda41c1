#pragma once

#include "base/result.h"

#include <QString>

class QLabel;
class QScrollBar;
class QWidget;

namespace lyricue {

class AudioEngine;

// The window's controls that show the open track.
struct TrackControls {
    QWidget& window;     // its caption gets the track's descriptive texts
    QScrollBar& timebar; // ranges over the track in whole seconds
    QLabel& lbl_time2;   // the total time
};

// Closes any open track and opens SelectedPath in the engine. On success the caption,
// the bar's maximum and the total-time label follow the new track; when the engine
// refuses the file the controls keep the previous track and the failure holds the
// engine's reason, empty when it gives none (the window then says "Open Error").
[[nodiscard]] Result OpenTrack(AudioEngine& engine, const QString& SelectedPath, const TrackControls& controls);

// Puts "second text // first text" of the track's tags into the window caption, for
// paths ending in "mp3" (ID3 tags) or "rmp" (RIFF texts), compared case-sensitively;
// and, from the tag record as for "mp3", for the extensions flac, ogg, oga, opus, m4a,
// mp4 and wav, also lower-case only. Each text is read as UTF-8 when the lyrics files'
// rule takes its bytes for UTF-8, as CP932 otherwise (record_text::fileText).
void ShowTrackCaption(AudioEngine& engine, const QString& SelectedPath, QWidget& window);

}  // namespace lyricue
