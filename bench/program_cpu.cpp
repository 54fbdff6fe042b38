// What the real program (qlv2, beside this bench in the build folder) costs on an X server:
//  - idle: 31 controllers configured, none switched on;
//  - 31 answering controllers polled at the loop's own pace, a record logged every second;
// and, while polling, the time from the end of each reply on the line to the next poll frame,
// against the wire time of one exchange at 38400 baud.
//
// The controllers are simulated in this process. Between them and the program sits a line
// that passes frames on at once and delivers each reply only when its bytes would have arrived
// at 38400 baud, as a real line does; it timestamps both. The program's CPU time is read from
// /proc/<pid>/stat (all threads, ended ones too). Without a DISPLAY the bench starts Xvfb itself.
//
//   bench_program_cpu [seconds per phase, default 30]
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/serialport.h"
#include "simulator.h"
#include "support/language.h"
#include "support/wrappers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int Baud = 38400;
double wireMs(qsizetype bytes) { return double(bytes) * 10.0 * 1000.0 / Baud; }

void makeRaw(int fd)
{
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// CPU time of a process, in seconds: utime + stime from /proc/<pid>/stat, which keeps the time of
// threads that have already ended (summing /proc/<pid>/task would drop it).
double processCpu(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // The command name may hold spaces and parentheses: fields are counted after the last ')'.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3, utime field 14 and stime field 15 (1-based, as in proc(5)).
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The line between the program and the simulated controllers.
class Line : public QObject {
public:
    Line(int programSide, int controllerSide) : m_program(programSide), m_controllers(controllerSide)
    {
        m_clock.start();
        m_fromProgram = new QSocketNotifier(m_program, QSocketNotifier::Read, this);
        m_fromControllers = new QSocketNotifier(m_controllers, QSocketNotifier::Read, this);
        connect(m_fromProgram, &QSocketNotifier::activated, this, [this] { fromProgram(); });
        connect(m_fromControllers, &QSocketNotifier::activated, this, [this] { fromControllers(); });
    }
    // Gaps between the end of a reply and the next frame, in milliseconds.
    QList<double> gaps;
    QList<double> exchangeWireMs;
    QMap<QByteArray, int> framesTo; // per address
    void reset()
    {
        gaps.clear();
        exchangeWireMs.clear();
        framesTo.clear();
    }

private:
    void fromProgram()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_program, buffer, sizeof buffer);
        if (n <= 0)
            return;
        const double now = m_clock.nsecsElapsed() / 1e6;
        m_frame.append(buffer, n);
        if (::write(m_controllers, buffer, size_t(n)) != n)
            std::fprintf(stderr, "line: short write to the controllers\n");
        qsizetype end;
        while ((end = m_frame.indexOf("\r\n")) >= 0) {
            const QByteArray frame = m_frame.left(end + 2);
            m_frame.remove(0, end + 2);
            ++framesTo[frame.left(4)];
            // The reply goes out once this frame has crossed the wire.
            m_replyFrom = now + wireMs(frame.size());
            m_frameBytes = frame.size();
            if (m_lastReplyEnd >= 0)
                gaps << now - m_lastReplyEnd;
            m_lastReplyEnd = -1;
        }
    }
    void fromControllers()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_controllers, buffer, sizeof buffer);
        if (n <= 0)
            return;
        const double now = m_clock.nsecsElapsed() / 1e6;
        const double at = std::max(now, m_replyFrom) + wireMs(n);
        m_replyFrom = at;
        exchangeWireMs << wireMs(m_frameBytes + n);
        m_frameBytes = 0;
        const QByteArray bytes(buffer, n);
        QTimer::singleShot(std::max(0, int(at - now + 0.5)), Qt::PreciseTimer, this, [this, bytes] {
            if (::write(m_program, bytes.constData(), size_t(bytes.size())) != bytes.size())
                std::fprintf(stderr, "line: short write to the program\n");
            m_lastReplyEnd = m_clock.nsecsElapsed() / 1e6;
        });
    }

    int m_program;
    int m_controllers;
    QElapsedTimer m_clock;
    QSocketNotifier *m_fromProgram;
    QSocketNotifier *m_fromControllers;
    QByteArray m_frame;
    double m_replyFrom = 0;
    double m_lastReplyEnd = -1;
    qsizetype m_frameBytes = 0;
};

const char *const Models[] = {"T512", "T542", "T552", "T574", "T578", "T575",
                              "T5741", "T5781", "T5751"};

bool writeSettings(const Sim::Simulator &sim, int port, bool switchedOn, const QString &path)
{
    qint16 english = 0;
    LaadTaal(english);
    ResetToestellen();
    int slot = 0;
    for (const auto &c : sim.controllers()) {
        ToestelGegevens &t = Toestel[++slot];
        t.Type = QString::fromLatin1(c->model);
        t.Idno = c->idno;
        t.Kanalen = qint16(c->channels);
        t.Actief = switchedOn;
        RackWindowSettings &rack = WindowSettings::rack[size_t(slot)];
        rack.visible = true;
        rack.placement.left = float(((slot - 1) % 8) * 3000);
        rack.placement.top = float(((slot - 1) / 8) * 2100);
        rack.placement.width = 3000;
        rack.placement.height = 2100;
    }
    WindowSettings::table.TabelTonen = true;
    WindowSettings::table.placement = {};
    WindowSettings::table.placement.top = 4 * 2100;
    WindowSettings::table.placement.width = 24000;
    WindowSettings::table.placement.height = 4000;
    WindowSettings::mainWindow.width = 25000;
    WindowSettings::mainWindow.height = 16000;
    Hoofdmodule::SeriePoort = QStringLiteral("COM%1").arg(port);
    Hoofdmodule::Baudrate = QString::number(Baud);
    Hoofdmodule::MeetInterval = 1;
    Hoofdmodule::StartLoggen = switchedOn;
    Hoofdmodule::LaadBestand = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return SchrijfInstellingen(path);
}

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

