#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class QProcess;

namespace lyricue {

// A private sound server for tests, on a machine with no sound card: PulseAudio, or
// PipeWire with its server of the PulseAudio protocol, each with one null sink "nul"
// at 48 kHz that plays on its own steady clock as a card would. Its processes are
// children of the test, run in a private runtime folder, end with the test (even when
// it dies) and are stopped by their pids.
class SoundServer {
public:
    enum class Kind { PulseAudio, PipeWire };

    explicit SoundServer(Kind kind);
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;
    ~SoundServer();

    // Why a test cannot use this kind of server here (its programs are missing), or empty.
    static QString unavailableReason(Kind kind);
    static const char* name(Kind kind);

    // Starts the server and waits until it answers with its sink in place; false with
    // the reason (and the server's own log) in `error`.
    bool start(QString* error);
    // Stops every process, the server first; `abruptly` kills it as a crash would.
    void stop(bool abruptly = false);
    bool isRunning() const { return !m_processes.empty(); }

    Kind kind() const { return m_kind; }
    QString runtimeFolder() const { return m_folder.path(); }
    QByteArray address() const;
    static QByteArray sink() { return QByteArrayLiteral("nul"); }
    static QByteArray monitor() { return QByteArrayLiteral("nul.monitor"); }

private:
    bool spawn(const QString& program, const QStringList& arguments, const QString& log, QString* error);
    bool waitForFile(const QString& path, QString* error);
    QString logs() const;

    const Kind m_kind;
    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<QProcess>> m_processes;  // in start order
};

}  // namespace lyricue
