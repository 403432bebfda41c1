// Linked into the start-up benchmark programs: once the first window has painted, the
// process says so on standard output and ends at once. It changes nothing else: the
// program's own main() runs as it is until then.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>

#include <cstdio>
#include <cstdlib>

namespace lyricue {

namespace {

// Watches every event for the first paint; ends the process after that repaint is done.
class FirstPaintExit : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Queued: runs once the whole repaint, flush included, has returned.
            QMetaObject::invokeMethod(this, &FirstPaintExit::finish, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void finish()
    {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        std::_Exit(0);
    }

    bool m_seen = false;
};

void installFirstPaintExit()
{
    QCoreApplication::instance()->installEventFilter(new FirstPaintExit);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintExit)

}  // namespace lyricue
