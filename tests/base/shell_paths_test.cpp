#include "base/shell_paths.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

TEST(ChangeExtension, ReplacesOrAppendsTheExtensionOfTheFinalComponent)
{
    const struct {
        const char16_t* path;
        const char16_t* extension;
        const char16_t* expected;
    } cases[] = {
        {u"/music/song.mp3", u".txt", u"/music/song.txt"},
        {u"/music/song", u".txt", u"/music/song.txt"},
        {u"/music/song.live.rmp", u".txt", u"/music/song.live.txt"},  // only the last dot
        {u"/music.d/song", u".txt", u"/music.d/song.txt"},            // a dot in a folder name
        {u"/music.d/", u".txt", u"/music.d/.txt"},                    // empty final component
        {u"song.", u".txt", u"song.txt"},
        {u"song.mp3", u"", u"song"},
        {u"", u".txt", u".txt"},
        {u"/音楽/春の歌.mp3", u".txt", u"/音楽/春の歌.txt"},
#ifdef Q_OS_WIN
        {u"C:\\Music\\song.mp3", u".txt", u"C:\\Music\\song.txt"},
        {u"C:\\Music.d\\song", u".txt", u"C:\\Music.d\\song.txt"},
        {u"C:\\Music\\.mp3", u".txt", u"C:\\Music\\.txt"},
#else
        {u"/music/.hidden", u".txt", u"/music/.hidden.txt"},  // a leading dot hides, it is no extension
        {u"/music/.hidden.mp3", u".txt", u"/music/.hidden.txt"},
        {u"C:\\Music.d\\song", u".txt", u"C:\\Music.txt"},  // a backslash is a name character here
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeExtension(str(c.path), str(c.extension)), str(c.expected))
            << str(c.path).toStdString();
}

TEST(ChangeExtension, ResultLongerThanThePathLimitIsEmpty)
{
    const int limit = maxPathLength();
    // "/" + name + ".mp3" becomes "/" + name + ".txt", exactly at the limit.
    const QString name(limit - 5, u'a');
    const QString fits = QStringLiteral("/") + name + QStringLiteral(".mp3");
    EXPECT_EQ(ChangeExtension(fits, QStringLiteral(".txt")).size(), limit);
    EXPECT_EQ(ChangeExtension(fits, QStringLiteral(".text")), QString());
    EXPECT_EQ(ChangeExtension(QStringLiteral("/b") + name, QStringLiteral(".txt")), QString());
#ifndef Q_OS_WIN
    // The limit counts bytes of the file name encoding (UTF-8): あ takes three.
    const QString wide = QStringLiteral("/") + QString(limit / 3 - 1, u'あ');
    ASSERT_LT(wide.size() + 4, limit);
    EXPECT_EQ(ChangeExtension(wide, QStringLiteral(".txt")), QString());
#endif
}

TEST(FileNameOfPath, IsTheFinalComponent)
{
    const struct {
        const char16_t* path;
        const char16_t* expected;
    } cases[] = {
        {u"/music/song.mp3", u"song.mp3"},
        {u"song.mp3", u"song.mp3"},
        {u"/music/春の歌.txt", u"春の歌.txt"},
        {u"/music.d/song", u"song"},
        {u"/music/", u""},
        {u"", u""},
#ifdef Q_OS_WIN
        {u"C:\\Music\\song.mp3", u"song.mp3"},
        {u"C:/Music\\sub/song.mp3", u"song.mp3"},
#else
        {u"/music/a\\b.mp3", u"a\\b.mp3"},
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNameOfPath(str(c.path)), str(c.expected)) << str(c.path).toStdString();
}

}  // namespace

}  // namespace lyricue
