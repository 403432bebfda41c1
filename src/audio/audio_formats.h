#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace lyricue {

// Which decoder reads a format's tracks.
enum class FormatDecoder { Mpg123, Ffmpeg };

// One music format the program opens, declared once: the open dialog's filters, drag and
// drop, the command line and the desktop file's MimeType list are all made from the table.
struct AudioFormat {
    std::string_view extension;  // lower case, without the dot
    FormatDecoder decoder;
    std::string_view mimeTypes;  // the desktop file's types for it, each followed by ';'
};

// In the order the dialogs list them. The decoder is what files of the format normally
// hold; a file is decoded by what its first bytes show, whatever its extension.
inline constexpr std::array<AudioFormat, 9> kAudioFormats = {{
    {"mp3", FormatDecoder::Mpg123, "audio/mpeg;"},
    {"rmp", FormatDecoder::Mpg123, "audio/x-rmp;"},
    {"flac", FormatDecoder::Ffmpeg, "audio/flac;"},
    {"ogg", FormatDecoder::Ffmpeg, "audio/ogg;audio/x-vorbis+ogg;"},
    {"oga", FormatDecoder::Ffmpeg, "audio/ogg;"},
    {"opus", FormatDecoder::Ffmpeg, "audio/x-opus+ogg;"},
    {"m4a", FormatDecoder::Ffmpeg, "audio/mp4;"},
    {"mp4", FormatDecoder::Ffmpeg, "audio/mp4;"},
    {"wav", FormatDecoder::Ffmpeg, "audio/x-wav;"},
}};

// The format whose extension the path's final suffix is, compared as `sensitivity` says.
[[nodiscard]] const AudioFormat* audioFormatOf(const QString& path,
                                               Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive);

// A file dialog's filter entry "name(*.a,*.b)|*.a;*.b" for the formats `decoder` reads
// (every format when none is given), in the table's order.
[[nodiscard]] QString dialogFilterEntry(const QString& name, std::optional<FormatDecoder> decoder = std::nullopt);

}  // namespace lyricue
