#pragma once

#include "base/prompts.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <utility>

namespace lyricue {

// What the CPU benchmarks share: prompts that open one track, and the process's share of
// one core while the event loop runs.
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

inline double cpuPercentOver(int ms)
{
    double wallSeconds = 0;
    return cpuPercentOver(ms, wallSeconds);
}

}  // namespace cpu_share

}  // namespace lyricue
