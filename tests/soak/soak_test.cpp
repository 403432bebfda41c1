// Long use of one window over the real engine, all in one process: 10,000 stamps,
// 1,000 play / pause / seek / stop cycles and 100 load / save cycles of a 1,000-line
// lyrics file. Every cycle is checked; resident memory may not grow by more than
// 5 MB after the first cycle of each part. The engine renders by hand
// (Output::Manual), so that positions are exact and the run is not tied to the clock.
#include "playback/slider_parts.h"
#include "support/test_files.h"
#include "shell/long_track.h"
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/real_window.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <QToolButton>

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace lyricue {

#if defined(__SANITIZE_ADDRESS__)
#define LYRICUE_MEMORY_IS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LYRICUE_MEMORY_IS_SANITIZED 1
#endif
#endif

namespace {

constexpr int kOutputRate = 48000;
constexpr int kFadeFrames = 960;  // the window's 20 ms fade at the output rate
constexpr int kLines = 1000;
constexpr double kAllowedGrowthMb = 5;

double residentMb()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Resident memory after the first cycle of a part and at its end.
class MemoryWatch {
public:
    explicit MemoryWatch(const char* part) : m_part(part) {}

    void cycleDone(int cycle)
    {
        const double now = residentMb();
        if (cycle == 0)
            m_first = now;
        m_largest = std::max(m_largest, now);
    }

    void expectNoGrowth() const
    {
        const double growth = m_largest - m_first;
        std::printf("[ memory ] %s: %.1f MB after the first cycle, at most %.1f MB later (%+.1f MB)\n", m_part,
                    m_first, m_largest, growth);
#ifdef LYRICUE_MEMORY_IS_SANITIZED
        // AddressSanitizer holds freed memory in quarantine: its leak check stands in.
#else
        EXPECT_LE(growth, kAllowedGrowthMb) << m_part;
#endif
    }

private:
    const char* m_part;
    double m_first = 0;
    double m_largest = 0;
};

bool isTag(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\]$"));
    return form.match(text).hasMatch();
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        music = dir.filePath(QStringLiteral("soak.mp3"));
        lyrics = dir.filePath(QStringLiteral("soak.txt"));
        ASSERT_TRUE(writeRepeatedTone(music, 20));  // 60.6 s
        for (int line = 0; line < kLines; ++line)
            lines << QStringLiteral("%1 行目の歌詞 lyric line").arg(line + 1);
        writeTestFile(lyrics, cp932Lines(lines));

        ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
        sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
        timebar = window.findChild<QScrollBar*>(QStringLiteral("timebar"));
        timeInput = window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn"));
        ASSERT_TRUE(sheet && timebar && timeInput);
    }

    void TearDown() override { window.close(); }

    void clickToolbar(const QString& key) { clickToolbarButton(window, key); }

    std::int32_t state()
    {
        std::int32_t seconds = 0;
        return engine.vbmp3_getState(seconds);
    }

    void render(int frames)
    {
        for (int done = 0; done < frames; done += 512)
            engine.render(buffer.data(), std::min(512, frames - done));
    }

    // The window's timers, one tick each, as the event loop gives them while playing.
    void tickTimers()
    {
        for (const char* name : {"Play_timer", "Timer2"}) {
            auto* timer = window.findChild<QTimer*>(QLatin1String(name));
            if (!timer->isActive())
                continue;
            QTimerEvent event(timer->timerId());
            QCoreApplication::sendEvent(timer, &event);
        }
    }

    // A click on a cell of a line: its tag (column 0) or its text (column 1).
    void clickCell(int line, int column)
    {
        const QModelIndex index = sheet->model()->index(line, column);
        sheet->scrollTo(index);
        QTest::mouseClick(sheet->viewport(), Qt::LeftButton, {}, sheet->visualRect(index).center());
    }

    QTemporaryDir dir;
    QString music;
    QString lyrics;
    QStringList lines;
    PlaybackEngine engine{PlaybackEngine::Output::Manual};
    ScriptedPrompts prompts;
    MainWindow window{engine, prompts};
    LyricsSheet* sheet = nullptr;
    QScrollBar* timebar = nullptr;
    QPushButton* timeInput = nullptr;
    std::vector<float> buffer = std::vector<float>(1024);
};

