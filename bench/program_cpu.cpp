// What the real program (qlv2, beside this bench in the build folder) costs on an X server:
//  - idle: 31 controllers configured, none switched on;
//  - 31 answering controllers polled at the loop's own pace, logging every second;
// as CPU time in % of one core, and while polling also per poll cycle and per record; and the
// time from the end of each reply on the line to the next poll frame, against the wire time of
// one exchange at 38400 baud.
//
// The controllers are simulated in this process, their replies paced at 38400 baud as a real
// line carries them: 10 bits a byte, a reply once its frame has crossed, the acknowledgment first
// and each channel line after it. Between them and the program sits a tap that passes every byte
// on at once and timestamps frames and replies. The program's CPU time is read from
// /proc/<pid>/stat (all threads, ended ones too). Without a DISPLAY the bench starts Xvfb itself,
// on a display number the server picks as free.
//
// This process only waits on its descriptors and timers while it measures, so that it takes no
// core from the program it measures; its own CPU time is reported beside the program's.
//
// Poll cycles are counted from the frames each simulated controller received; records are the
// data file's lines, and the spacing of their time stamps is checked against the log interval.
// A missed goal or a failed check says MISSED and makes the exit status non-zero.
//
//   bench_program_cpu [seconds per phase, default 30]
#include "benchsupport.h"
#include "platform/serialport.h"
#include "programbench.h"
#include "xdesktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int Baud = 38400;
// Seconds between records, as the goal has it. At 38400 baud the reply time-out is 1.5 s, and a
// poll cycle starts at most once per whole seconds beyond it: every 2 s. A record waits for a
// cycle that ended since the one before it, so records come every 1 or 2 s, never further apart.
constexpr int Interval = 1;
constexpr int CyclePace = 2;
constexpr double IdleGoal = 0.1;    // % of one core
constexpr double PollingGoal = 0.5; // % of one core
constexpr double GapGoal = 1.0;     // 90 % of the gaps, % of the wire time of one exchange

double wireMs(qsizetype bytes) { return double(bytes) * 10.0 * 1000.0 / Baud; }

void makeRaw(int fd)
{
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// This process's own CPU time, all threads, in seconds.
double ownCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// What crossed the line. Gaps between the end of a reply and the next frame, in milliseconds:
// within a poll cycle, and before a cycle's first frame (the loop's pacing between cycles).
struct Traffic {
    QList<double> withinCycle;
    QList<double> betweenCycles;
    QList<double> exchangeWireMs;
    QMap<QByteArray, int> framesTo; // per address
};

// The tap between the program and the simulated controllers, which pace their replies
// themselves: it passes every byte on as it comes and notes the times.
class Line : public QObject {
public:
    // cycleStart: the address of the controller each poll cycle begins with.
    Line(int programSide, int controllerSide, const QByteArray &cycleStart)
        : m_program(programSide), m_controllers(controllerSide), m_cycleStart(cycleStart)
    {
        m_clock.start();
        m_fromProgram = new QSocketNotifier(m_program, QSocketNotifier::Read, this);
        m_fromControllers = new QSocketNotifier(m_controllers, QSocketNotifier::Read, this);
        connect(m_fromProgram, &QSocketNotifier::activated, this, [this] { fromProgram(); });
        connect(m_fromControllers, &QSocketNotifier::activated, this, [this] { fromControllers(); });
    }
    Traffic traffic;
    void reset()
    {
        traffic = {};
        m_lastReplyEnd = -1;
        m_exchangeBytes = 0;
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
            const QByteArray address = frame.left(4);
            ++traffic.framesTo[address];
            // The exchange before ends with this frame: its frame and all reply bytes since.
            if (m_lastReplyEnd >= 0) {
                (address == m_cycleStart ? traffic.betweenCycles : traffic.withinCycle)
                    << now - m_lastReplyEnd;
                traffic.exchangeWireMs << wireMs(m_exchangeBytes);
            }
            m_lastReplyEnd = -1;
            m_exchangeBytes = frame.size();
        }
    }
    void fromControllers()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_controllers, buffer, sizeof buffer);
        if (n <= 0)
            return;
        if (::write(m_program, buffer, size_t(n)) != n)
            std::fprintf(stderr, "line: short write to the program\n");
        m_lastReplyEnd = m_clock.nsecsElapsed() / 1e6;
        m_exchangeBytes += n;
    }

    int m_program;
    int m_controllers;
    QByteArray m_cycleStart;
    QElapsedTimer m_clock;
    QSocketNotifier *m_fromProgram;
    QSocketNotifier *m_fromControllers;
    QByteArray m_frame;
    double m_lastReplyEnd = -1;
    qsizetype m_exchangeBytes = 0;
};

