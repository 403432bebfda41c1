#include "audio/tag_reader.h"
#include "audio/tags/tag_module_entry.h"

#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "audio/track_container.h"
#include "text/record_text.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

#include <cstring>
#include <iterator>
#include <type_traits>

namespace lyricue {

namespace {

constexpr int NoGenre = 255;
// 〓 in CP932, shown for a character CP932 cannot hold.
const QChar Substitute(u'\u3013');
// A field holds at most 127 bytes, so no more characters are ever needed.
constexpr qsizetype MaxFieldChars = 128;

// RIFF INFO texts as Latin-1 code units, i.e. the raw bytes: TagLib's default
// handler decodes UTF-8 and loses Shift_JIS. Whether they are UTF-8 or CP932 is
// decided where they are read (record_text::fileText), by the lyrics files' rule.
class RawInfoStringHandler : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        return TagLib::String(data, TagLib::String::Latin1);
    }
};

// ID3v1 fields as raw bytes; TagLib's default also strips leading blanks.
class RawId3v1StringHandler : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        return TagLib::String(data, TagLib::String::Latin1);
    }
};

void installRawStringHandlers()
{
    // TagLib keeps these handlers globally; they are set once and never changed.
    static RawInfoStringHandler infoHandler;
    static RawId3v1StringHandler id3v1Handler;
    static const bool installed = [] {
        TagLib::RIFF::Info::Tag::setStringHandler(&infoHandler);
        TagLib::ID3v1::Tag::setStringHandler(&id3v1Handler);
        return true;
    }();
    (void)installed;
}

// The Latin-1 code units of a TagLib string, which are the bytes it was read from.
QByteArray rawBytes(const TagLib::String& text)
{
    const TagLib::ByteVector bytes = text.data(TagLib::String::Latin1);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString toQString(const TagLib::String& text)
{
    QString result;
    for (const wchar_t unit : text.toWString()) {
        const auto code = static_cast<char32_t>(unit);
        if (code > 0xFFFF)
            result.append(QChar::fromUcs4(code));
        else
            result.append(QChar(static_cast<char16_t>(code)));
    }
    return result;
}

// Unicode text to CP932 for display: whatever CP932 cannot hold becomes 〓.
QByteArray displayCp932(QString text)
{
    if (text.size() > MaxFieldChars) {
        text.truncate(MaxFieldChars);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    // encodeCp932 would turn lone surrogates into single raw bytes; in a Unicode
    // tag they are only broken text.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = Substitute;
    }
    for (qsizetype attempt = 0; attempt <= text.size(); ++attempt) {
        const EncodeResult encoded = encodeCp932(text);
        if (encoded.ok())
            return encoded.bytes;
        const qsizetype at = encoded.errorOffset;
        if (at < 0 || at >= text.size())
            break;
        const bool pair = text.at(at).isHighSurrogate() && at + 1 < text.size();
        text.replace(at, pair ? 2 : 1, Substitute);
    }
    return QByteArray();
}

// True when the frame's text is Latin-1, i.e. its raw bytes. TagLib keeps a damaged
// frame's encoding byte as read, which may be no String::Type at all: the encoding is
// compared as returned and never held in a variable of that type.
template <class Frame>
bool isLatin1(const Frame& frame)
{
    return frame.textEncoding() == TagLib::String::Latin1;
}

QByteArray fieldBytes(const TagLib::String& text, bool latin1)
{
    return latin1 ? rawBytes(text) : displayCp932(toQString(text));
}

// The frames with this id; empty when there are none.
TagLib::ID3v2::FrameList framesWithId(const TagLib::ID3v2::Tag& tag, const char* frameId)
{
    const TagLib::ID3v2::FrameListMap& map = tag.frameListMap();
    const auto found = map.find(TagLib::ByteVector(frameId, 4));
    return found == map.end() ? TagLib::ID3v2::FrameList() : found->second;
}

const TagLib::ID3v2::TextIdentificationFrame* textFrame(const TagLib::ID3v2::Tag& tag, const char* frameId)
{
    const TagLib::ID3v2::FrameList frames = framesWithId(tag, frameId);
    return frames.isEmpty()
        ? nullptr
        : dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
}

QByteArray textFrameBytes(const TagLib::ID3v2::Tag& tag, const char* frameId)
{
    const auto* frame = textFrame(tag, frameId);
    return frame ? fieldBytes(frame->toString(), isLatin1(*frame)) : QByteArray();
}

// The comment without a description, else the first one.
QByteArray commentBytes(const TagLib::ID3v2::Tag& tag)
{
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : framesWithId(tag, "COMM")) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (!comment)
            continue;
        if (!chosen || (comment->description().isEmpty() && !chosen->description().isEmpty()))
            chosen = comment;
    }
    return chosen ? fieldBytes(chosen->text(), isLatin1(*chosen)) : QByteArray();
}