TEST_F(Soak, StampsTransportAndFileCyclesKeepWorkingWithoutGrowing)
{
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);
    ASSERT_EQ(sheet->rows(), kLines + 1);
    ASSERT_EQ(timebar->maximum(), 60);
    prompts.clearShown();

    {
        SCOPED_TRACE("10,000 stamps");
        MemoryWatch memory("10,000 stamps");
        for (int cycle = 0; cycle < 10; ++cycle) {
            clickToolbar(CommandKey::Stop);
            render(kFadeFrames);  // the stop fades out what played, as a device would meanwhile
            clickToolbar(CommandKey::Play);
            ASSERT_EQ(state(), EnginePlaying);
            clickCell(0, 0);  // the next press stamps line 0
            for (int line = 0; line < kLines; ++line) {
                render(240);  // 5 ms of music between presses
                QTest::mouseClick(timeInput, Qt::LeftButton);
                if (line % 100 == 99) {
                    tickTimers();
                    QCoreApplication::processEvents();
                }
            }
            QString previous = QStringLiteral("[00:00:00]");
            for (int line = 0; line < kLines; ++line) {
                const QString tag = sheet->cellAt(LineTagIndex(*sheet, line));
                ASSERT_TRUE(isTag(tag) && tag >= previous) << "cycle " << cycle << " line " << line << ": "
                                                           << tag.toStdString() << " after " << previous.toStdString();
                previous = tag;
            }
            ASSERT_GE(previous, QStringLiteral("[00:04:99]")) << "cycle " << cycle;
            ASSERT_TRUE(prompts.shown().isEmpty()) << prompts.shown().join(u'|').toStdString();
            memory.cycleDone(cycle);
        }
        memory.expectNoGrowth();
    }

    {
        SCOPED_TRACE("1,000 play / pause / seek / stop cycles");
        MemoryWatch memory("1,000 transport cycles");
        for (int cycle = 0; cycle < 1000; ++cycle) {
            clickToolbar(CommandKey::Play);
            ASSERT_EQ(state(), EnginePlaying) << "cycle " << cycle;
            render(960);
            clickToolbar(CommandKey::Pause);
            ASSERT_EQ(state(), EnginePaused) << "cycle " << cycle;
            clickToolbar(CommandKey::Pause);
            ASSERT_EQ(state(), EnginePlaying) << "cycle " << cycle;
            tickTimers();

            const QPoint thumb = scrollBarThumb(*timebar).center();
            const QPoint to = thumb + QPoint(10 + cycle % 250, 0);
            QTest::mousePress(timebar, Qt::LeftButton, {}, thumb);
            QTest::mouseMove(timebar, to);
            QTest::mouseRelease(timebar, Qt::LeftButton, {}, to);
            ASSERT_GT(timebar->value(), 0) << "cycle " << cycle;
            ASSERT_EQ(engine.vbmp3_getWinampPlayMs(), timebar->value() * 1000) << "cycle " << cycle;
            render(960);
            tickTimers();

            clickToolbar(CommandKey::Stop);
            ASSERT_EQ(state(), EngineStopped) << "cycle " << cycle;
            ASSERT_EQ(engine.vbmp3_getWinampPlayMs(), 0) << "cycle " << cycle;
            tickTimers();
            QCoreApplication::processEvents();
            ASSERT_EQ(timebar->value(), 0) << "cycle " << cycle;
            memory.cycleDone(cycle);
        }
        ASSERT_TRUE(prompts.shown().isEmpty()) << prompts.shown().join(u'|').toStdString();
        memory.expectNoGrowth();
    }

    {
        SCOPED_TRACE("100 load / save cycles");
        MemoryWatch memory("100 load / save cycles");
        auto* textBox = window.findChild<QLineEdit*>(QStringLiteral("Grid_Txt"));
        for (int cycle = 0; cycle < 100; ++cycle) {
            prompts.queueOpenAccept(lyrics);
            clickToolbar(CommandKey::LoadLyrics);
            ASSERT_EQ(sheet->rows(), kLines + 1) << "cycle " << cycle;

            // One line corrected in the text box, then saved by one of the two commands.
            const int line = (cycle * 37) % kLines;
            clickCell(line, 1);
            QTest::keyClicks(textBox, QStringLiteral(" fix%1").arg(cycle));
            lines[line] += QStringLiteral(" fix%1").arg(cycle);
            prompts.clearShown();
            if (cycle % 2 == 0) {
                prompts.queueSaveAccept(lyrics);
                clickToolbar(CommandKey::SaveLyrics);
                ASSERT_EQ(prompts.messages(), QStringList{lyrics + QStringLiteral("を保存しました")});
            } else {
                clickToolbar(CommandKey::SaveAndLoad);
                ASSERT_EQ(prompts.messages(), QStringList{lyrics + QStringLiteral("を Save & Load しました")});
            }
            prompts.clearShown();
            // Every line as loaded, the corrections in, and line 0 with the tag a load
            // gives it.
            QStringList onDisk = lines;
            onDisk[0].prepend(QStringLiteral("[00:00:00]"));
            ASSERT_EQ(fileContents(lyrics), cp932Lines(onDisk)) << "cycle " << cycle;
            QCoreApplication::processEvents();
            memory.cycleDone(cycle);
        }
        memory.expectNoGrowth();
    }
}

}  // namespace

}  // namespace lyricue