struct Phase {
    bool ran = false; // through the whole window
    double cpu = 0;      // the program's
    double wall = 0;
    double ownCpu = 0;   // this bench's, serving the line and the controllers
    double serverCpu = -1; // the X server's, when the bench started it
    int recordsInWindow = 0;
    Records records;     // every record of the data file at the end of the window
    Traffic traffic;     // in the window
    double percent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
};

// Starts the program, lets it settle, and measures it over the window.
Phase runProgram(const QString &program, const QProcessEnvironment &env, int seconds, Line &line,
                 const QString &dataFile, qint64 serverPid)
{
    Phase phase;
    QProcess qlv2;
    qlv2.setProcessEnvironment(env);
    qlv2.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    qlv2.start(program, {});
    if (!qlv2.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return phase;
    }
    waitMs(6000);
    line.reset();
    const int recordsBefore = int(readRecords(dataFile).stamps.size());
    QElapsedTimer wall;
    const double start = processCpu(qlv2.processId());
    const double ownStart = ownCpu();
    const double serverStart = serverPid > 0 ? processCpu(serverPid) : 0;
    wall.start();
    waitMs(seconds * 1000);
    if (qlv2.state() != QProcess::Running) {
        std::printf("the program ended before the window closed (exit status %d%s)\n",
                    qlv2.exitCode(), qlv2.exitStatus() == QProcess::CrashExit ? ", crashed" : "");
        return phase;
    }
    phase.ran = true;
    phase.cpu = processCpu(qlv2.processId()) - start;
    phase.ownCpu = ownCpu() - ownStart;
    if (serverPid > 0)
        phase.serverCpu = processCpu(serverPid) - serverStart;
    phase.wall = wall.elapsed() / 1000.0;
    phase.traffic = line.traffic;
    // Read before the program ends, so the stop record it then writes is not among them.
    phase.records = readRecords(dataFile);
    phase.recordsInWindow = int(phase.records.stamps.size()) - recordsBefore;
    // SIGTERM: the program closes as at a system shutdown.
    qlv2.terminate();
    if (!qlv2.waitForFinished(10000)) {
        qlv2.kill();
        qlv2.waitForFinished();
    }
    return phase;
}

void report(const char *what, const QString &figures)
{
    std::printf("%-52s %s\n", what, qPrintable(figures));
}

} // namespace

