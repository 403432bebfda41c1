// The tag module's lyrics functions: lyrics read from and written into a track's tags.
#include "audio/tags/tag_module_entry.h"
#include "audio/track_container.h"
#include "audio/track_lyrics.h"
#include "text/ansi_text.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <memory>
#include <type_traits>

namespace lyricue {

namespace {

const char* const LyricsField = "LYRICS";
const char* const UnsyncedLyricsField = "UNSYNCEDLYRICS";
const char* const Mp4LyricsItem = "\251lyr";
// A SYLT time is 32 bits: 49 days.
constexpr qint64 MaxSyltMs = 0xFFFFFFFF;

QString toQString(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true));
}

TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QByteArray rawBytes(const TagLib::String& text)
{
    const TagLib::ByteVector bytes = text.data(TagLib::String::Latin1);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A frame's text: Latin-1 frames hold raw bytes, CP932 in Japanese files or UTF-8 as
// many tools write them, read by the lyrics files' rule.
template <class Frame>
QString frameText(const Frame& frame, const TagLib::String& text)
{
    if (frame.textEncoding() == TagLib::String::Latin1)
        return decodeUnmarked(rawBytes(text)).text;
    return toQString(text);
}

TagLib::ID3v2::FrameList framesWithId(const TagLib::ID3v2::Tag& tag, const char* frameId)
{
    const TagLib::ID3v2::FrameListMap& map = tag.frameListMap();
    const auto found = map.find(TagLib::ByteVector(frameId, 4));
    return found == map.end() ? TagLib::ID3v2::FrameList() : found->second;
}

// The frame players take: the one without a description (SYLT: of lyrics), else the first.
template <class Frame, class Preferred>
const Frame* chosenFrame(const TagLib::ID3v2::Tag& tag, const char* frameId, Preferred preferred)
{
    const Frame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : framesWithId(tag, frameId)) {
        const auto* candidate = dynamic_cast<const Frame*>(frame);
        if (!candidate)
            continue;
        if (!chosen || (preferred(*candidate) && !preferred(*chosen)))
            chosen = candidate;
    }
    return chosen;
}

