#pragma once
// The simulated modem and KR-V (krv-sim, built next to the test programs) as a
// child process, and the bytes its transcript file says crossed the line.
// The transcript is read here on its own terms ("<time> <source> > hex..." for
// bytes from the program, "<time> <source> < hex..." for bytes to it), so the
// tests check the wire without the program's own frame code.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sys/prctl.h>

#include <string>
#include <vector>

// Bytes from the program to the simulator ('>') or back ('<'), in order.
// chunks: every transcript line in order, its direction ('>' or '<') followed
// by its bytes; notes: the simulator's remarks ("carrier off"), one a line.
struct WireBytes {
    std::string fromProgram;
    std::string toProgram;
    std::vector<std::string> chunks;
    std::string notes;
};

inline WireBytes parseTranscript(const QByteArray& text)
{
    WireBytes wire;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 3 && fields[2] == "#") {
            wire.notes += line.mid(line.indexOf('#') + 1).trimmed().toStdString() + "\n";
            continue;
        }
        if (fields.size() < 4 || (fields[2] != ">" && fields[2] != "<"))
            continue;
        std::string chunk(1, fields[2][0]);
        for (qsizetype i = 3; i < fields.size(); ++i) {
            bool ok = false;
            const uint value = fields[i].toUInt(&ok, 16);
            if (ok && value <= 0xFF)
                chunk += static_cast<char>(value);
        }
        (chunk[0] == '>' ? wire.fromProgram : wire.toProgram) += chunk.substr(1);
        wire.chunks.push_back(std::move(chunk));
    }
    return wire;
}

// The bytes of a stream outside 0xE2 ... 0xE3 frames, read as a receiver
// without the program's code would: 0xE2 opens a frame (restarting an open
// one), 0xE3 closes it, a stray 0xE3 is dropped.
inline std::string bytesOutsideFrames(const std::string& stream)
{
    std::string outside;
    bool inFrame = false;
    for (char c : stream) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0xE2)
            inFrame = true;
        else if (b == 0xE3)
            inFrame = false;
        else if (!inFrame)
            outside += c;
    }
    return outside;
}

class SimProcess {
public:
    enum Transport { Tcp, Pty };

    // Starts krv-sim with the transport and extra options; check started().
    SimProcess(Transport transport, const QStringList& extraArguments)
    {
        m_transcriptPath = m_dir.filePath(QStringLiteral("transcript.txt"));
        QStringList arguments;
        if (transport == Tcp)
            arguments << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
        else
            arguments << QStringLiteral("--pty");
        arguments << QStringLiteral("--transcript") << m_transcriptPath << extraArguments;
        // The simulator must not outlive a test program that crashes.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/krv-sim"), arguments);
        if (!m_process.waitForStarted(3000))
            return;
        const QRegularExpression pattern(transport == Tcp ? QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)")
                                                          : QStringLiteral("pty (\\S+)"));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000 && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAll();
            const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(m_output));
            if (match.hasMatch()) {
                m_target = transport == Tcp ? QStringLiteral("rfc2217://127.0.0.1:") + match.captured(1)
                                            : match.captured(1);
                break;
            }
        }
    }

    ~SimProcess() { kill(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return !m_target.isEmpty(); }
    // What the serial map gives for the port: rfc2217://127.0.0.1:PORT or /dev/pts/N.
    const QString& target() const { return m_target; }
    QByteArray output() const { return m_output; }

    void signal(int number)
    {
        if (m_process.state() == QProcess::Running)
            ::kill(static_cast<pid_t>(m_process.processId()), number);
    }

    void kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    WireBytes wire() const
    {
        QFile file(m_transcriptPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return parseTranscript(file.readAll());
    }

    QString scratchPath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_transcriptPath;
    QProcess m_process;
    QByteArray m_output;
    QString m_target;
};