int main(int argc, char *argv[])
{
    ProgramHome home;
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const QString program = ProgramHome::program();

    XDesktop desktop;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        // The server alone: the window manager's own work is no part of the figures.
        if (!desktop.start(QSize(1920, 1200), false)) {
            std::fprintf(stderr, "%s\n", qPrintable(desktop.error()));
            return 1;
        }
        env.insert("DISPLAY", desktop.display());
    }

    Sim::Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    addControllers(sim, MaxToestellen);
    sim.setBaud(Baud);
    int programSide = -1, programSlave = -1;
    if (openpty(&programSide, &programSlave, nullptr, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal for the line\n");
        return 1;
    }
    makeRaw(programSide);
    makeRaw(programSlave);
    const int controllerSide = ::open(qPrintable(sim.devicePath()), O_RDWR | O_NOCTTY);
    makeRaw(controllerSide);
    // Every cycle starts over at the first slot, which holds the first controller.
    Line line(programSide, controllerSide, sim.controllers().front()->address());
    const int port = 200;
    SerialPortTable::bind(port, QString::fromLocal8Bit(ttyname(programSlave)));

    const QString settings = ProgramHome::settingsFile();
    const QString dataFile = ProgramHome::dataFile();
    const qint64 serverPid = desktop.display().isEmpty() ? 0 : desktop.serverPid();

    Goals goals;
    const auto ownLine = [](const Phase &p) {
        return QStringLiteral("%1 s CPU = %2 % of one core")
            .arg(p.ownCpu, 0, 'f', 3)
            .arg(100.0 * p.ownCpu / std::max(p.wall, 1e-9), 0, 'f', 3);
    };
    const auto serverLine = [](const Phase &p) {
        return QStringLiteral("%1 s CPU = %2 % of one core")
            .arg(p.serverCpu, 0, 'f', 2)
            .arg(100.0 * p.serverCpu / std::max(p.wall, 1e-9), 0, 'f', 3);
    };
    const double tick = 1.0 / double(sysconf(_SC_CLK_TCK));

    std::printf("The program (%s) on an X server (%s), %d s per phase; its CPU time is counted"
                " in steps of %.0f ms\n",
                qPrintable(program), qPrintable(env.value("DISPLAY")), seconds, tick * 1000);
    // The gaps include the waits of both processes for a core: a busy machine lengthens them.
    std::printf("load average of the machine at the start: %s over %ld cores\n",
                qPrintable(loadAverage()), sysconf(_SC_NPROCESSORS_ONLN));
    ProgramSettings setup;
    setup.port = port;
    setup.baud = Baud;
    setup.interval = Interval;
    setup.switchedOn = setup.logging = false;
    if (!writeProgramSettings(sim, setup, settings))
        return 1;
    const Phase idle = runProgram(program, env, seconds, line, dataFile, serverPid);
    report("idle (31 controllers configured, none switched on)",
           QStringLiteral("%1 s CPU in %2 s = %3 % of one core (goal < %4 %): %5")
               .arg(idle.cpu, 0, 'f', 3)
               .arg(idle.wall, 0, 'f', 1)
               .arg(idle.percent(), 0, 'f', 3)
               .arg(IdleGoal)
               .arg(goals.judge(idle.ran && idle.percent() < IdleGoal)));
    // With nothing on the line the bench has nothing to do; should it keep a core busy, it
    // would take it from the program it measures.
    const double idleOwn = 100.0 * idle.ownCpu / std::max(idle.wall, 1e-9);
    report("  this bench meanwhile",
           QStringLiteral("%1 (goal < %2 %): %3")
               .arg(ownLine(idle))
               .arg(IdleGoal)
               .arg(goals.judge(idle.ran && idleOwn < IdleGoal)));
    if (serverPid > 0)
        report("  the X server meanwhile", serverLine(idle));

    QFile::remove(settings);
    QFile::remove(dataFile);
    setup.switchedOn = setup.logging = true;
    if (!writeProgramSettings(sim, setup, settings))
        return 1;
    const Phase polling = runProgram(program, env, seconds, line, dataFile, serverPid);
    report(qPrintable(QStringLiteral("31 answering, paced, logging every %1 s").arg(Interval)),
           QStringLiteral("%1 s CPU in %2 s = %3 % of one core (goal < %4 %): %5")
               .arg(polling.cpu, 0, 'f', 3)
               .arg(polling.wall, 0, 'f', 1)
               .arg(polling.percent(), 0, 'f', 3)
               .arg(PollingGoal)
               .arg(goals.judge(polling.ran && polling.percent() < PollingGoal)));
    report("  this bench meanwhile (line and controllers)", ownLine(polling));
    if (serverPid > 0)
        report("  the X server meanwhile", serverLine(polling));

    const Traffic &t = polling.traffic;
    // Each cycle polls every controller once: the cycles are the frames each received (a
    // controller polled while the window opened or closed may count one more).
    int fewest = -1, most = 0, silentOnes = 0;
    for (const auto &c : sim.controllers()) {
        const int n = t.framesTo.value(c->address());
        fewest = fewest < 0 ? n : std::min(fewest, n);
        most = std::max(most, n);
        silentOnes += n == 0;
    }
    const int cycles = std::max(fewest, 0);
    report("poll cycles", QStringLiteral("%1 (frames per controller %2 to %3); %4 of 31 "
                                         "controllers never polled: %5")
                              .arg(cycles)
                              .arg(fewest)
                              .arg(most)
                              .arg(silentOnes)
                              .arg(goals.judge(cycles > 0 && silentOnes == 0 && most - fewest <= 1)));
    if (cycles > 0)
        report("  the program's CPU per poll cycle",
               QStringLiteral("%1 ms").arg(1000.0 * polling.cpu / cycles, 0, 'f', 2));

    // Every record follows the one before by the interval, or by the wait for the next cycle.
    const QList<QDateTime> &stamps = polling.records.stamps;
    QStringList offSpacing;
    for (qsizetype i = 1; i < stamps.size(); ++i) {
        const qint64 spacing = stamps[i - 1].secsTo(stamps[i]);
        if (spacing < Interval || spacing > CyclePace)
            offSpacing << QStringLiteral("record %1 (%2) %3 s after the one before")
                              .arg(i + 1)
                              .arg(DateTimeText::format(stamps[i]))
                              .arg(spacing);
    }
    report("records in the window",
           QStringLiteral("%1; in the data file %2, of which %3 not %4 to %5 s after the one "
                          "before%6: %7")
               .arg(polling.recordsInWindow)
               .arg(stamps.size())
               .arg(offSpacing.size())
               .arg(Interval)
               .arg(CyclePace)
               .arg(polling.records.unreadable
                        ? QStringLiteral(", %1 stamps unreadable").arg(polling.records.unreadable)
                        : QString())
               .arg(goals.judge(polling.recordsInWindow > 0 && stamps.size() >= 2
                          && offSpacing.isEmpty() && polling.records.unreadable == 0)));
    for (const QString &o : std::as_const(offSpacing))
        std::printf("    %s\n", qPrintable(o));
    if (polling.recordsInWindow > 0)
        report("  the program's CPU per record",
               QStringLiteral("%1 ms").arg(1000.0 * polling.cpu / polling.recordsInWindow, 0, 'f',
                                           2));

    const double wire = percentile(t.exchangeWireMs, 0.5);
    const double median = percentile(t.withinCycle, 0.5);
    const double p90 = percentile(t.withinCycle, 0.9);
    const double worst = t.withinCycle.isEmpty()
                             ? 0
                             : *std::max_element(t.withinCycle.begin(), t.withinCycle.end());
    report("reply end to next frame within a cycle",
           QStringLiteral("median %1 ms, 90 % %2 ms, worst %3 ms (%4 gaps)")
               .arg(median, 0, 'f', 3)
               .arg(p90, 0, 'f', 3)
               .arg(worst, 0, 'f', 3)
               .arg(t.withinCycle.size()));
    report("  between cycles (the loop's pacing)",
           QStringLiteral("median %1 ms (%2 gaps)")
               .arg(percentile(t.betweenCycles, 0.5), 0, 'f', 1)
               .arg(t.betweenCycles.size()));
    report("wire time of one exchange at 38400 baud",
           QStringLiteral("%1 ms; median gap %2 % of it, 90 % %3 %, worst %4 % (goal: 90 %"
                          " < %5 %): %6")
               .arg(wire, 0, 'f', 2)
               .arg(100.0 * median / wire, 0, 'f', 2)
               .arg(100.0 * p90 / wire, 0, 'f', 1)
               .arg(100.0 * worst / wire, 0, 'f', 1)
               .arg(GapGoal)
               .arg(goals.judge(!t.withinCycle.isEmpty() && 100.0 * p90 / wire < GapGoal)));
    std::printf("%s\n", goals.allMet() ? "All goals met." : "MISSED (see above).");
    return goals.status();
}