QString withoutLineBreaks(QString text)
{
    while (text.startsWith(u'\r') || text.startsWith(u'\n'))
        text.remove(0, 1);
    while (text.endsWith(u'\r') || text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// The SYLT lines in milliseconds. `msPerFrame` converts a time in MPEG frames (0 when
// the file gives no frame length). Entries that each start a line with a line break
// (syllables) are joined into one line per break; otherwise every entry is a line.
std::vector<TrackLyrics::TimedLine> timedLinesOf(const TagLib::ID3v2::SynchronizedLyricsFrame& frame, double msPerFrame)
{
    const TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList entries = frame.synchedText();
    const bool inFrames = frame.timestampFormat() == TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMpegFrames;
    // Latin-1 texts are the file's bytes: their encoding is decided over all of them.
    QByteArray allBytes;
    const bool latin1 = frame.textEncoding() == TagLib::String::Latin1;
    if (latin1) {
        for (const auto& entry : entries)
            allBytes += rawBytes(entry.text) + '\n';
    }
    const TextEncoding encoding = latin1 ? decodeUnmarked(allBytes).encoding : TextEncoding::Utf8;
    const auto startsLine = [](const QString& text) { return text.startsWith(u'\n') || text.startsWith(u'\r'); };
    std::vector<TrackLyrics::TimedLine> pieces;
    int breaks = 0;
    for (const auto& entry : entries) {
        const QString text = latin1 ? decodeText(rawBytes(entry.text), encoding) : toQString(entry.text);
        const qint64 ms = inFrames ? static_cast<qint64>(entry.time * msPerFrame) : qint64(entry.time);
        if (!pieces.empty() && startsLine(text))
            ++breaks;
        pieces.push_back({ms, text});
    }
    // Syllables: some entries after the first start a line, and some do not.
    const bool syllables = breaks > 0 && breaks + 1 < static_cast<int>(pieces.size());
    std::vector<TrackLyrics::TimedLine> lines;
    for (TrackLyrics::TimedLine& piece : pieces) {
        if (syllables && !lines.empty() && !startsLine(piece.text))
            lines.back().text += withoutLineBreaks(piece.text);
        else
            lines.push_back({piece.ms, withoutLineBreaks(piece.text)});
    }
    return lines;
}

void readId3Lyrics(const TagLib::ID3v2::Tag& tag, double msPerFrame, TrackLyrics& lyrics)
{
    using Sylt = TagLib::ID3v2::SynchronizedLyricsFrame;
    using Uslt = TagLib::ID3v2::UnsynchronizedLyricsFrame;
    if (const Sylt* sylt = chosenFrame<Sylt>(tag, "SYLT", [](const Sylt& f) { return f.type() == Sylt::Lyrics; })) {
        lyrics.timedLines = timedLinesOf(*sylt, msPerFrame);
        if (!lyrics.timedLines.empty())
            lyrics.timedSource = QStringLiteral("ID3v2 SYLT");
    }
    if (const Uslt* uslt = chosenFrame<Uslt>(tag, "USLT", [](const Uslt& f) { return f.description().isEmpty(); })) {
        lyrics.text = frameText(*uslt, uslt->text());
        if (!lyrics.text.isEmpty())
            lyrics.textSource = QStringLiteral("ID3v2 USLT");
    }
}

// Samples per MPEG frame: 384 for layer I, 1152 for layer II and MPEG-1 layer III, 576 otherwise.
double mpegMsPerFrame(const TagLib::MPEG::Properties* properties)
{
    if (!properties || properties->sampleRate() <= 0)
        return 0;
    const int samples = properties->layer() == 1                                       ? 384
                        : properties->layer() == 2                                     ? 1152
                        : properties->version() == TagLib::MPEG::Header::Version1      ? 1152
                                                                                       : 576;
    return samples * 1000.0 / properties->sampleRate();
}

void readXiphLyrics(const TagLib::Ogg::XiphComment* comment, TrackLyrics& lyrics)
{
    if (!comment)
        return;
    const TagLib::Ogg::FieldListMap fields = comment->fieldListMap();
    for (const char* name : {LyricsField, UnsyncedLyricsField}) {
        const auto found = fields.find(name);
        if (found == fields.end() || found->second.isEmpty() || found->second.front().isEmpty())
            continue;
        lyrics.text = toQString(found->second.front());
        lyrics.textSource = QStringLiteral("Vorbis comment %1").arg(QLatin1String(name));
        return;
    }
}

// What the first packet of an Ogg file says it carries.
enum class OggCodec { Vorbis, Opus, Flac, Other };

OggCodec oggCodecOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OggCodec::Other;
    const QByteArray head = file.read(27);
    if (head.size() < 27)
        return OggCodec::Other;
    const int segments = static_cast<unsigned char>(head.at(26));
    file.skip(segments);
    const QByteArray packet = file.read(8);
    if (packet.startsWith("\x01vorbis"))
        return OggCodec::Vorbis;
    if (packet.startsWith("OpusHead"))
        return OggCodec::Opus;
    if (packet.startsWith("\x7F" "FLAC"))
        return OggCodec::Flac;
    return OggCodec::Other;
}

// The Ogg file of the codec it carries, or none for a codec no lyrics are written for.
std::unique_ptr<TagLib::File> openOgg(const QString& path, const char* fileName)
{
    switch (oggCodecOf(path)) {
    case OggCodec::Vorbis:
        return std::make_unique<TagLib::Ogg::Vorbis::File>(fileName, false);
    case OggCodec::Opus:
        return std::make_unique<TagLib::Ogg::Opus::File>(fileName, false);
    case OggCodec::Flac:
        return std::make_unique<TagLib::Ogg::FLAC::File>(fileName, false);
    case OggCodec::Other:
        break;
    }
    return nullptr;
}

TagLib::Ogg::XiphComment* oggComment(TagLib::File& file)
{
    return dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag());
}

