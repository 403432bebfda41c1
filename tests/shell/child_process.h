#pragma once

// Runs part of a test in a forked child, for faults that must not touch the test
// process itself (a file-size limit, a sound driver that does not exist).
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace lyricue {

// What a child sends back to its parent: one line per report() call.
class ChildReport {
public:
    explicit ChildReport(int fd) : m_fd(fd) {}

    void report(const QString& line)
    {
        const QByteArray bytes = line.toUtf8().replace('\n', ' ') + '\n';
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t wrote = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (wrote <= 0)
                return;
            done += wrote;
        }
    }

private:
    int m_fd;
};

// How the child ended and what it said.
struct ChildOutcome {
    bool exited = false;  // ended through _exit, not by a signal or the time limit
    int exitCode = -1;
    int signal = 0;       // the signal that ended it, if one did
    bool timedOut = false;
    QStringList lines;    // its reports, in order
    QByteArray errors;    // what it wrote on standard error

    // For a failure message: how it ended and its standard error.
    std::string describe() const
    {
        return (timedOut ? std::string("timed out") : exited ? "exit " + std::to_string(exitCode)
                                                             : "signal " + std::to_string(signal))
            + "; stderr: " + errors.toStdString();
    }
};

// Forks; the child runs `body` with its standard error caught and ends with _exit(0),
// so that no destructor or exit handler of the test process runs in it. The parent
// waits up to `limitMs`, then kills the child.
inline ChildOutcome runInChild(const std::function<void(ChildReport&)>& body, int limitMs = 60000)
{
    ChildOutcome outcome;
    int reportPipe[2];
    int errorPipe[2];
    if (::pipe(reportPipe) != 0 || ::pipe(errorPipe) != 0)
        return outcome;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(reportPipe[0]);
        ::close(errorPipe[0]);
        ::dup2(errorPipe[1], STDERR_FILENO);
        ChildReport report(reportPipe[1]);
        body(report);
        ::_exit(0);
    }
    ::close(reportPipe[1]);
    ::close(errorPipe[1]);
    if (child < 0) {
        ::close(reportPipe[0]);
        ::close(errorPipe[0]);
        return outcome;
    }

    QByteArray reported;
    pollfd fds[2] = {{reportPipe[0], POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
    QByteArray* sinks[2] = {&reported, &outcome.errors};
    int open = 2;
    QElapsedTimer clock;
    clock.start();
    while (open > 0) {
        const qint64 left = limitMs - clock.elapsed();
        if (left <= 0) {
            outcome.timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, got);
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            ::close(fd.fd);

    int status = 0;
    ::waitpid(child, &status, 0);
    if (!outcome.timedOut && WIFEXITED(status)) {
        outcome.exited = true;
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    for (const QByteArray& line : reported.split('\n'))
        if (!line.isEmpty())
            outcome.lines.append(QString::fromUtf8(line));
    return outcome;
}

}  // namespace lyricue
