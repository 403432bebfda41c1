#include "support/sound_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <pulse/pulseaudio.h>
#include <sys/prctl.h>

#include <chrono>
#include <csignal>

namespace lyricue {

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr auto kReadyLimit = 10s;
constexpr auto kManagerLimit = 2s;

QStringList programsFor(SoundServer::Kind kind)
{
    if (kind == SoundServer::Kind::PulseAudio)
        return {QStringLiteral("pulseaudio")};
    return {QStringLiteral("pipewire"), QStringLiteral("wireplumber"), QStringLiteral("dbus-daemon")};
}

// PipeWire with a timer for a clock, a null sink, the PulseAudio protocol and what
// wireplumber needs to link streams to the sink. Its graph runs at real-time priority
// where the system allows it, as on a desktop: else a busy machine makes it skip cycles,
// and the sink's own clock jumps.
QByteArray pipeWireConfig()
{
    return QByteArrayLiteral(R"(context.properties = {
    core.daemon = true
    core.name = pipewire-0
    link.max-buffers = 16
    default.clock.rate = 48000
    default.clock.allowed-rates = [ 48000 ]
    default.clock.quantum = 1024
    default.clock.min-quantum = 16
    default.clock.max-quantum = 2048
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt args = { nice.level = -11 } flags = [ ifexists nofail ] }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-profiler }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-device-factory }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-client-device }
    { name = libpipewire-module-access args = { } }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
    { name = libpipewire-module-session-manager }
    { name = libpipewire-module-protocol-pulse args = { server.address = [ "unix:native" ] } }
]
context.objects = [
    { factory = metadata args = { metadata.name = default } }
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Dummy-Driver
               node.group = pipewire.dummy priority.driver = 20000 } }
    { factory = spa-node-factory
      args = { factory.name = support.node.driver node.name = Freewheel-Driver
               priority.driver = 19000 node.group = pipewire.freewheel node.freewheel = true } }
    { factory = adapter
      args = { factory.name = support.null-audio-sink node.name = nul
               node.description = "Null" media.class = Audio/Sink
               audio.position = [ FL FR ] audio.rate = 48000
               object.linger = true monitor.channel-volumes = true } }
]
)");
}

// True once a client of `address` finds the server and "nul" as its default sink, which
// it names as a user would when the server has chosen none.
bool sinkAnswers(const QByteArray& address)
{
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Lyricue test");
    enum class Answer { None, Ours, Other, Named };
    Answer answer = Answer::None;
    if (pa_context_connect(context, address.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + 1s;
        bool asked = false;
        bool named = false;
        while (answer != Answer::Ours && answer != Answer::Named && std::chrono::steady_clock::now() < deadline) {
            pa_mainloop_iterate(loop, 0, nullptr);
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            pa_operation* operation = nullptr;
            if (state == PA_CONTEXT_READY && !asked) {
                asked = true;
                operation = pa_context_get_server_info(
                    context,
                    [](pa_context*, const pa_server_info* info, void* data) {
                        *static_cast<Answer*>(data) =
                            info && info->default_sink_name && QByteArray(info->default_sink_name) == SoundServer::sink()
                            ? Answer::Ours
                            : Answer::Other;
                    },
                    &answer);
            } else if (answer == Answer::Other && !named) {
                named = true;
                operation = pa_context_set_default_sink(
                    context, SoundServer::sink().constData(),
                    [](pa_context*, int, void* data) { *static_cast<Answer*>(data) = Answer::Named; }, &answer);
            }
            if (operation)
                pa_operation_unref(operation);
            QThread::msleep(2);
        }
    }
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return answer == Answer::Ours;
}

}  // namespace

SoundServer::SoundServer(Kind kind)
    : m_kind(kind)
{
}

SoundServer::~SoundServer()
{
    stop();
}

const char* SoundServer::name(Kind kind)
{
    return kind == Kind::PulseAudio ? "PulseAudio" : "PipeWire";
}

QString SoundServer::unavailableReason(Kind kind)
{
#if defined(__SANITIZE_THREAD__)
    // libpulse sets up its mutexes where ThreadSanitizer does not see it; once it is
    // loaded, every lock of the process, the engine's own too, looks broken to it.
    return QStringLiteral("ThreadSanitizer cannot follow libpulse's locks");
#endif
    QStringList missing;
    for (const QString& program : programsFor(kind)) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            missing << program;
    }
    return missing.isEmpty() ? QString() : QStringLiteral("not installed: ") + missing.join(QStringLiteral(", "));
}

QByteArray SoundServer::address() const
{
    const QString socket = m_kind == Kind::PulseAudio ? m_folder.filePath(QStringLiteral("native"))
                                                       : m_folder.filePath(QStringLiteral("pulse/native"));
    return "unix:" + QFile::encodeName(socket);
}