bool readLyrics(const QString& path, TrackLyrics& lyrics)
{
    const QByteArray fileName = QFile::encodeName(path);
    switch (trackContainerOfFile(path)) {
    case TrackContainer::Mpeg: {
        TagLib::MPEG::File file(fileName.constData(), true);
        if (!file.isOpen())
            return false;
        if (file.hasID3v2Tag())
            readId3Lyrics(*file.ID3v2Tag(), mpegMsPerFrame(file.audioProperties()), lyrics);
        return true;
    }
    case TrackContainer::Wave: {
        TagLib::RIFF::WAV::File file(fileName.constData(), true);
        if (!file.isOpen())
            return false;
        // A WAVE file has no MPEG frames: a time in frames counts sample frames.
        const int rate = file.audioProperties() ? file.audioProperties()->sampleRate() : 0;
        if (file.hasID3v2Tag())
            readId3Lyrics(*file.ID3v2Tag(), rate > 0 ? 1000.0 / rate : 0, lyrics);
        return true;
    }
    case TrackContainer::Rmp:
        return true;  // RIFF texts only
    case TrackContainer::Flac: {
        TagLib::FLAC::File file(fileName.constData(), false);
        if (!file.isOpen())
            return false;
        readXiphLyrics(file.hasXiphComment() ? file.xiphComment() : nullptr, lyrics);
        return true;
    }
    case TrackContainer::Ogg: {
        const std::unique_ptr<TagLib::File> file = openOgg(path, fileName.constData());
        if (file && file->isOpen())
            readXiphLyrics(oggComment(*file), lyrics);
        return true;
    }
    case TrackContainer::Mp4: {
        TagLib::MP4::File file(fileName.constData(), false);
        if (!file.isOpen())
            return false;
        if (file.hasMP4Tag() && file.tag()->contains(Mp4LyricsItem)) {
            lyrics.text = toQString(file.tag()->item(Mp4LyricsItem).toStringList().toString("\n"));
            if (!lyrics.text.isEmpty())
                lyrics.textSource = QStringLiteral("MP4 ©lyr");
        }
        return true;
    }
    }
    return false;
}

// ISO 639-2 for the lyrics: Japanese when they hold kana or kanji, else undetermined.
TagLib::ByteVector languageOf(const TrackLyrics& lyrics)
{
    for (const QChar c : lyrics.text) {
        const QChar::Script script = c.script();
        if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana || script == QChar::Script_Han)
            return TagLib::ByteVector("jpn", 3);
    }
    return TagLib::ByteVector("und", 3);
}

// One SYLT of the timed lines (milliseconds, lyrics, no description) and one USLT of the
// text, in place of every lyrics frame the tag held; UTF-8 in v2.4, UTF-16 in v2.3.
void putId3Lyrics(TagLib::ID3v2::Tag& tag, const TrackLyrics& lyrics, TagLib::ID3v2::Version version)
{
    tag.removeFrames("SYLT");
    tag.removeFrames("USLT");
    const TagLib::String::Type encoding = version == TagLib::ID3v2::v3 ? TagLib::String::UTF16 : TagLib::String::UTF8;
    const TagLib::ByteVector language = languageOf(lyrics);
    if (!lyrics.timedLines.empty()) {
        using Sylt = TagLib::ID3v2::SynchronizedLyricsFrame;
        auto* sylt = new Sylt(encoding);
        sylt->setLanguage(language);
        sylt->setTimestampFormat(Sylt::AbsoluteMilliseconds);
        sylt->setType(Sylt::Lyrics);
        Sylt::SynchedTextList entries;
        for (const TrackLyrics::TimedLine& line : lyrics.timedLines)
            entries.append(Sylt::SynchedText(static_cast<unsigned int>(std::clamp<qint64>(line.ms, 0, MaxSyltMs)),
                                             toTagLib(line.text)));
        sylt->setSynchedText(entries);
        tag.addFrame(sylt);
    }
    if (!lyrics.text.isEmpty()) {
        auto* uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(encoding);
        uslt->setLanguage(language);
        uslt->setText(toTagLib(lyrics.text));
        tag.addFrame(uslt);
    }
}

// The version the tag has: v2.3 stays v2.3; v2.2 (which TagLib cannot write), v2.4 and
// a file without a tag get v2.4.
TagLib::ID3v2::Version keptVersion(bool hasTag, TagLib::ID3v2::Tag* tag)
{
    return hasTag && tag->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
}

void putXiphLyrics(TagLib::Ogg::XiphComment& comment, const TrackLyrics& lyrics)
{
    comment.removeFields(UnsyncedLyricsField);
    comment.removeFields(LyricsField);
    if (!lyrics.text.isEmpty())
        comment.addField(LyricsField, toTagLib(lyrics.text));
}

