#pragma once

#include <QString>

struct TrackTagRecord;
struct TrackTextRecord;

// Fills the tag record from the file's ID3v2 tag (falling back to ID3v1) and the
// text record from a RIFF file's LIST/INFO chunk. Both records are zero-filled
// first. False when the file cannot be read at all.
bool readTrackTags(const QString& path, TrackTagRecord& tags, TrackTextRecord& texts);