struct Genre {
    int number = NoGenre;
    QByteArray name;
};

// TagLib has already turned ID3v2.3 "(17)" into the field "17".
Genre id3v2Genre(const TagLib::ID3v2::Tag& tag)
{
    Genre genre;
    const auto* frame = textFrame(tag, "TCON");
    if (!frame)
        return genre;
    for (const TagLib::String& field : frame->fieldList()) {
        bool numeric = false;
        const int number = field.toInt(&numeric);
        if (numeric && number >= 0 && number < NoGenre) {
            if (genre.number == NoGenre)
                genre.number = number;
            if (genre.name.isEmpty())
                genre.name = rawBytes(TagLib::ID3v1::genre(number));
            continue;
        }
        if (genre.name.isEmpty())
            genre.name = fieldBytes(field, isLatin1(*frame));
        if (genre.number == NoGenre)
            genre.number = TagLib::ID3v1::genreIndex(field);
    }
    return genre;
}

QByteArray withoutTrailingBlanks(QByteArray bytes)
{
    while (bytes.endsWith(' '))
        bytes.chop(1);
    return bytes;
}

template <std::size_t N>
void storeWithFallback(char (&field)[N], const QByteArray& primary, const QByteArray& fallback)
{
    record_text::storeFileText(field, primary.isEmpty() ? fallback : primary);
}

void readId3Tags(const QByteArray& fileName, TrackTagRecord& tags)
{
    TagLib::MPEG::File file(fileName.constData(), false);
    if (!file.isOpen())
        return;
    TagLib::ID3v2::Tag* v2 = file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    TagLib::ID3v1::Tag* v1 = file.hasID3v1Tag() ? file.ID3v1Tag() : nullptr;

    auto v2Text = [v2](const char* frameId) { return v2 ? textFrameBytes(*v2, frameId) : QByteArray(); };
    auto v1Text = [v1](TagLib::String (TagLib::ID3v1::Tag::*field)() const) {
        return v1 ? withoutTrailingBlanks(rawBytes((v1->*field)())) : QByteArray();
    };
    const QByteArray v1Year = v1 && v1->year() ? QByteArray::number(v1->year()) : QByteArray();

    storeWithFallback(tags.title, v2Text("TIT2"), v1Text(&TagLib::ID3v1::Tag::title));
    storeWithFallback(tags.artist, v2Text("TPE1"), v1Text(&TagLib::ID3v1::Tag::artist));
    storeWithFallback(tags.album, v2Text("TALB"), v1Text(&TagLib::ID3v1::Tag::album));
    storeWithFallback(tags.year, v2Text("TDRC"), v1Year);
    storeWithFallback(tags.comment, v2 ? commentBytes(*v2) : QByteArray(), v1Text(&TagLib::ID3v1::Tag::comment));

    Genre genre = v2 ? id3v2Genre(*v2) : Genre();
    const int v1Genre = v1 ? static_cast<int>(v1->genreNumber()) : NoGenre;
    if (genre.number == NoGenre && v1Genre >= 0 && v1Genre < NoGenre)
        genre.number = v1Genre;
    if (genre.name.isEmpty() && genre.number != NoGenre)
        genre.name = rawBytes(TagLib::ID3v1::genre(genre.number));
    tags.genreNumber = genre.number;
    record_text::storeFileText(tags.genreName, genre.name);
}