bool SoundServer::spawn(const QString& program, const QStringList& arguments, const QString& log, QString* error)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"PULSE_SERVER", "PULSE_RUNTIME_PATH", "PIPEWIRE_REMOTE", "PIPEWIRE_RUNTIME_DIR",
                                 "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(variable));
    const QString folder = m_folder.path();
    environment.insert(QStringLiteral("HOME"), folder);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder);
    for (const char* sub : {"config", "state", "data", "cache"})
        QDir(folder).mkpath(QString::fromLatin1(sub));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder + QStringLiteral("/state"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + folder + QStringLiteral("/bus"));
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(m_folder.filePath(log));
    process->setStandardErrorFile(m_folder.filePath(log), QIODevice::Append);
    // Ends with the test, even when the test dies.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(QStandardPaths::findExecutable(program), arguments);
    if (!process->waitForStarted(5000)) {
        *error = program + QStringLiteral(" did not start: ") + process->errorString();
        return false;
    }
    m_processes.push_back(std::move(process));
    return true;
}

bool SoundServer::waitForFile(const QString& path, QString* error)
{
    for (int i = 0; i < 250; ++i) {
        if (QFile::exists(path))
            return true;
        for (const auto& process : m_processes) {
            if (process->state() != QProcess::Running) {
                *error = process->program() + QStringLiteral(" ended early:\n") + logs();
                return false;
            }
        }
        QThread::msleep(20);
    }
    *error = path + QStringLiteral(" did not appear:\n") + logs();
    return false;
}

bool SoundServer::start(QString* error)
{
    if (!m_folder.isValid()) {
        *error = QStringLiteral("no private folder");
        return false;
    }
    QFile::setPermissions(m_folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString folder = m_folder.path();
    // Sockets a stopped server left behind would keep a new one from binding them.
    for (const char* socket : {"native", "bus", "pipewire-0", "pipewire-0.lock", "pulse/native", "pulse/pid"})
        QFile::remove(m_folder.filePath(QString::fromLatin1(socket)));
    bool started = false;
    if (m_kind == Kind::PulseAudio) {
        started = spawn(QStringLiteral("pulseaudio"),
                        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--system=false"),
                         QStringLiteral("--use-pid-file=no"), QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--disallow-exit"), QStringLiteral("--log-target=stderr"),
                         QStringLiteral("--log-level=warning"), QStringLiteral("-L"),
                         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + folder
                             + QStringLiteral("/native"),
                         // norewinds: else an idle null sink renders 2 s ahead, and a new
                         // stream waits that long before its first frame is taken.
                         QStringLiteral("-L"),
                         QStringLiteral("module-null-sink sink_name=nul rate=%1 channels=2 format=float32le "
                                        "norewinds=1 sink_properties=device.description=Null")
                             .arg(kRate)},
                        QStringLiteral("server.log"), error);
    } else {
        QFile config(m_folder.filePath(QStringLiteral("pipewire.conf")));
        started = config.open(QIODevice::WriteOnly) && config.write(pipeWireConfig()) > 0;
        config.close();
        // wireplumber needs a session bus: a private one.
        started = started
            && spawn(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                      QStringLiteral("--address=unix:path=") + folder + QStringLiteral("/bus")},
                     QStringLiteral("dbus.log"), error)
            && waitForFile(folder + QStringLiteral("/bus"), error)
            && spawn(QStringLiteral("pipewire"), {QStringLiteral("-c"), config.fileName()},
                     QStringLiteral("server.log"), error)
            && waitForFile(folder + QStringLiteral("/pipewire-0"), error)
            && spawn(QStringLiteral("wireplumber"), {}, QStringLiteral("wireplumber.log"), error);
    }
    if (!started)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + kReadyLimit;
    auto managerStarted = std::chrono::steady_clock::now();
    while (!sinkAnswers(address())) {
        if (std::chrono::steady_clock::now() > deadline) {
            *error = QStringLiteral("the server did not answer:\n") + logs();
            return false;
        }
        // Now and then wireplumber, started right after PipeWire, never gets to choosing
        // the default sink (ready in 0.1 s otherwise): it is started again.
        if (m_kind == Kind::PipeWire && std::chrono::steady_clock::now() - managerStarted > kManagerLimit) {
            QProcess& manager = *m_processes.back();
            manager.terminate();
            if (!manager.waitForFinished(3000)) {
                manager.kill();
                manager.waitForFinished(3000);
            }
            m_processes.pop_back();
            if (!spawn(QStringLiteral("wireplumber"), {}, QStringLiteral("wireplumber.log"), error))
                return false;
            managerStarted = std::chrono::steady_clock::now();
        }
        QThread::msleep(20);
    }
    return true;
}

void SoundServer::stop(bool abruptly)
{
    // The last started first: the server before the bus it may use.
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        QProcess& process = **it;
        if (abruptly)
            process.kill();
        else
            process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    m_processes.clear();
}

QString SoundServer::logs() const
{
    QString text;
    for (const char* log : {"server.log", "wireplumber.log", "dbus.log"}) {
        QFile file(m_folder.filePath(QString::fromLatin1(log)));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromLatin1(log) + QStringLiteral(":\n") + QString::fromLocal8Bit(file.readAll());
    }
    return text;
}

}  // namespace lyricue
