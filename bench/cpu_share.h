#pragma once

#include "base/prompts.h"
#include "shell/main_window.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <sys/resource.h>

#include <cstdio>
#include <utility>

namespace lyricue {

// What the CPU benchmarks share: prompts that open one track, a toolbar press, the quiet
// platform, and the process's share of one core while the event loop runs.
namespace cpu_share {

// Opens the one track it is given and declines the lyrics question.
class TrackPrompts : public Prompts {
public:
    explicit TrackPrompts(QString track) : m_track(std::move(track)) {}
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    int askYesNoCancel(const QString&) override { return AnswerCancel; }
    int askYesNo(const QString&) override { return AnswerNo; }
    bool showOpenDialog(FileDialogSettings& settings) override
    {
        settings.fileName = m_track;
        return true;
    }
    bool showSaveDialog(FileDialogSettings&) override { return false; }

private:
    QString m_track;
};

inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs the event loop for `ms` and returns the share of one core used meanwhile, in %;
// `wallSeconds` takes the time it really ran.
inline double cpuPercentOver(int ms, double& wallSeconds)
{
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    return 100.0 * (cpuSeconds() - before) / wallSeconds;
}

// Presses a toolbar button of the window by its command key.
inline void click(MainWindow& window, const QString& key)
{
    window.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->findChild<QToolButton*>(key)->click();
}

// Offscreen, on SDL's dummy driver, unless the caller chose otherwise.
inline void useQuietPlatform()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
}

inline double cpuPercentOver(int ms)
{
    double wallSeconds = 0;
    return cpuPercentOver(ms, wallSeconds);
}

}  // namespace cpu_share

}  // namespace lyricue