// Title, artist and album of a WAVE file: its "id3 " chunk, else its INFO texts (raw
// bytes: CP932 as in an RMP file, or UTF-8 as ffmpeg and many editors write them).
void readWaveTags(const QByteArray& fileName, TrackTagRecord& tags)
{
    TagLib::RIFF::WAV::File file(fileName.constData(), false);
    if (!file.isOpen())
        return;
    TagLib::ID3v2::Tag* id3 = file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    TagLib::RIFF::Info::Tag* info = file.hasInfoTag() ? file.InfoTag() : nullptr;
    auto id3Text = [id3](const char* frameId) { return id3 ? textFrameBytes(*id3, frameId) : QByteArray(); };
    auto infoText = [info](const char* chunkId) {
        return info ? rawBytes(info->fieldText(TagLib::ByteVector(chunkId, 4))) : QByteArray();
    };
    storeWithFallback(tags.title, id3Text("TIT2"), infoText("INAM"));
    storeWithFallback(tags.artist, id3Text("TPE1"), infoText("IART"));
    storeWithFallback(tags.album, id3Text("TALB"), infoText("IPRD"));
}

// Title, artist and album of FLAC, Ogg and MP4 files (Vorbis comments, MP4 atoms),
// which are Unicode.
void readUnicodeTags(const QByteArray& fileName, TrackTagRecord& tags)
{
    const TagLib::FileRef file(fileName.constData(), false);
    if (file.isNull() || file.tag() == nullptr)
        return;
    record_text::storeFileText(tags.title, displayCp932(toQString(file.tag()->title())));
    record_text::storeFileText(tags.artist, displayCp932(toQString(file.tag()->artist())));
    record_text::storeFileText(tags.album, displayCp932(toQString(file.tag()->album())));
}

void readRiffInfo(const QByteArray& fileName, TrackTextRecord& texts)
{
    // The form type may be 'RMP3' rather than 'WAVE': TagLib reads the chunks all
    // the same. Audio properties are not wanted (there is no 'fmt ' chunk).
    TagLib::RIFF::WAV::File file(fileName.constData(), false);
    if (!file.isOpen() || !file.hasInfoTag())
        return;
    const TagLib::RIFF::Info::FieldListMap fields = file.InfoTag()->fieldListMap();
    for (std::size_t slot = 0; slot < std::size(trackTextInfoIds); ++slot) {
        const auto found = fields.find(TagLib::ByteVector(trackTextInfoIds[slot], 4));
        if (found != fields.end())
            record_text::storeFileText(texts.texts[slot], rawBytes(found->second));
    }
}

}  // namespace

extern "C" Q_DECL_EXPORT bool lyricue_read_track_tags(const QString* pathPointer, TrackTagRecord* tagsPointer,
                                                      TrackTextRecord* textsPointer)
{
    const QString& path = *pathPointer;
    TrackTagRecord& tags = *tagsPointer;
    TrackTextRecord& texts = *textsPointer;
    std::memset(&tags, 0, sizeof tags);
    std::memset(&texts, 0, sizeof texts);
    tags.genreNumber = NoGenre;

    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isReadable())
        return false;

    installRawStringHandlers();
    const QByteArray fileName = QFile::encodeName(path);
    switch (trackContainerOfFile(path)) {
    case TrackContainer::Mpeg:
        readId3Tags(fileName, tags);
        break;
    case TrackContainer::Rmp:
        readId3Tags(fileName, tags);
        readRiffInfo(fileName, texts);
        break;
    case TrackContainer::Wave:
        readWaveTags(fileName, tags);
        readRiffInfo(fileName, texts);
        break;
    case TrackContainer::Flac:
    case TrackContainer::Ogg:
    case TrackContainer::Mp4:
        readUnicodeTags(fileName, tags);
        break;
    }
    return true;
}

static_assert(std::is_same_v<decltype(&lyricue_read_track_tags), TagModuleEntry>);

}  // namespace lyricue
