#include "shell/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace lyricue {

namespace {

#ifdef Q_OS_UNIX
int wakeSockets[2] = {-1, -1};

// A signal handler may do almost nothing: it hands the signal's number to the event loop.
void handOn(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t sent = ::write(wakeSockets[0], &number, 1);
}
#endif

}  // namespace

void runBeforeTerminationSignals(std::function<void()> beforeEnd)
{
#ifdef Q_OS_UNIX
    if (wakeSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, wakeSockets) != 0)
        return;
    for (const int socket : wakeSockets)
        ::fcntl(socket, F_SETFD, FD_CLOEXEC);  // not handed to programs started from here
    // A handler never blocks: with the socket full, the program is ending anyway.
    ::fcntl(wakeSockets[0], F_SETFL, ::fcntl(wakeSockets[0], F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(wakeSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [beforeEnd = std::move(beforeEnd)] {
        unsigned char number = 0;
        if (::read(wakeSockets[1], &number, 1) != 1)
            return;
        beforeEnd();
        // As if nothing had caught it: the program ends by the signal.
        std::signal(number, SIG_DFL);
        std::raise(number);
    });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction action = {};
        action.sa_handler = handOn;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
#else
    static_cast<void>(beforeEnd);
#endif
}

}  // namespace lyricue