double percentile(QList<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[qsizetype(p * double(v.size() - 1))];
}

struct Phase {
    double cpu = 0;
    double wall = 0;
};

// Starts the program, lets it settle, and measures its CPU over the window.
Phase runProgram(const QString &program, const QProcessEnvironment &env, int seconds, Line &line)
{
    QProcess qlv2;
    qlv2.setProcessEnvironment(env);
    qlv2.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    qlv2.start(program, {});
    if (!qlv2.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return {};
    }
    waitMs(6000);
    line.reset();
    QElapsedTimer wall;
    const double start = processCpu(qlv2.processId());
    wall.start();
    waitMs(seconds * 1000);
    Phase phase{processCpu(qlv2.processId()) - start, wall.elapsed() / 1000.0};
    ::kill(pid_t(qlv2.processId()), SIGTERM);
    if (!qlv2.waitForFinished(10000)) {
        qlv2.kill();
        qlv2.waitForFinished();
    }
    return phase;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", (home.path() + "/Documents").toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const QString program = QCoreApplication::applicationDirPath() + "/qlv2";

    QProcess xvfb;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        int display = 90 + int(getpid() % 100);
        xvfb.start("Xvfb", {QStringLiteral(":%1").arg(display), "-screen", "0", "1920x1200x24",
                            "-nolisten", "tcp"});
        if (!xvfb.waitForStarted()) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        waitMs(1500);
        env.insert("DISPLAY", QStringLiteral(":%1").arg(display));
    }

    Sim::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    for (int i = 0; i < MaxToestellen; ++i)
        sim.add(Models[i % 9], i + 1, 1 + i % 4);
    int programSide = -1, programSlave = -1;
    if (openpty(&programSide, &programSlave, nullptr, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal for the line\n");
        return 1;
    }
    makeRaw(programSide);
    makeRaw(programSlave);
    const int controllerSide = ::open(qPrintable(sim.devicePath()), O_RDWR | O_NOCTTY);
    makeRaw(controllerSide);
    Line line(programSide, controllerSide);
    const int port = 200;
    SerialPortTable::bind(port, QString::fromLocal8Bit(ttyname(programSlave)));

    QStringList info;
    VerzamelSysteemInfo(info);
    const QString settings = Hoofdmodule::MapDocumenten + "/Marquel/QLV-2/Settings/Qlv2.CFG";

    std::printf("The program (%s) on an X server, %d s per phase\n", qPrintable(program), seconds);
    if (!writeSettings(sim, port, false, settings))
        return 1;
    const Phase idle = runProgram(program, env, seconds, line);
    const double idlePercent = 100.0 * idle.cpu / idle.wall;
    std::printf("%-52s %7.3f s CPU in %5.1f s = %6.3f %% of one core (goal < 0.1 %%): %s\n",
                "idle (31 controllers configured, none switched on)", idle.cpu, idle.wall,
                idlePercent, idlePercent < 0.1 ? "ok" : "TOO HIGH");

    QFile::remove(settings);
    if (!writeSettings(sim, port, true, settings))
        return 1;
    const Phase polling = runProgram(program, env, seconds, line);
    const double pollPercent = 100.0 * polling.cpu / polling.wall;
    std::printf("%-52s %7.3f s CPU in %5.1f s = %6.3f %% of one core (goal < 0.5 %%): %s\n",
                "31 answering controllers, a record every second", polling.cpu, polling.wall,
                pollPercent, pollPercent < 0.5 ? "ok" : "TOO HIGH");
    int silentOnes = 0;
    for (const auto &c : sim.controllers())
        if (line.framesTo.value(c->address()) == 0)
            ++silentOnes;
    std::printf("%-52s %d frames; %d of 31 controllers never polled\n", "poll frames sent",
                int(line.gaps.size()), silentOnes);

    // Gaps within a cycle; the longer ones are the pacing wait between cycles.
    QList<double> within;
    for (double g : std::as_const(line.gaps))
        if (g < 100)
            within << g;
    const double wire = percentile(line.exchangeWireMs, 0.5);
    const double median = percentile(within, 0.5);
    const double p90 = percentile(within, 0.9);
    const double worst = within.isEmpty() ? 0 : *std::max_element(within.begin(), within.end());
    std::printf("%-52s median %.3f ms, 90 %% %.3f ms, max %.3f ms (%d gaps)\n",
                "reply end to next frame", median, p90, worst, int(within.size()));
    std::printf("%-52s %.2f ms; median gap = %.2f %% of it (goal < 1 %%): %s\n",
                "wire time of one exchange at 38400 baud", wire, 100.0 * median / wire,
                100.0 * median / wire < 1.0 ? "ok" : "TOO HIGH");

    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    return 0;
}