const QString NotTheFormat = QStringLiteral("ファイルが壊れているか、拡張子の形式ではありません");
const QString NotSaved = QStringLiteral("タグを保存できません");

// Writes the lyrics; the reason when it cannot.
QString writeLyrics(const QString& path, const TrackLyrics& lyrics)
{
    const QByteArray fileName = QFile::encodeName(path);
    switch (trackContainerOfFile(path)) {
    case TrackContainer::Mpeg: {
        TagLib::MPEG::File file(fileName.constData(), false);
        if (!file.isValid() || file.firstFrameOffset() < 0)
            return NotTheFormat;
        const TagLib::ID3v2::Version version = keptVersion(file.hasID3v2Tag(), file.ID3v2Tag());
        putId3Lyrics(*file.ID3v2Tag(true), lyrics, version);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate)
                   ? QString()
                   : NotSaved;
    }
    case TrackContainer::Wave: {
        TagLib::RIFF::WAV::File file(fileName.constData(), false);
        if (!file.isValid())
            return NotTheFormat;
        const TagLib::ID3v2::Version version = keptVersion(file.hasID3v2Tag(), file.ID3v2Tag());
        putId3Lyrics(*file.ID3v2Tag(), lyrics, version);
        return file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone, version) ? QString() : NotSaved;
    }
    case TrackContainer::Rmp:
        return QStringLiteral("RMP ファイルは歌詞を格納できません");
    case TrackContainer::Flac: {
        TagLib::FLAC::File file(fileName.constData(), false);
        if (!file.isValid())
            return NotTheFormat;
        putXiphLyrics(*file.xiphComment(true), lyrics);
        return file.save() ? QString() : NotSaved;
    }
    case TrackContainer::Ogg: {
        const std::unique_ptr<TagLib::File> file = openOgg(path, fileName.constData());
        if (!file)
            return QStringLiteral("この Ogg ファイルの形式には歌詞を書き込めません (Vorbis, Opus, FLAC のみ)");
        if (!file->isValid() || !oggComment(*file))
            return NotTheFormat;
        putXiphLyrics(*oggComment(*file), lyrics);
        return file->save() ? QString() : NotSaved;
    }
    case TrackContainer::Mp4: {
        TagLib::MP4::File file(fileName.constData(), false);
        if (!file.isValid() || !file.tag())
            return NotTheFormat;
        if (lyrics.text.isEmpty())
            file.tag()->removeItem(Mp4LyricsItem);
        else
            file.tag()->setItem(Mp4LyricsItem, TagLib::MP4::Item(TagLib::StringList(toTagLib(lyrics.text))));
        return file.save() ? QString() : NotSaved;
    }
    }
    return NotTheFormat;
}

}  // namespace

extern "C" Q_DECL_EXPORT bool lyricue_read_track_lyrics(const QString* path, TrackLyrics* lyrics, QString* message)
{
    *lyrics = TrackLyrics();
    const QFileInfo info(*path);
    if (!info.isFile() || !info.isReadable()) {
        *message = info.exists() ? QStringLiteral("読み取りが許可されていません") : QStringLiteral("ファイルがありません");
        return false;
    }
    try {
        if (readLyrics(*path, *lyrics))
            return true;
        *message = NotTheFormat;
    } catch (const std::exception&) {
        *lyrics = TrackLyrics();
        *message = QStringLiteral("タグを読み取れません (メモリ不足など)");
    }
    return false;
}

extern "C" Q_DECL_EXPORT bool lyricue_write_track_lyrics(const QString* path, const TrackLyrics* lyrics, QString* message)
{
    try {
        *message = writeLyrics(*path, *lyrics);
    } catch (const std::exception&) {
        *message = QStringLiteral("タグを書き込めません (メモリ不足など)");
    }
    return message->isEmpty();
}

static_assert(std::is_same_v<decltype(&lyricue_read_track_lyrics), TagLyricsReadEntry>);
static_assert(std::is_same_v<decltype(&lyricue_write_track_lyrics), TagLyricsWriteEntry>);

}  // namespace lyricue
